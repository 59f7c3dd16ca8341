#include "recording/csv_recording.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <system_error>

#include "core/app_error.h"
#include "support/child_process.h"
#include "support/thrown.h"

namespace knockbox {
namespace {

// The message a read ends with; "(accepted)" when it succeeds.
std::string failure(const std::function<void()>& read) {
    try {
        read();
    } catch (const AppError& error) {
        return error.message();
    }
    return "(accepted)";
}
std::string failure(std::string_view text) {
    return failure([&] { parseRecording(text); });
}

std::string badLine(int line) {
    return "Nieprawidłowy CSV lub czas w wierszu " + std::to_string(line) +
           ". Oczekiwano rosnących t,x,y,z.";
}

TEST(CsvRecording, LineFormatWithAndWithoutGyroscope) {
    const AccelSample withGyro{12.345678901, 0.01234567, -0.0045678, -1.0012345,
                               GyroSample{12.3, 0.5, -0.25, 0}};
    EXPECT_EQ(csvLine(withGyro),
              "12.345678901,0.0123457,-0.0045678,-1.0012345,0.5000000,-0.2500000,0.0000000");
    EXPECT_EQ(csvLine({12.347, 0.0123457, -0.0045678, -1.0012345, std::nullopt}),
              "12.347000000,0.0123457,-0.0045678,-1.0012345,,,");
    // Absolute clock times keep their nine decimals.
    EXPECT_EQ(csvLine({183456.000125, 0, 0, -1, std::nullopt}),
              "183456.000125000,0.0000000,0.0000000,-1.0000000,,,");
}

TEST(CsvRecording, RecordedFileReadsBack) {
    const std::vector<AccelSample> samples{
        {100.0, 0.01, -0.02, -1.0, GyroSample{99.0, 0.5, -0.25, 0.125}},
        {100.00125, 0.0, 0.0, -0.999, std::nullopt},
    };
    const std::string text = recordingText(samples);
    EXPECT_TRUE(text.starts_with("t,x,y,z,gx,gy,gz\n"));
    EXPECT_TRUE(text.ends_with(",,,\n"));
    const Recording read = parseRecording(text);
    ASSERT_EQ(read.size(), 2u);
    // The gyroscope takes the sample's time: its own is not written.
    EXPECT_EQ(read[0], (AccelSample{100.0, 0.01, -0.02, -1.0, GyroSample{100.0, 0.5, -0.25, 0.125}}));
    EXPECT_EQ(read[1], samples[1]);
}

TEST(CsvRecording, HeaderIsOptionalAndOnlyRecognisedOnTheFirstLine) {
    EXPECT_EQ(parseRecording("0.0,0.0,0.0,-1.0").size(), 1u);
    EXPECT_EQ(parseRecording("t,x,y,z\n1,0,0,-1\n").size(), 1u);
    EXPECT_EQ(failure("1,0,0,-1\nt,x,y,z,gx,gy,gz\n"), badLine(2));
    EXPECT_EQ(failure("t,x,y,z,gx,gy\n"), badLine(1));
    EXPECT_EQ(failure(" t,x,y,z\n1,0,0,-1\n"), badLine(1));
}

TEST(CsvRecording, EveryLineBreakCountsAndBlankLinesDoNot) {
    // LF, CR LF, CR, VT, FF, NEL, LINE SEPARATOR, PARAGRAPH SEPARATOR.
    const std::string text =
        "t,x,y,z,gx,gy,gz\r\n\r\n1,0,0,-1\r2,0,0,-1\v3,0,0,-1\f4,0,0,-1\xC2\x85"
        "5,0,0,-1\xE2\x80\xA8"
        "6,0,0,-1\xE2\x80\xA9\n\n7,0,0,-1,,,\n";
    const Recording samples = parseRecording(text);
    ASSERT_EQ(samples.size(), 7u);
    EXPECT_EQ(samples.back().t, 7.0);
    // Blank lines do not count: the bad line is the fourth non-empty one.
    EXPECT_EQ(failure("\n\nt,x,y,z\n\n1,0,0,-1\n\n2,0,0,-1\n\nbad\n"), badLine(4));
}

TEST(CsvRecording, RejectsMalformedLinesNamingTheFirst) {
    // (Same and non-numeric times, a 5-field line and nan: through the program in tests/e2e/replay_test.cpp.)
    EXPECT_EQ(failure("2,0,0,-1\n1,0,0,-1\n"), badLine(2));  // backwards
    for (const char* line : {"1,0,0,-1,0,0", "1,0,0", "1,0,0,-1,0,,", "1,0,0,", "1,0,inf,-1", "1,0,1e999,-1",
                             "1, 0,0,-1", "1;0;0;-1"})
        EXPECT_EQ(failure(std::string(line) + "\n"), badLine(1)) << line;
    // A bad line late in the file fails the whole file.
    std::string text = "t,x,y,z\n";
    for (int i = 1; i <= 500; ++i) text += std::to_string(i) + ",0,0,-1\n";
    text += "501,0,0\n";
    EXPECT_EQ(failure(text), badLine(502));
}

// However the reads cut the text (inside a CR LF or a three-byte break too),
// the samples are the same.
TEST(CsvRecording, PiecesCutAnywhereReadAsTheWhole) {
    const std::string text = "t,x,y,z\r\n1,0,0,-1\xE2\x80\xA8" "2,0,0,-1,0.5,0.5,0.5\xC2\x85" "3,0,0,-1,,,\r\n4,0,0,-1";
    const Recording whole = parseRecording(text);
    ASSERT_EQ(whole.size(), 4u);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        RecordingParser parser;
        parser.append(std::string_view(text).substr(0, cut));
        parser.append(std::string_view(text).substr(cut));
        EXPECT_EQ(parser.finish(), whole) << "cut at " << cut;
    }
}

// Endless input without a line break (a device, a binary file) is refused
// once a line outgrows any sample line, before more of it is read.
TEST(CsvRecording, AnOverlongLineFailsAtOnceWhateverFollows) {
    RecordingParser parser;
    parser.append("1,0,0,-1\n");
    const std::string zeros(1000, '\0');
    std::size_t fed = 0;
    EXPECT_EQ(failure([&] {
                  for (; fed < 10'000'000; fed += zeros.size()) parser.append(zeros);
              }),
              badLine(2));
    EXPECT_LE(fed, 2 * RecordingParser::maxLineLength);
    // A long but complete line fails the same way, and so does a device that
    // never ends, read as a file.
    EXPECT_EQ(failure("1,0,0,-1\n2," + std::string(5000, '0') + ",0,-1\n"), badLine(2));
    EXPECT_EQ(failure([] { readRecording("/dev/zero"); }), badLine(1));
}

TEST(CsvRecording, NoSampleLineIsAnEmptyRecording) {
    for (std::string_view text : {"", "\n\n", "t,x,y,z,gx,gy,gz\n", "t,x,y,z\r\n\r\n", "\xEF\xBB\xBF"})
        EXPECT_EQ(failure(text), "Nagranie jest puste.");
}

TEST(CsvRecording, FileErrorsCarryTheSystemDescription) {
    test::TemporaryDirectory directory;  // (a missing file: through the program)
    EXPECT_THROW(readRecording(directory.path()), std::system_error);

    const std::filesystem::path latin1 = directory.path() / "latin1.csv";
    std::ofstream(latin1) << "t,x,y,z\n1,0,0,-1 \xB5\n";
    const auto notUtf8 = test::thrown<std::system_error>([&] { readRecording(latin1); });
    ASSERT_TRUE(notUtf8);
    EXPECT_EQ(notUtf8->code(), std::errc::illegal_byte_sequence);

    const std::filesystem::path good = directory.path() / "good.csv";
    std::ofstream(good) << "\xEF\xBB\xBFt,x,y,z,gx,gy,gz\n1.5,0,0,-1,,,\n";
    EXPECT_EQ(readRecording(good), (Recording{{1.5, 0, 0, -1, std::nullopt}}));
}

}  // namespace
}  // namespace knockbox
