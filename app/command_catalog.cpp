#include "app/command_table.h"

#include <algorithm>
#include <array>

namespace qm {

namespace {

// The ids enabled only while a set is loaded, ascending.
constexpr std::array<int, 83> kDataCommands{
    101, 102, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 118, 119, 120, 121,
    122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138,
    139, 141, 142, 143, 144, 145, 146, 147, 149, 150, 151, 152, 153, 154, 155, 156, 158,
    159, 160, 161, 162, 165, 166, 167, 168, 169, 170, 171, 172, 173, 174, 175, 176, 178,
    184, 185, 187, 188, 189, 190, 191, 192, 196, 197, 198, 199, 200, 201, 202};

constexpr unsigned kRedraw = 1, kSync = 2;

struct Row {
    int id;
    const char* menuPath;
    const char* caption;
    const char* hint;
    unsigned flags;
};

// Menu items in the order the menus are built: the eight top menus by
// position, each with its items and sub-menus as a user reads them; then the
// tool bar, pop-up, data-list and internal ids, which have no menu place.
// Commands whose redraw or synchronisation depends on the outcome (169, 178,
// 195) carry no flag: their handlers decide.
constexpr Row kRows[] = {
    {100, "File", "Open", "Load data", 0},
    {172, "File", "Append...", "Append data file", 0},
    {186, "File > Load", "WorkSpace", "", 0},
    {192, "File > Load", "Scan Template", "Load Scan template from GROUP FITS file", kRedraw},
    {99, "File > Load", "PackFile", "Run Packet file in Batch mode", 0},
    {102, "File > Save", "Data", "Save data", 0},
    {101, "File > Save", "WorkSheet", "Save worksheet", 0},
    {185, "File > Save", "WorkSpace", "", 0},
    {111, "File", "Close", "Data clearance", 0},
    {141, "File", "Export...", "Export page in (.WMF or .PS[B&W])", kRedraw},
    {128, "File", "Print...", "Print of page", kRedraw},
    {133, "File", "Wrksh to TALVO", "Save worksheet data to TALVO format", 0},
    {117, "File", "Set InitDir", "Quillmar configuration", 0},
    {157, "File", "Call program", "Execute the chosen aplication", 0},
    {194, "File", "Script Edit...", "Edit script and pack files", 0},
    {114, "Scan", "Data->Wrksh", "Copy data to worksheet", 0},
    {113, "Scan", "Wrksh->Data", "Copy worksheet to data", 0},
    {119, "Scan > Modification", "Wrksh+N", "Addition N to a chosen part of worksheet", 0},
    {120, "Scan > Modification", "Wrksh*N", "Multiplication a chosen part of worksheet by N", 0},
    {121, "Scan > Modification", "Data--Wrksh", "Subtraction worksheet from data", 0},
    {156, "Scan > Modification", "Null level", "Subtraction of the zero level", 0},
    {129, "Scan > Modification", "Line", "Line between N(begin) and N(end)", 0},
    {173, "Scan > Modification", "Eq. Null", "If (flag XOR x[i]>0) then x[i]=0", 0},
    {137, "Scan > Modification", "ABS(Wrksh)", "Absolute value of the curve", 0},
    {131, "Scan > Modification", "Derive", "Calculation of scan derivation", 0},
    {130, "Scan > Modification", "Polarization", "Degree of polarization [P= 100*V/I]", 0},
    {122, "Scan > Modification", "I,V<=>R,L", "Transform (I,V) <==> (R,L)", kRedraw},
    {146, "Scan > Modification", "Ta[K]=>Flux", "Transform Ta[K] to Flux", 0},
    {167, "Scan > Modification", "Copy rel.Csun", "Copy a chosen part across Center of Sun", 0},
    {168, "Scan > Modification", "Min rel. Csun", "Replace of the chosen part by the Min relative center of Sun", 0},
    {109, "Scan > Smooth", "Median", "Median smoothing of data", kRedraw},
    {110, "Scan > Smooth", "Gauss", "Gaussian smoothing of data", kRedraw},
    {139, "Scan > Smooth", "Cube Spline", "Cubic spline of scan", kRedraw},
    {115, "Scan > Correction", "Tail of curve", "if(N<0) x[i]=x[abs(N)]{i=0,abs(N)-1},else x[i]=x[End-N]{i=End-N,End}", 0},
    {150, "Scan > Correction", "Overturn", "Turn over of the chosen part of the scan", 0},
    {134, "Scan > Correction", "Change of amplif", "Correction of the scan for change of amplification", 0},
    {188, "Scan > Correction", "Non-linear reg.", "Correction of non-linear registration [Ta=k*log(Tc)]", 0},
    {199, "Scan > Correction", "Equal scale RL", "Equal scale of RL calcualation", 0},
    {136, "Scan > Correction", "RL Cross-Talk", "Correction the RL cross-talk signal", 0},
    {145, "Scan > Correction", "Move L from R", "Move the (L,V)-scan relative the (R,I)-one", 0},
    {174, "Scan > Correction", "Auto move L R", "Auto move the (L,V)-scan relative the (R,I)-one", kRedraw},
    {162, "Scan > Correction", "Center Vscan", "Determination of the center Vscan end replace others", kRedraw},
    {143, "Scan > Correction", "Wide Gauss", "Calculation of the wide gaussian", kRedraw},
    {158, "Scan > Correction", "Ephemeride", "Set or change of ephemerides", 0},
    {201, "Scan > Correction", "FITS Param", "Correction of Beam Size, QTb, Flux coef.", 0},
    {202, "Scan > Correction", "FFT Beam convolution", "FFT beam correction of the source", kRedraw},
    {126, "Scan > Calibration", "Quiet Sun Ta", "Calibration of scan through Tb of quiet Sun", 0},
    {187, "Scan > Calibration", "Quiet Point Ta", "Calibration of scan through quiet point of the Sun", 0},
    {151, "Scan > Calibration", "Black body", "Calibration of scan through Tb of black body", 0},
    {127, "Scan > Calibration", "Full Flux", "Calibration of scan through Japan flux", kRedraw},
    {197, "Scan > Calibration", "Set Noise generator", "Calculation of Noise generator temperature and save it to file", 0},
    {198, "Scan > Calibration", "Noise generator", "Calibration by using Noise generator", 0},
    {123, "Scan", "Delete", "Scan delete", kRedraw},
    {148, "Scan", "Comm.List...", "Creation of the list of batch commands", 0},
    {183, "Scan", "PopUp Menu...", "Creation List for PopUp Menu", 0},
    {144, "Transform", "Center Sun", "Calculation Solar Center from derivation", kRedraw},
    {153, "Transform", "Move Scan", "Move the scan relative other", 0},
    {154, "Transform", "Equal Length", "Set the equal length for all scans", kRedraw},
    {159, "Transform", "Equal Step", "Set the equal length and step for all scans", 0},
    {160, "Transform", "Scan sub scan", "Subtraction one scan from other scan", 0},
    {170, "Transform", "Group scan aver.", "Average from group of scans", 0},
    {171, "Transform", "Group scan min", "Minimum from group of scans", 0},
    {200, "Transform", "Scans integration", "Integration of scans group", kRedraw},
    {124, "Calc", "Gauss Flux", "The gauss analysis of the chosen part of the scan", kRedraw},
    {176, "Calc", "Interactive Gauss", "Interactive gauss analiz", kRedraw},
    {125, "Calc", "Full Flux", "Calculation of the total flux of the chosen part of the scan", 0},
    {165, "Calc", "Sigma", "Calculation of the curve sigma", 0},
    {155, "Calc", "Correlation", "Calculation of the curves correlation", 0},
    {175, "Calc", "Local spectrum", "Power spectrum of the chosen position", kRedraw},
    {189, "Calc", "Spectral Line", "Find frequency spectral line", 0},
    {190, "Calc", "Magnetic Field", "Calculate Magnetic field H=3570/lcrt", 0},
    {138, "Calc", "Surf3D", "Make 3-D surface of scans", 0},
    {184, "Calc", "Sun Template", "Creation template of quiet Sun", 0},
    {142, "Calc", "Fits convolution", "Load FITS file and ORVAN beam convolution", kRedraw},
    {118, "View", "Set View", "Set titles and scans on picture", 0},
    {147, "View", "Choice Scale", "Selection of window scale and position", 0},
    {112, "View > Screen", "Full scan", "Show full scan", kRedraw},
    {152, "View > Screen", "Equal Scale", "Equal scale for (I,R) and (V,L)", kRedraw},
    {132, "View > Screen", "Delete Gauss", "Delete gaussian(s)", 0},
    {191, "View > Screen", "Delete MagField", "Delete Magnetic field data", kRedraw},
    {135, "View > Scan Group", "Scans Group", "Display of  scans group", kRedraw},
    {161, "View > Scan Group", "View Group", "Change of the group view", 0},
    {178, "View > Scan Group", "Prev. Group", "View old Scan Group", 0},
    {116, "View", "Scan header ", "View header of active scan", 0},
    {166, "View", "Gauss Param", "View parameters of gauss analyze", 0},
    {169, "View", "Choice Path", "View window with full scan", 0},
    {177, "View", "Local Graph", "View Window with local spectrum", 0},
    {196, "View", "FITS image", "FITS view modification", kRedraw},
    {10000, "Spec.Func", "None", "", 0},
    {193, "Script", "Reload", "Reload Script menu item", 0},
    {105, "Help", "Main help", "Main help", 0},
    {104, "Help", "About...", "", 0},
    {2, "Help", "Cancel", "Cancel operation", 0},
    {9, "", "", "", 0},
    {106, "", "", "Work with (ALL or ONE) scan(s)", 0},
    {107, "", "", "Select of the previous scan", 0},
    {108, "", "", "Select of the next scan", 0},
    {149, "", "", "Start of the list of batch commands", 0},
    {179, "", "Data I(R)", "", kRedraw | kSync},
    {180, "", "Data V(L)", "", kRedraw | kSync},
    {181, "", "Worksheet I(R)", "", kRedraw | kSync},
    {182, "", "Worksheet V(L)", "", kRedraw | kSync},
    {163, "", "", "Half-width of the antenna beam of the shown scan", 0},
    {164, "", "", "Step between two points of the shown scan", 0},
    {195, "", "", "A number for the next operation: type it and press Enter", 0},
    {228, "", "", "R/L balance: lit when the R and L integrals differ by more than 1.5 times", 0},
    {140, "", "", "", 0},
    {5555, "", "", "", kRedraw},
};

std::vector<CommandInfo> buildCatalog()
{
    std::vector<CommandInfo> v;
    v.reserve(std::size(kRows));
    for (const Row& r : kRows)
        v.push_back({r.id, r.menuPath, r.caption, r.hint, isDataCommand(r.id), (r.flags & kRedraw) != 0,
                     (r.flags & kSync) != 0, {}});
    return v;
}

} // namespace

const std::vector<CommandInfo>& commandCatalog()
{
    static const std::vector<CommandInfo> catalog = buildCatalog();
    return catalog;
}

bool isDataCommand(int id)
{
    return std::binary_search(kDataCommands.begin(), kDataCommands.end(), id);
}

} // namespace qm
