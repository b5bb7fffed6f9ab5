// quillmar-batch --beam prints the beam of command 202 for the given scan.
#include "app/scan_record.h"
#include "beam/fft_beam_correction.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qm {
namespace {

TEST(QuillmarBatch, BeamOptionPrintsTheCorrectionsBeam)
{
    test::TempDir dir("qm-beam");
    test::ToolRun r = test::runTool(QM_BATCH_EXE, "--beam 10 50 1 --dfx -12.5 --points 21", dir.path().string());
    ASSERT_EQ(r.code, 0) << r.err;

    ScanRecord scan;
    scan.frequency = 10;
    scan.altitude = 50;
    scan.step = 1;
    BeamConfig config;
    config.verticalPoints = 21;
    const BeamModel beam = scanBeam(scan, config, -12.5, 0);
    std::istringstream out(r.out);
    std::string first;
    std::getline(out, first);
    char expected[160];
    std::snprintf(expected, sizeof expected, "n=%d jmax=%d width=%.6f q=%.9f dx=%.9f", beam.n(), beam.maxIndex(),
                  beam.halfPowerWidth(), beam.q(), beam.in.dx);
    EXPECT_EQ(first, expected);
    EXPECT_GT(beam.maxIndex(), beam.n() / 2); // a west feed looks east
    int j = -1, lines = 0;
    double b = 0;
    while (out >> j >> b) {
        ASSERT_EQ(j, lines);
        EXPECT_NEAR(b, beam.values()[static_cast<std::size_t>(j)], 1e-9);
        ++lines;
    }
    EXPECT_EQ(lines, beam.n());

    EXPECT_EQ(test::runTool(QM_BATCH_EXE, "--beam 0 50 1", dir.path().string()).code, 1);   // wl <= 0
    EXPECT_EQ(test::runTool(QM_BATCH_EXE, "--beam 10 140 1", dir.path().string()).code, 1); // q <= 0
    for (const char* bad : {"--beam 10 50", "--beam 10 50 x", "--beam 10 50 1 --dfx", "--beam 10 50 1 --size 3",
                            "--beam 10 50 1 --points 2.5", "--beam 10 50 1 nan"})
        EXPECT_EQ(test::runTool(QM_BATCH_EXE, bad, dir.path().string()).code, 2) << bad;
}

} // namespace
} // namespace qm
