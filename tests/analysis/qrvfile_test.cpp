#include "analysis/core/qrvfile.h"
#include "platform/paths.h"
#include "qrvfixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <numeric>

using namespace qv;
using qrvfixture::QrvBytes;
using testsupport::TempDir;

namespace {

// Writes the bytes into the temporary directory and returns the file's program path.
std::string WriteQrv(const TempDir& dir, const std::string& name, const std::string& bytes) {
    return plat::ProgramPath(dir.write(name, bytes));
}

RateSeries Load(const TempDir& dir, const std::string& bytes, bool perSecond,
                bool expectSuccess = true) {
    RateSeries series;
    EXPECT_EQ(LoadRateSeries(WriteQrv(dir, "clip.qrv", bytes), perSecond, series), expectSuccess);
    return series;
}

// The running average written the long way: every frame shifts a list that holds the window.
std::vector<double> NaiveAverages(const std::vector<int32_t>& sizes, int64_t frameTime,
                                  bool perSecond) {
    const size_t window = static_cast<size_t>(AverageWindow(frameTime));
    std::deque<int64_t> recent;
    std::vector<double> out;
    for (size_t i = 0; i < sizes.size(); ++i) {
        recent.push_front(i == 0 ? 0 : sizes[i]);
        if (recent.size() > window) recent.pop_back();
        int64_t sum = std::accumulate(recent.begin(), recent.end(), int64_t{0});
        double average = static_cast<double>(sum / static_cast<int64_t>(recent.size()));
        out.push_back(perSecond ? average * 100000 / static_cast<double>(frameTime) : average);
    }
    return out;
}

} // namespace

TEST(FrameTimeTest, RateFieldAndWindow) {
    struct Case {
        int32_t rate;
        int64_t frameTime;
        int32_t window;
    };
    const Case cases[] = {
        {67, 6700, 14},
        {-6667, 6667, 14},
        {300, 30000, 3},
        {-98, 98, 1020},
        {-50, 50, 2000},   // window longer than the 1024 frames a fixed ring would hold
        {1001, 100100, 1}, // frames longer than a second: one frame, not none
        {-100000, 100000, 1},
        {INT32_MAX, int64_t{INT32_MAX} * 100, 1}, // no 32-bit overflow
        {INT32_MIN, 2147483648LL, 1},
        {-1, 1, 100000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        EXPECT_EQ(FrameTime(c.rate), c.frameTime);
        EXPECT_EQ(AverageWindow(c.frameTime), c.window);
    }
}

TEST(LoadRateSeriesTest, ReferenceLevelsInBothUnits) {
    TempDir dir;
    RateSeries perFrame = Load(dir, QrvBytes(67, {100}), false);
    EXPECT_EQ(perFrame.frameTime, 6700);
    EXPECT_DOUBLE_EQ(perFrame.referenceLevels[ref1x], 8040);
    EXPECT_DOUBLE_EQ(perFrame.referenceLevels[ref2x], 16080);
    EXPECT_DOUBLE_EQ(perFrame.referenceLevels[ref4x], 32160);

    RateSeries perSecond = Load(dir, QrvBytes(67, {100}), true);
    EXPECT_EQ(perSecond.referenceLevels, (std::array<double, 3>{120000, 240000, 480000}));
}

TEST(LoadRateSeriesTest, FirstFrameEntersTheAverageAsNothing) {
    TempDir dir;
    RateSeries s = Load(dir, QrvBytes(67, {10000, 2000}), false);
    EXPECT_EQ(s.frameValues, (std::vector<double>{10000, 2000}));
    EXPECT_EQ(s.averageValues, (std::vector<double>{0, 1000}));
    EXPECT_EQ(s.maximum, 10000);
    EXPECT_EQ(s.frameCount, 2);
    EXPECT_EQ(s.headerFrameCount, 2);
}

TEST(LoadRateSeriesTest, OldestSizeLeavesTheFullWindow) {
    TempDir dir;
    RateSeries s = Load(dir, QrvBytes(300, {500, 30, 60, 90, 120}), false);
    EXPECT_EQ(s.averageValues, (std::vector<double>{0, 15, 30, 60, 90}));
    EXPECT_EQ(s.frameValues, (std::vector<double>{500, 30, 60, 90, 120}));
    EXPECT_EQ(s.maximum, 500);
}

TEST(LoadRateSeriesTest, BytesPerSecondDividesAfterTheIntegerAverage) {
    TempDir dir;
    RateSeries s = Load(dir, QrvBytes(-6667, {8000, 7001, 7000}), true);
    EXPECT_DOUBLE_EQ(s.frameValues[0], 8000.0 * 100000 / 6667);
    EXPECT_DOUBLE_EQ(s.averageValues[1], 3500.0 * 100000 / 6667); // 7001 div 2 = 3500
    EXPECT_DOUBLE_EQ(s.averageValues[2], 4667.0 * 100000 / 6667); // 14001 div 3 = 4667
    EXPECT_DOUBLE_EQ(s.maximum, 8000.0 * 100000 / 6667);
}

// The ring against the plain definition, over windows short and long (a frame time below 98 asks
// for more than 1024 frames) and tables that cross block boundaries.
TEST(LoadRateSeriesTest, RunningAverageMatchesTheDefinition) {
    struct Case {
        int32_t rate;
        size_t frames;
    };
    const Case cases[] = {{67, 40},    {300, 512}, {-6667, 513},
                          {-50, 3000}, {-1, 1500}, {2000, 1030}};
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        std::vector<int32_t> sizes(c.frames);
        for (size_t i = 0; i < sizes.size(); ++i)
            sizes[i] = static_cast<int32_t>((i * 7919) % 5003) - 40; // a few negative entries
        for (bool perSecond : {false, true}) {
            RateSeries s = Load(dir, QrvBytes(c.rate, sizes), perSecond);
            ASSERT_EQ(s.frameValues.size(), c.frames);
            EXPECT_EQ(s.averageValues, NaiveAverages(sizes, FrameTime(c.rate), perSecond));
        }
    }
}

