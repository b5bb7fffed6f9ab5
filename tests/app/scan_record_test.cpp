#include "app/scan_record.h"
#include "app/byte_order.h"
#include "app/text_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

using namespace qm;

// Every field lands at its documented offset with its documented width.
TEST(ScanRecordLayout, OffsetTablePinsEveryField)
{
    ScanRecord r;
    copyField(r.dataFile, "/data/set.001");
    copyField(r.object, "Sun");
    copyField(r.dateObs, "2004/05/01");
    copyField(r.timeObs, "05:13:47.25");
    copyField(r.telescop, "RATAN-600");
    copyField(r.origin, "SAO");
    r.nPoints = 3000;
    r.azimuth = 1.5f; r.altitude = 2.5f; r.angleP = -3.25f; r.radius = 960.5f; r.centerPoint = 1499.75f;
    r.tqSun = 16000; r.beamHalfsize = 17.5f; r.step = 1.25f; r.fluxCoef = 0.125f; r.frequency = 3.25f;
    r.calibData = 1; r.calibWrk = 2; r.fluxWrk = 3; r.fluxData = 4; r.flagIvData = 5; r.flagIvWrk = 6; r.sampleFormat = 1;
    const auto a = encodeRecord(r);
    ASSERT_EQ(a.size(), 524u);
    const uint8_t* p = a.data();
    for (std::size_t i = 0; i < 28; ++i)
        EXPECT_EQ(p[i], 0) << "pointer slot byte " << i;
    const std::pair<std::size_t, const char*> texts[] = {
        {28, "/data/set.001"}, {284, "Sun"}, {334, "2004/05/01"}, {350, "05:13:47.25"}, {366, "RATAN-600"}, {416, "SAO"}};
    for (const auto& [at, text] : texts)
        EXPECT_STREQ(reinterpret_cast<const char*>(p + at), text) << at;
    EXPECT_EQ(getI16LE(p + 466), 3000);
    const std::pair<std::size_t, float> floats[] = {{468, 1.5f},    {472, 2.5f},   {476, -3.25f},
                                                     {480, 960.5f},  {484, 1499.75f}, {492, 17.5f},
                                                     {496, 1.25f},   {500, 0.125f}, {504, 3.25f}};
    for (const auto& [at, value] : floats)
        EXPECT_EQ(getF32LE(p + at), value) << at;
    EXPECT_EQ(getI16LE(p + 488), 16000);
    EXPECT_EQ(p[490] | p[491] | p[522] | p[523], 0); // padding
    const int16_t flags[] = {1, 2, 3, 4, 5, 6, 1};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(getI16LE(p + 508 + 2 * i), flags[i]) << "flag word " << i;

    ScanRecord back;
    decodeRecord(p, back);
    EXPECT_EQ(encodeRecord(back), a);
}

// A hostile image without terminators still decodes to bounded texts.
TEST(ScanRecordLayout, DecodeForcesTerminatedText)
{
    uint8_t image[524];
    std::memset(image, 'A', sizeof image);
    ScanRecord r;
    decodeRecord(image, r);
    EXPECT_EQ(std::strlen(r.dataFile), 255u);
    EXPECT_EQ(std::strlen(r.object), 49u);
    EXPECT_EQ(std::strlen(r.dateObs), 15u);
}
