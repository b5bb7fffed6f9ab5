#include "app/command_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

using namespace qm;

namespace {

const CommandInfo& entry(int id)
{
    static const CommandTable table;
    const CommandInfo* c = table.info(id);
    if (!c)
        throw std::runtime_error("missing command " + std::to_string(id));
    return *c;
}

std::string topMenu(const std::string& path) { return path.substr(0, path.find(" > ")); }

} // namespace

TEST(CommandCatalog, EveryCommandOnceWithDataFlagsOfTheFixedList)
{
    // Every id of the command table, in id order.
    const std::vector<int> tableIds{
        2, 9, 99, 100, 101, 102, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118,
        119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138,
        139, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159,
        160, 161, 162, 165, 166, 167, 168, 169, 170, 171, 172, 173, 174, 175, 176, 177, 178, 179, 180, 181,
        182, 183, 184, 185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 196, 197, 198, 199, 200, 201,
        202, 10000};
    std::map<int, int> seen;
    for (const CommandInfo& c : commandCatalog())
        ++seen[c.id];
    for (const auto& [id, n] : seen)
        EXPECT_EQ(n, 1) << "id " << id << " listed " << n << " times";
    for (int id : tableIds)
        EXPECT_EQ(seen.count(id), 1u) << "id " << id << " missing";

    // Exactly 83 data commands, and the flag agrees with isDataCommand.
    int flagged = 0;
    for (const CommandInfo& c : commandCatalog()) {
        EXPECT_EQ(c.dataCommand, isDataCommand(c.id)) << c.id;
        flagged += c.dataCommand;
    }
    EXPECT_EQ(flagged, 83);
    int anywhere = 0;
    for (int id = -5; id <= 20000; ++id)
        anywhere += isDataCommand(id);
    EXPECT_EQ(anywhere, 83);

    // The always-available commands and a few of the loaded-set ones.
    for (int id : {2, 99, 100, 104, 105, 117, 148, 157, 177, 183, 186, 193, 194, 10000, 9, 103, 140, 163, 164,
                   179, 182, 195, 203, 5555})
        EXPECT_FALSE(isDataCommand(id)) << id;
    for (int id : {101, 102, 106, 107, 108, 111, 135, 147, 149, 161, 172, 178, 184, 185, 192, 196, 202})
        EXPECT_TRUE(isDataCommand(id)) << id;
}

TEST(CommandCatalog, CaptionsAndHintsByteForByte)
{
    // Texts with odd spacing, spelling or symbols, kept as they are.
    EXPECT_EQ(entry(116).caption, "Scan header ");
    EXPECT_EQ(entry(135).hint, "Display of  scans group");
    EXPECT_EQ(entry(115).hint, "if(N<0) x[i]=x[abs(N)]{i=0,abs(N)-1},else x[i]=x[End-N]{i=End-N,End}");
    EXPECT_EQ(entry(173).hint, "If (flag XOR x[i]>0) then x[i]=0");
    EXPECT_EQ(entry(141).hint, "Export page in (.WMF or .PS[B&W])");
    EXPECT_EQ(entry(157).hint, "Execute the chosen aplication");
    EXPECT_EQ(entry(176).hint, "Interactive gauss analiz");
    EXPECT_EQ(entry(199).hint, "Equal scale of RL calcualation");
    EXPECT_EQ(entry(122).caption, "I,V<=>R,L");
    EXPECT_EQ(entry(122).hint, "Transform (I,V) <==> (R,L)");
    EXPECT_EQ(entry(121).caption, "Data--Wrksh");
    EXPECT_EQ(entry(146).caption, "Ta[K]=>Flux");
    // Entries without a string-table hint.
    for (int id : {104, 185, 186, 10000, 9, 179})
        EXPECT_EQ(entry(id).hint, "") << id;

    // Menu places, sub-menus included.
    const std::vector<std::tuple<int, const char*, const char*>> places{
        {99, "File > Load", "PackFile"},    {186, "File > Load", "WorkSpace"},
        {185, "File > Save", "WorkSpace"},  {101, "File > Save", "WorkSheet"},
        {112, "View > Screen", "Full scan"}, {178, "View > Scan Group", "Prev. Group"},
        {109, "Scan > Smooth", "Median"},    {156, "Scan > Modification", "Null level"},
        {202, "Scan > Correction", "FFT Beam convolution"},
        {197, "Scan > Calibration", "Set Noise generator"},
        {127, "Scan > Calibration", "Full Flux"}, {125, "Calc", "Full Flux"},
        {10000, "Spec.Func", "None"},        {193, "Script", "Reload"},
        {2, "Help", "Cancel"},               {157, "File", "Call program"}};
    for (const auto& [id, path, caption] : places) {
        EXPECT_EQ(entry(id).menuPath, path) << id;
        EXPECT_EQ(entry(id).caption, caption) << id;
    }
}

