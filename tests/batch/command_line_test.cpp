// Command lines, the command catalogue and title templates.
#include "app/command_table.h"
#include "batch/command_catalogue.h"
#include "batch/command_line.h"
#include "batch/title_template.h"
#include "tests/batch/batch_fixture.h"

#include <set>

namespace qm {
namespace {

CommandCatalogue catalogueOf(std::vector<std::string> lines) { return CommandCatalogue(lines); }

TEST(CommandLine, SplitsTitleArgumentsConditionAndName)
{
    CommandLineParts p = parseCommandLine("+SmoothGauss=1.5 -2 3e1#res=%d#x");
    EXPECT_TRUE(p.conditional);
    EXPECT_EQ(p.name, "SmoothGauss");
    EXPECT_EQ(p.args, (std::array<float, 4>{1.5f, -2.0f, 30.0f, 0.0f}));
    EXPECT_EQ(p.title, "res=%d#x"); // everything after the first "#"

    p = parseCommandLine("Save Data");
    EXPECT_FALSE(p.conditional);
    EXPECT_EQ(p.name, "Save Data"); // blanks belong to the name
    EXPECT_EQ(p.args, (std::array<float, 4>{}));
    EXPECT_EQ(p.title, "");

    // Junk arguments: reading stops at the first one that is not a number;
    // values that are not finite become 0.
    p = parseCommandLine("X=7 junk 9");
    EXPECT_EQ(p.args, (std::array<float, 4>{7, 0, 0, 0}));
    p = parseCommandLine("X=nan inf 1e99 4 5");
    EXPECT_EQ(p.args, (std::array<float, 4>{0, 0, 0, 4}));
    // The title is cut to 73 characters; a "=" inside the title is text.
    p = parseCommandLine("X#" + std::string(100, 't'));
    EXPECT_EQ(p.title, std::string(73, 't'));
    EXPECT_EQ(parseCommandLine("+#only").name, "");
}

TEST(CommandLine, LookupTakesTheFirstCatalogueLineContainingTheName)
{
    const CommandCatalogue cat = catalogueOf({"109 SmoothMedian Median smoothing of data",
                                              "110 SmoothGauss Gaussian smoothing of data", "no number here",
                                              "-5 Negative never", "124 GaussFlux gauss analysis"});
    EXPECT_EQ(cat.lookup("SmoothGauss"), 110);
    EXPECT_EQ(cat.lookup("Gauss"), 110);  // "Gaussian" in line 110 comes first
    EXPECT_EQ(cat.lookup("smoothing"), 109);
    EXPECT_EQ(cat.lookup("109"), 109);
    EXPECT_EQ(cat.lookup("GaussFlux"), 124);
    EXPECT_EQ(cat.lookup("number"), std::nullopt); // lines without a number name nothing
    EXPECT_EQ(cat.lookup("Negative"), std::nullopt);
    EXPECT_EQ(cat.lookup("gaussflux"), std::nullopt); // case matters
    EXPECT_EQ(cat.lookup(""), std::nullopt);          // would otherwise run the first line
    EXPECT_EQ(cat.lookup("   "), std::nullopt);

    auto c = resolveCommandLine("+SmoothMedian=3#t", cat);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->number, -109);
    EXPECT_EQ(c->args[0], 3.0f);
    EXPECT_EQ(c->title, "t");
    EXPECT_FALSE(resolveCommandLine("Unknown=1", cat));

    // Unknown names are dropped, order is kept, at most 100 entries.
    std::vector<std::string> lines;
    for (int i = 0; i < 150; ++i)
        lines.push_back(i % 3 == 0 ? "Nope" : i % 3 == 1 ? "SmoothGauss" : "GaussFlux=" + std::to_string(i));
    const auto list = buildCommandList(lines, cat);
    ASSERT_EQ(list.size(), kMaxCommands);
    EXPECT_EQ(list[0].number, 110);
    EXPECT_EQ(list[1].number, 124);
    EXPECT_EQ(list[1].args[0], 2.0f);
    EXPECT_TRUE(buildCommandList(lines, CommandCatalogue()).empty());
}

TEST(ShippedCatalogue, EveryNameFindsItsOwnLine)
{
    const CommandCatalogue cat = CommandCatalogue::load(test::shippedCatalogue());
    ASSERT_FALSE(cat.empty());
    std::set<int> numbers;
    for (const CatalogueLine& line : cat.lines()) {
        const std::string name = catalogueName(line.text);
        EXPECT_FALSE(name.empty()) << line.text;
        EXPECT_EQ(firstWord(line.text), std::to_string(line.number)) << line.text;
        EXPECT_GT(line.text.size(), firstWord(line.text).size() + name.size() + 2) << "no description: " << line.text;
        EXPECT_EQ(cat.lookup(name), line.number) << name;
        // A script line naming the command with arguments and a title runs it.
        auto c = resolveCommandLine(name + "=1 2#t", cat);
        ASSERT_TRUE(c) << name;
        EXPECT_EQ(c->number, line.number);
        EXPECT_TRUE(numbers.insert(line.number).second) << "listed twice: " << line.number;
    }

    // Every command of the program is there: the internal commands, the menu
    // commands, the tool bar and the pop-up switches. "Cancel" (2) is left
    // out: numbers 0..27 are internal commands in a list.
    std::set<int> expected;
    for (int i = 0; i <= 27; ++i)
        expected.insert(i);
    for (const CommandInfo& c : commandCatalog())
        if (!c.menuPath.empty() && c.id != 2 && c.id != 10000)
            expected.insert(c.id);
    for (int id : {106, 107, 108, 149, 179, 180, 181, 182})
        expected.insert(id);
    EXPECT_EQ(numbers, expected);
}

TEST(TitleTemplate, CounterDateAndTime)
{
    ScanRecord r;
    copyField(r.dateObs, "2005/07/14");
    copyField(r.timeObs, "08:30:15");
    int counter = 0;
    EXPECT_EQ(expandTitle("sun_%y_%t", counter, &r), "sun_20050714_083015");
    EXPECT_EQ(counter, 0);
    EXPECT_EQ(expandTitle("res%d", counter, &r), "res1");
    EXPECT_EQ(expandTitle("plain", counter, &r), "plain");
    EXPECT_EQ(expandTitle("res%d.%y", counter, &r), "res2.20050714");
    // "%s" is left for the operation; other conversions are plain text.
    EXPECT_EQ(expandTitle("%s_%d_%x%n", counter, &r), "%s_3_%x%n");
    EXPECT_EQ(counter, 3);
    // Short fields give what they hold; without an active scan the date and
    // time templates stay.
    copyField(r.dateObs, "2005/7");
    copyField(r.timeObs, "");
    EXPECT_EQ(expandTitle("%y|%t", counter, &r), "20057|");
    EXPECT_EQ(expandTitle("%y|%t", counter, nullptr), "%y|%t");
}

} // namespace
} // namespace qm
