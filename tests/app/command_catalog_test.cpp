#include "app/command_table.h"

#include <gtest/gtest.h>

#include <set>

using namespace qm;

// The table every front end builds from: each id once, exactly the 83 data
// commands, and the texts that look like typos are the program's own.
TEST(CommandCatalog, IdsDataCommandsAndOddTexts)
{
    const CommandTable t;
    std::set<int> ids;
    int data = 0;
    for (const CommandInfo& c : t.all()) {
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
        data += c.dataCommand;
    }
    EXPECT_EQ(data, 83);
    EXPECT_FALSE(isDataCommand(100));
    EXPECT_TRUE(isDataCommand(172));
    EXPECT_EQ(t.info(116)->caption, "Scan header ");
    EXPECT_EQ(t.info(135)->hint, "Display of  scans group");
    EXPECT_EQ(t.info(157)->hint, "Execute the chosen aplication");
    EXPECT_EQ(t.info(201)->menuPath, "Scan > Correction");
}
