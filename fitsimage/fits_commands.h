#pragma once
// The FITS image commands: "Fits convolution" (142) loads an image of the
// Sun, shows it under the plot and simulates the fan-beam scans; "FITS
// image" (196) changes its display normalisation.
namespace qm {

class CommandTable;
class Workbench;

void fitsConvolution(Workbench& wb);
void fitsImageView(Workbench& wb);

void registerFitsImageCommands(CommandTable& t);
// The plot painter, the palette reload after the settings dialog and the
// Close hook that forgets the image.
void installFitsImageHooks(Workbench& wb);

} // namespace qm
