#include "proc/smoothing_commands.h"

#include "app/command_table.h"
#include "proc/cube_spline.h"
#include "proc/smoothing.h"

namespace qm {

void registerSmoothingCommands(CommandTable& t)
{
    t.handle(109, medianSmoothing);
    t.handle(110, gaussSmoothing);
    registerCubeSplineCommands(t);
}

} // namespace qm
