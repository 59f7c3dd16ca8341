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

std::string badLine(int line) {
    return "Nieprawidłowy CSV lub czas w wierszu " + std::to_string(line) +
           ". Oczekiwano rosnących t,x,y,z.";
}

TEST(CsvRecording, LineFormatAndReadingBack) {
    const AccelSample withGyro{12.345678901, 0.01234567, -0.0045678, -1.0012345, GyroSample{12.3, 0.5, -0.25, 0}};
    EXPECT_EQ(csvLine(withGyro), "12.345678901,0.0123457,-0.0045678,-1.0012345,0.5000000,-0.2500000,0.0000000");
    // Absolute clock times keep their nine decimals.
    EXPECT_EQ(csvLine({183456.000125, 0, 0, -1, std::nullopt}), "183456.000125000,0.0000000,0.0000000,-1.0000000,,,");

    const std::vector<AccelSample> samples{{100.0, 0.01, -0.02, -1.0, GyroSample{99.0, 0.5, -0.25, 0.125}},
                                           {100.00125, 0.0, 0.0, -0.999, std::nullopt}};
    const std::string text = recordingText(samples);
    EXPECT_TRUE(text.starts_with("t,x,y,z,gx,gy,gz\n"));
    // The gyroscope takes the sample's time: its own is not written.
    EXPECT_EQ(parseRecording(text),
              (Recording{{100.0, 0.01, -0.02, -1.0, GyroSample{100.0, 0.5, -0.25, 0.125}}, samples[1]}));
}

// What a text reads as: its number of samples, or the message it fails with.
TEST(CsvRecording, TextsAndWhatTheyReadAs) {
    const auto outcome = [](std::string_view text) {
        std::size_t count = 0;
        const std::string message = failure([&] { count = parseRecording(text).size(); });
        return message == "(accepted)" ? std::to_string(count) + " samples" : message;
    };
    std::string late = "t,x,y,z\n";  // a bad line late in the file fails the whole file
    for (int i = 1; i <= 500; ++i) late += std::to_string(i) + ",0,0,-1\n";
    late += "501,0,0\n";
    const std::string empty = "Nagranie jest puste.";
    // (Same and non-numeric times, a 5-field line and nan: through the program in tests/e2e/replay_test.cpp.)
    const std::pair<std::string, std::string> cases[] = {
        // The header is optional and recognised only on the first line.
        {"0.0,0.0,0.0,-1.0", "1 samples"}, {"t,x,y,z\n1,0,0,-1\n", "1 samples"},
        {"1,0,0,-1\nt,x,y,z,gx,gy,gz\n", badLine(2)}, {"t,x,y,z,gx,gy\n", badLine(1)},
        {" t,x,y,z\n1,0,0,-1\n", badLine(1)},
        // LF, CR LF, CR, VT, FF, NEL, LINE and PARAGRAPH SEPARATOR all break lines; blank lines do not count.
        {"t,x,y,z,gx,gy,gz\r\n\r\n1,0,0,-1\r2,0,0,-1\v3,0,0,-1\f4,0,0,-1\xC2\x85" "5,0,0,-1\xE2\x80\xA8"
         "6,0,0,-1\xE2\x80\xA9\n\n7,0,0,-1,,,\n",
         "7 samples"},
        {"\n\nt,x,y,z\n\n1,0,0,-1\n\n2,0,0,-1\n\nbad\n", badLine(4)},
        {"2,0,0,-1\n1,0,0,-1\n", badLine(2)},  // backwards
        {"1,0,0,-1,0,0\n", badLine(1)}, {"1,0,0\n", badLine(1)}, {"1,0,0,-1,0,,\n", badLine(1)},
        {"1,0,0,\n", badLine(1)}, {"1,0,inf,-1\n", badLine(1)}, {"1,0,1e999,-1\n", badLine(1)},
        {"1, 0,0,-1\n", badLine(1)}, {"1;0;0;-1\n", badLine(1)}, {late, badLine(502)},
        {"1,0,0,-1\n2," + std::string(5000, '0') + ",0,-1\n", badLine(2)},  // long but complete
        {"", empty}, {"\n\n", empty}, {"t,x,y,z,gx,gy,gz\n", empty}, {"t,x,y,z\r\n\r\n", empty},
        {"\xEF\xBB\xBF", empty},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(outcome(text), expected) << text.substr(0, 60);
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
    // So does a device that never ends, read as a file.
    EXPECT_EQ(failure([] { readRecording("/dev/zero"); }), badLine(1));
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
