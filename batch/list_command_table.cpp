#include "batch/list_command_table.h"

namespace qm {

namespace {

constexpr std::array<ListCommand, kListCommandCount> kTable{{
    {kSeparatorId, "---------"}, {179, "Data I(R)"},        {181, "Worksheet I(R)"},
    {180, "Data V(L)"},          {182, "Worksheet V(L)"},   {108, "Next scan"},
    {107, "Prev.scan"},          {111, "Close"},            {172, "Append..."},
    {102, "Save Data"},          {101, "Save Wrk"},         {133, "Wrksh to TALVO"},
    {128, "Print..."},           {141, "Export..."},        {117, "Set InitDir"},
    {157, "Call program"},       {114, "Data->Wrksh"},      {113, "Wrksh->Data"},
    {121, "Data--Wrksh"},        {120, "Wrksh*N"},          {119, "Wrksh+N"},
    {129, "Line"},               {173, "Eq. Null"},         {137, "ABS(Wrksh)"},
    {131, "Derive"},             {130, "Polarization"},     {122, "I,V<=>R,L"},
    {146, "Ta[K]=>Flux"},        {168, "Min rel. Csun"},    {167, "Copy rel.Csun"},
    {156, "Line tail"},          {158, "Ephemeride"},       {134, "Change of amplif"},
    {136, "RL Cross-Talk"},      {115, "Tail of curve"},    {150, "Overturn"},
    {145, "Move L from R"},      {174, "Auto move L R"},    {143, "Wide Gauss"},
    {162, "Center Vscan"},       {126, "Quiet Sun Tb"},     {127, "Full Flux"},
    {151, "Black body"},         {110, "Gauss"},            {109, "Median"},
    {139, "Cube Spline"},        {123, "Delete"},           {125, "Full Flux"},
    {124, "Gauss Flux"},         {176, "Interactive Gauss"}, {155, "Correlation"},
    {165, "Sigma"},              {138, "Surf3D"},           {175, "Local spectrum"},
    {184, "Sun Template"},       {147, "Choice Scale"},     {152, "Equal Scale"},
    {169, "Choice Path"},        {177, "Local Graph"},      {135, "Scans Group"},
    {161, "View Group"},         {178, "Prev. Group"},      {112, "Full scan"},
    {118, "Set View"},           {116, "Scan header"},      {166, "Gauss Param"},
    {132, "Del Gauss"},          {2, "Cancel"},             {187, "Quiet Point Tb"},
}};

} // namespace

const std::array<ListCommand, kListCommandCount>& listCommandTable() { return kTable; }

const char* listCommandName(int id)
{
    for (const ListCommand& c : kTable)
        if (c.id == id)
            return c.name;
    return nullptr;
}

} // namespace qm
