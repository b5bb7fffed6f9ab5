#include "beam/beam_commands.h"

#include "app/command_table.h"
#include "beam/fft_beam_correction.h"

namespace qm {

void registerBeamCommands(CommandTable& t) { t.handle(202, runFftBeamCorrection); }

} // namespace qm