TEST(CommandCatalog, MenusAreContiguousInBarOrder)
{
    const std::vector<std::string> tops{"File", "Scan", "Transform", "Calc", "View", "Spec.Func", "Script", "Help"};
    const std::set<std::string> subs{"File > Save", "File > Load", "Scan > Smooth", "Scan > Modification",
                                     "Scan > Correction", "Scan > Calibration", "View > Screen",
                                     "View > Scan Group"};
    const std::set<int> nonMenu{9, 106, 107, 108, 149, 179, 180, 181, 182, 163, 164, 195};

    std::vector<std::string> topOrder;   // top menus in order of first appearance
    std::vector<std::string> blockOrder; // runs of equal menu paths
    bool menusEnded = false;
    for (const CommandInfo& c : commandCatalog()) {
        if (nonMenu.count(c.id)) {
            EXPECT_EQ(c.menuPath, "") << c.id;
        }
        if (c.menuPath.empty()) {
            menusEnded = true;
            continue;
        }
        EXPECT_FALSE(menusEnded) << "menu item " << c.id << " after the non-menu entries";
        EXPECT_FALSE(c.caption.empty()) << c.id;
        const std::string top = topMenu(c.menuPath);
        EXPECT_TRUE(std::find(tops.begin(), tops.end(), top) != tops.end()) << c.menuPath;
        if (c.menuPath != top) {
            EXPECT_TRUE(subs.count(c.menuPath)) << c.menuPath;
        }
        if (topOrder.empty() || topOrder.back() != top)
            topOrder.push_back(top);
        if (blockOrder.empty() || blockOrder.back() != c.menuPath)
            blockOrder.push_back(c.menuPath);
    }
    EXPECT_EQ(topOrder, tops); // each top menu once, in bar order
    for (const std::string& s : subs)
        EXPECT_EQ(std::count(blockOrder.begin(), blockOrder.end(), s), 1) << s << " is split";

    // The File and Help menus as a user reads them.
    std::vector<std::string> file, help;
    for (const CommandInfo& c : commandCatalog()) {
        if (topMenu(c.menuPath) == "File") {
            const std::string item = c.menuPath == "File" ? c.caption : c.menuPath.substr(7) + " >";
            if (file.empty() || file.back() != item)
                file.push_back(item);
        }
        if (c.menuPath == "Help")
            help.push_back(c.caption);
    }
    EXPECT_EQ(file, (std::vector<std::string>{"Open", "Append...", "Load >", "Save >", "Close", "Export...",
                                              "Print...", "Wrksh to TALVO", "Set InitDir", "Call program",
                                              "Script Edit..."}));
    EXPECT_EQ(help, (std::vector<std::string>{"Main help", "About...", "Cancel"}));
}

TEST(CommandCatalog, RedrawAndSyncFlags)
{
    for (int id : {179, 180, 181, 182}) {
        EXPECT_TRUE(entry(id).redraw) << id;
        EXPECT_TRUE(entry(id).sync) << id;
    }
    for (int id : {109, 110, 112, 122, 123, 124, 135, 139, 154, 192, 196, 200, 202, 5555})
        EXPECT_TRUE(entry(id).redraw) << id;
    for (int id : {100, 111, 113, 125, 147, 155, 165, 177, 186})
        EXPECT_FALSE(entry(id).redraw) << id;
    int synced = 0;
    for (const CommandInfo& c : commandCatalog())
        synced += c.sync;
    EXPECT_EQ(synced, 4); // only the four array toggles; 178 synchronises itself when it acts
    EXPECT_EQ(CommandTable().info(103), nullptr);
}