TEST(LoadRateSeriesTest, LargeFramesDoNotOverflowTheSum) {
    TempDir dir;
    RateSeries s =
        Load(dir, QrvBytes(300, {2000000000, 2000000000, 2000000000, 2000000000}), false);
    EXPECT_EQ(s.averageValues, (std::vector<double>{0, 1000000000, 1333333333, 2000000000}));
}

TEST(LoadRateSeriesTest, RejectedFiles) {
    TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string wholeButWrongMagic = QrvBytes(67, {100, 200}, {}, "QRV1");
    const Case cases[] = {
        {"wrong magic", wholeButWrongMagic},
        {"lower-case magic", QrvBytes(67, {100}, {}, "qrv2")},
        {"frame rate field of 0", QrvBytes(0, {100, 200})},
        {"header ends before its fields", QrvBytes(67, {}).substr(0, 18)},
        {"empty file", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RateSeries s = Load(dir, c.bytes, true, false);
        EXPECT_TRUE(s.frameValues.empty());
        EXPECT_TRUE(s.averageValues.empty());
        EXPECT_EQ(s.maximum, 0);
        EXPECT_EQ(s.frameCount, 0);
    }
    RateSeries missing;
    EXPECT_FALSE(LoadRateSeries(plat::ProgramPath(dir.file("none.qrv")), true, missing));
}

TEST(LoadRateSeriesTest, NoFramesGiveEmptySeries) {
    TempDir dir;
    for (int32_t count : {0, -5}) {
        RateSeries s = Load(dir, QrvBytes(67, {100, 200}, count), true);
        EXPECT_TRUE(s.frameValues.empty());
        EXPECT_TRUE(s.averageValues.empty());
        EXPECT_EQ(s.maximum, 0);
    }
    // Every frame 0 or below leaves the maximum at 0.
    EXPECT_EQ(Load(dir, QrvBytes(67, {-3, 0, -1}), false).maximum, 0);
}

TEST(LoadRateSeriesTest, FileEndingInsideItsTablePlotsThePresentFrames) {
    TempDir dir;
    std::vector<int32_t> sizes(700);
    std::iota(sizes.begin(), sizes.end(), 1);
    std::string bytes = QrvBytes(67, sizes, 1000) + "\x01\x02"; // and half an entry
    RateSeries s = Load(dir, bytes, false);
    EXPECT_EQ(s.headerFrameCount, 1000);
    EXPECT_EQ(s.frameCount, 700);
    ASSERT_EQ(s.frameValues.size(), 700u);
    EXPECT_EQ(s.averageValues.size(), 700u);
    EXPECT_EQ(s.frameValues.back(), 700);
    EXPECT_EQ(s.maximum, 700);

    // A header cut short after its fields: a valid file with nothing to plot.
    RateSeries headerOnly = Load(dir, QrvBytes(67, {}, 10).substr(0, 60), false);
    EXPECT_EQ(headerOnly.frameCount, 0);
}

TEST(LoadRateSeriesTest, HugeClaimedCountAllocatesOnlyForWhatIsThere) {
    TempDir dir;
    RateSeries s = Load(dir, QrvBytes(67, {5, 6, 7}, INT32_MAX), false);
    EXPECT_EQ(s.frameValues, (std::vector<double>{5, 6, 7}));
    EXPECT_LT(s.frameValues.capacity(), 1024u);
    EXPECT_LT(s.averageValues.capacity(), 1024u);
}

TEST(ScaleTopTest, Rows) {
    struct Case {
        double maximum, level;
        bool perSecond;
        double top, step;
    };
    const Case cases[] = {
        {123456.7, 240000, true, 240000, 48000},
        {250001, 240000, true, 250000, 50000},
        {250003, 240000, true, 251000, 50200},
        {12, 0, false, 500, 100},
        {0, 0, true, 0, 0},
        {0, 0, false, 0, 0},
        {10000, 16080, false, 16500, 3300},
        {503, 0, false, 1000, 200}, // 503 rounds to 505
        {501, 0, false, 500, 100},  // 501 rounds to 500, the top may lie just below
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.maximum << " / " << c.level);
        ValueScale scale = ScaleTop(c.maximum, c.level, c.perSecond);
        EXPECT_DOUBLE_EQ(scale.top, c.top);
        EXPECT_DOUBLE_EQ(scale.step, c.step);
    }
}

