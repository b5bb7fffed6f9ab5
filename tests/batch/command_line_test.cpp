// Command lines, the command catalogue and title templates.
#include "batch/command_catalogue.h"
#include "batch/command_line.h"
#include "batch/title_template.h"
#include "tests/batch/batch_fixture.h"

#include <set>

namespace qm {
namespace {

TEST(CommandLine, ParsesAndResolvesAgainstTheCatalogue)
{
    CommandLineParts p = parseCommandLine("+SmoothGauss=1.5 -2 3e1#res=%d#x");
    EXPECT_TRUE(p.conditional);
    EXPECT_EQ(p.name, "SmoothGauss");
    EXPECT_EQ(p.args, (std::array<float, 4>{1.5f, -2.0f, 30.0f, 0.0f}));
    EXPECT_EQ(p.title, "res=%d#x"); // everything after the first "#"
    // Reading stops at junk; values that are not finite become 0.
    EXPECT_EQ(parseCommandLine("X=7 junk 9").args, (std::array<float, 4>{7, 0, 0, 0}));
    EXPECT_EQ(parseCommandLine("X=nan inf 1e99 4 5").args, (std::array<float, 4>{0, 0, 0, 4}));

    const CommandCatalogue cat(std::vector<std::string>{"109 SmoothMedian Median smoothing of data",
                                                        "110 SmoothGauss Gaussian smoothing of data",
                                                        "no number here", "124 GaussFlux gauss analysis"});
    EXPECT_EQ(cat.lookup("Gauss"), 110); // the first line containing the name
    EXPECT_EQ(cat.lookup("GaussFlux"), 124);
    EXPECT_EQ(cat.lookup("number"), std::nullopt);
    auto c = resolveCommandLine("+SmoothMedian=3#t", cat);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->number, -109);
    EXPECT_EQ(c->title, "t");

    // Unknown names are dropped, order is kept, at most 100 entries.
    std::vector<std::string> lines;
    for (int i = 0; i < 150; ++i)
        lines.push_back(i % 3 == 0 ? "Nope" : i % 3 == 1 ? "SmoothGauss" : "GaussFlux=" + std::to_string(i));
    const auto list = buildCommandList(lines, cat);
    ASSERT_EQ(list.size(), kMaxCommands);
    EXPECT_EQ(list[1].number, 124);
    EXPECT_EQ(list[1].args[0], 2.0f);
}

TEST(ShippedCatalogue, EveryNameFindsItsOwnLine)
{
    const CommandCatalogue cat = CommandCatalogue::load(test::shippedCatalogue());
    ASSERT_FALSE(cat.empty());
    std::set<int> numbers;
    for (const CatalogueLine& line : cat.lines()) {
        const std::string name = catalogueName(line.text);
        EXPECT_FALSE(name.empty()) << line.text;
        EXPECT_EQ(cat.lookup(name), line.number) << name;
        auto c = resolveCommandLine(name + "=1 2#t", cat);
        ASSERT_TRUE(c) << name;
        EXPECT_EQ(c->number, line.number);
        EXPECT_TRUE(numbers.insert(line.number).second) << "listed twice: " << line.number;
    }
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
    EXPECT_EQ(expandTitle("%s_%d_%x", counter, &r), "%s_2_%x"); // other conversions are text
}

} // namespace
} // namespace qm
