#pragma once
// Registration of the beam commands in the command table.
namespace qm {
class CommandTable;
// FFT Beam convolution (202).
void registerBeamCommands(CommandTable& t);
} // namespace qm
