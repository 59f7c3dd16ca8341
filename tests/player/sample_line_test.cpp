// The sample line between the sensor process and the player, both ends.
#include "player/sample_line.h"

#include <gtest/gtest.h>

namespace knockbox {
namespace {

TEST(SampleLine, FormatHasFixedDecimalsAndTheGyroOnlyWhenPresent) {
    AccelSample sample{12.345678901, 0.0123457, -0.0045678, -1.0012345, {}};
    EXPECT_EQ(formatSampleLine(sample), "12.345678901 0.0123457 -0.0045678 -1.0012345\n");
    sample.gyro = GyroSample{99, 0.5, -0.25, 0};
    EXPECT_EQ(formatSampleLine(sample),
              "12.345678901 0.0123457 -0.0045678 -1.0012345 0.5000000 -0.2500000 0.0000000\n");
    EXPECT_EQ(formatSampleLine({123456.5, 1e-9, -2, 3.00000005, {}}),
              "123456.500000000 0.0000000 -2.0000000 3.0000001\n");
}

TEST(SampleLine, FourOrSevenNumbersMakeASampleAndNothingElseDoes) {
    const auto plain = parseSampleLine("1.5 0.25 -0.5 -1");
    ASSERT_TRUE(plain);
    EXPECT_EQ(*plain, (AccelSample{1.5, 0.25, -0.5, -1, {}}));

    const auto withGyro = parseSampleLine("2.0 0 0 -1 0.5 -0.25 3");
    ASSERT_TRUE(withGyro);
    EXPECT_EQ(withGyro->gyro, (GyroSample{2.0, 0.5, -0.25, 3}));  // the gyro takes the line's t

    // Only the count of numbers matters: words and extra spaces are skipped.
    EXPECT_EQ(parseSampleLine("1 word 2 3 4"), (AccelSample{1, 2, 3, 4, {}}));
    EXPECT_EQ(parseSampleLine("  1  2 3 4 "), (AccelSample{1, 2, 3, 4, {}}));
    for (const char* dropped : {"", " ", "1 2 3", "1 2 3 4 5", "1 2 3 4 5 6", "1 2 3 4 5 6 7 8", "1 2 3 nan",
                                "1 2 3 inf", "1,2,3,4", "1\t2 3 4"})
        EXPECT_FALSE(parseSampleLine(dropped)) << '"' << dropped << '"';
}

TEST(SampleLine, WhatIsFormattedParsesBackToTheWrittenPrecision) {
    const AccelSample sample{7654.123456789, -0.98765432, 0.0000004, 1.25, GyroSample{7654.1, 12.3456789, -0.1, 0}};
    const std::string line = formatSampleLine(sample);
    const auto back = parseSampleLine(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(back);
    EXPECT_NEAR(back->t, sample.t, 1e-9);
    EXPECT_NEAR(back->x, sample.x, 1e-7);
    EXPECT_NEAR(back->z, sample.z, 1e-7);
    ASSERT_TRUE(back->gyro);
    EXPECT_EQ(back->gyro->t, back->t);
    EXPECT_NEAR(back->gyro->x, 12.3456789, 1e-7);
}

TEST(SampleLineBuffer, LinesAreAssembledHoweverTheReadsCutThem) {
    const std::string stream = "1 0 0 -1\n2 0 0 -1 0.5 0.5 0.5\n\n1 2 3\n3 0.1 0.2 -1\n4 0 0 -1";
    const std::vector<AccelSample> whole = [&] {
        SampleLineBuffer buffer;
        std::vector<AccelSample> samples;
        buffer.append(stream, samples);
        return samples;
    }();
    ASSERT_EQ(whole.size(), 3u);  // the last line is not complete yet
    EXPECT_EQ(whole[2].t, 3);
    EXPECT_TRUE(whole[1].gyro);

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
    // Byte by byte.
    SampleLineBuffer buffer;
    std::vector<AccelSample> samples;
    for (char byte : stream) buffer.append(std::string_view(&byte, 1), samples);
    EXPECT_EQ(samples, whole);
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