TEST(ReadBackTest, BothUnits) {
    FrameReadout perSecond = ReadBack(120000, 6667, true);
    EXPECT_EQ(perSecond.size, 8000);
    EXPECT_EQ(perSecond.bytesPerSecond, 120000);
    FrameReadout perFrame = ReadBack(8000, 6667, false);
    EXPECT_EQ(perFrame.size, 8000);
    EXPECT_EQ(perFrame.bytesPerSecond, 119994); // 8000 x 100000 / 6667 = 119994.0...
    FrameReadout negative = ReadBack(-2.7, 100000, false);
    EXPECT_EQ(negative.size, -2); // toward zero
    EXPECT_EQ(ReadBack(1e300, 100000, true).bytesPerSecond, INT64_MAX);
}

TEST(CopyValuesTextTest, HeadingAndOneLinePerFrame) {
    const std::vector<double> values = {120000, 0, 59999.9}; // 59999.9 x 6667 = 4000.07 x 100000
    EXPECT_EQ(CopyValuesText("C:\\clips\\a.qrv", values, 6667, true),
              "Quarver file: C:\\clips\\a.qrv\r\n\r\nFrame\tSize\tBytes per Second\r\n"
              "1\t8000\t120000\r\n"
              "2\t0\t0\r\n"
              "3\t4000\t59999\r\n");
    EXPECT_EQ(CopyValuesText("C:\\b.qrv", {}, 6667, false),
              "Quarver file: C:\\b.qrv\r\n\r\nFrame\tSize\tBytes per Second\r\n");
    EXPECT_EQ(ValueOfFrame(values, 0), 0);
    EXPECT_EQ(ValueOfFrame(values, 3), 59999.9);
    EXPECT_EQ(ValueOfFrame(values, 4), 0);
}
