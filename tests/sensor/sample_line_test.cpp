// The sample line between the sensor process and the player, both ends.
#include "sensor/sample_line.h"

#include <gtest/gtest.h>

namespace knockbox {
namespace {

TEST(SampleLine, FourOrSevenNumbersMakeASampleAndNothingElseDoes) {
    EXPECT_EQ(parseSampleLine("1.5 0.25 -0.5 -1"), (AccelSample{1.5, 0.25, -0.5, -1, {}}));
    // The gyro takes the line's t.
    EXPECT_EQ(parseSampleLine("2.0 0 0 -1 0.5 -0.25 3"), (AccelSample{2.0, 0, 0, -1, GyroSample{2.0, 0.5, -0.25, 3}}));

    // Strict: a word, a doubled or stray space, another count or a
    // non-finite number drops the whole line.
    for (const char* dropped : {"", " ", "1 2 3", "1 2 3 4 5", "1 2 3 4 5 6", "1 2 3 4 5 6 7 8", "1 2 3 nan",
                                "1 2 3 inf", "1,2,3,4", "1\t2 3 4", "1 word 2 3 4", "1 2 3 4 word",
                                "  1  2 3 4 ", "1 2 3 4 ", " 1 2 3 4", "1 2  3 4", "1 2 3 4\r", "1 2 3 4   ",
                                "1 2 3 4 5 6 7 ", "0x1 2 3 4"})
        EXPECT_FALSE(parseSampleLine(dropped)) << '"' << dropped << '"';
}

TEST(SampleLineBuffer, LinesAreAssembledHoweverTheReadsCutThem) {
    const std::string stream = "1 0 0 -1\n2 0 0 -1 0.5 0.5 0.5\n\n1 2 3\n3 0.1 0.2 -1\n4 0 0 -1";
    // The last line is not complete yet.
    const std::vector<AccelSample> whole{{1, 0, 0, -1, {}}, {2, 0, 0, -1, GyroSample{2, 0.5, 0.5, 0.5}},
                                         {3, 0.1, 0.2, -1, {}}};

    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        SampleLineBuffer buffer;
        std::vector<AccelSample> samples;
        buffer.append(std::string_view(stream).substr(0, cut), samples);
        buffer.append(std::string_view(stream).substr(cut), samples);
        EXPECT_EQ(samples, whole) << "cut at " << cut;
        buffer.append("\n", samples);
        ASSERT_EQ(samples.size(), 4u);
        EXPECT_EQ(samples[3].t, 4);
    }
}

TEST(SampleLineBuffer, AnOverlongLineIsDroppedAndTheNextOneCounts) {
    SampleLineBuffer buffer;
    std::vector<AccelSample> samples;
    buffer.append("1 2 3 4", samples);
    for (int i = 0; i < 100; ++i) buffer.append(std::string(100, ' '), samples);
    buffer.append("\n5 6 7 8\n", samples);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].t, 5);
}

}  // namespace
}  // namespace knockbox
