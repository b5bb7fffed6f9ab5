#include "app/scan_record.h"
#include "app/byte_order.h"
#include "app/text_format.h"

#include <gtest/gtest.h>

#include <cstring>

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
    EXPECT_STREQ(reinterpret_cast<const char*>(p + 28), "/data/set.001");
    EXPECT_STREQ(reinterpret_cast<const char*>(p + 284), "Sun");
    EXPECT_STREQ(reinterpret_cast<const char*>(p + 334), "2004/05/01");
    EXPECT_STREQ(reinterpret_cast<const char*>(p + 350), "05:13:47.25");
    EXPECT_STREQ(reinterpret_cast<const char*>(p + 366), "RATAN-600");
    EXPECT_STREQ(reinterpret_cast<const char*>(p + 416), "SAO");
    EXPECT_EQ(getI16LE(p + 466), 3000);
    EXPECT_EQ(getF32LE(p + 468), 1.5f);
    EXPECT_EQ(getF32LE(p + 472), 2.5f);
    EXPECT_EQ(getF32LE(p + 476), -3.25f);
    EXPECT_EQ(getF32LE(p + 480), 960.5f);
    EXPECT_EQ(getF32LE(p + 484), 1499.75f);
    EXPECT_EQ(getI16LE(p + 488), 16000);
    EXPECT_EQ(p[490], 0);
    EXPECT_EQ(p[491], 0);
    EXPECT_EQ(getF32LE(p + 492), 17.5f);
    EXPECT_EQ(getF32LE(p + 496), 1.25f);
    EXPECT_EQ(getF32LE(p + 500), 0.125f);
    EXPECT_EQ(getF32LE(p + 504), 3.25f);
    const int16_t flags[] = {1, 2, 3, 4, 5, 6, 1};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(getI16LE(p + 508 + 2 * i), flags[i]) << "flag word " << i;
    EXPECT_EQ(p[522], 0);
    EXPECT_EQ(p[523], 0);

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

TEST(ScanRecordArrays, ChannelBlocksAndViews)
{
    ScanRecord r;
    r.nPoints = 4;
    EXPECT_EQ(r.dataI(), nullptr);
    EXPECT_EQ(r.wrkV(), nullptr);
    r.allocChannel(1);
    ASSERT_EQ(r.chanI.size(), 10u);
    EXPECT_EQ(r.wrkI(), r.dataI() + 4);
    for (int i = 0; i < 4; ++i)
        r.dataI()[i] = float(i + 1);
    r.copyDataToWorksheet();
    EXPECT_EQ(r.wrkI()[3], 4.0f);
    EXPECT_EQ(r.chanI[8], 0.0f);
    EXPECT_EQ(r.chanI[9], 0.0f);
    r.freeChannel(1);
    EXPECT_FALSE(r.hasI());
}
