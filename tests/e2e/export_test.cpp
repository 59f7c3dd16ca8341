// --export-samples run through the built executable, read back with libsndfile.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <set>

#include "audio/sample_library.h"
#include "support/child_process.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::runKnockbox;
using test::TemporaryDirectory;

std::set<std::string> filesIn(const fs::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) names.insert(entry.path().filename().string());
    return names;
}

const std::set<std::string> fourFiles{"hihat.wav", "kick.wav", "snare.wav", "tom.wav"};

// The WAV must be 48 kHz mono 16-bit little-endian PCM holding the drum's
// buffer to within one 16-bit step.
void expectWaveOf(const fs::path& file, const std::vector<float>& expected) {
    SCOPED_TRACE(file.string());
    const std::string bytes = test::readFile(file);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");  // little-endian, not RIFX
    EXPECT_EQ(bytes.substr(8, 4), "WAVE");

    SF_INFO info{};
    SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
    ASSERT_NE(sound, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.samplerate, 48000);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(info.frames, static_cast<sf_count_t>(expected.size()));
    std::vector<short> values(expected.size());
    EXPECT_EQ(sf_read_short(sound, values.data(), info.frames), info.frames);
    sf_close(sound);
    double worst = 0.0;
    for (std::size_t n = 0; n < values.size(); ++n) worst = std::max(worst, std::abs(values[n] / 32768.0 - expected[n]));
    EXPECT_LE(worst, 1.0 / 32768.0);
}

TEST(Export, StudioIntoAFolderThatDoesNotExistYet) {
    TemporaryDirectory root;
    const fs::path target = root / "new/nested/samples";
    const auto result = runKnockbox({"--export-samples", target.string()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "Zapisano kick/snare/hihat/tom WAV w " + target.string() + ".\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(filesIn(target), fourFiles);
    for (Drum drum : allDrums) expectWaveOf(target / (std::string(rawValue(drum)) + ".wav"), sampleBuffer(drum, DrumKit::studio));
}

TEST(Export, EveryKitReadsBackAsItsHardLayerFirstVariation) {
    for (DrumKit kit : {DrumKit::electronic, DrumKit::lofi, DrumKit::live}) {
        SCOPED_TRACE(std::string(rawValue(kit)));
        TemporaryDirectory target;
        const auto result = runKnockbox({"--kit", std::string(rawValue(kit)), "--export-samples", "out"},
                                        {.workingDirectory = target.path()});
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        // The folder as typed, not made absolute.
        EXPECT_EQ(result.err, "Zapisano kick/snare/hihat/tom WAV w out.\n");
        for (Drum drum : allDrums) expectWaveOf(target / "out" / (std::string(rawValue(drum)) + ".wav"), sampleBuffer(drum, kit));
    }
}

TEST(Export, MixedSelectionTakesEachDrumFromItsOwnKit) {
    TemporaryDirectory target;
    const auto result =
        runKnockbox({"--kit", "electronic", "--kick-sound", "lofi", "--export-samples", target.path().string()});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    for (Drum drum : allDrums)
        expectWaveOf(target / (std::string(rawValue(drum)) + ".wav"),
                     sampleBuffer(drum, drum == Drum::kick ? DrumKit::lofi : DrumKit::electronic));
}

TEST(Export, TwiceIntoOneFolderLeavesFourFiles) {
    TemporaryDirectory target;
    ASSERT_EQ(runKnockbox({"--export-samples", target.path().string()}).exitStatus, 0);
    ASSERT_EQ(runKnockbox({"--export-samples", target.path().string(), "--kit", "lofi"}).exitStatus, 0);
    EXPECT_EQ(filesIn(target.path()), fourFiles);
    expectWaveOf(target / "tom.wav", sampleBuffer(Drum::tom, DrumKit::lofi));
}

// A copy of the program with a copy of the live kit beside it, so that one of
// its recordings can be missing or wrong.
struct CopiedInstall {
    TemporaryDirectory root;
    fs::path kit = root / "Kits/Live";
    fs::path program = root / "bin/knockbox";  // finds root/Kits/Live
    CopiedInstall() {
        fs::create_directories(kit);
        for (const auto& entry : fs::directory_iterator(liveKitURL())) fs::copy_file(entry.path(), kit / entry.path().filename());
        fs::create_directories(program.parent_path());
        fs::copy_file(KNOCKBOX_EXECUTABLE, program);
    }
    test::ProcessResult run(const std::vector<std::string>& arguments) const {
        return test::ChildProcess(program.string(), {.arguments = arguments}).wait();
    }
};

TEST(Export, MissingLiveRecordingGivesThePlatformErrorAndKeepsTheOldFile) {
    CopiedInstall install;
    fs::remove(install.kit / "kick-3-0.caf");
    TemporaryDirectory target;
    std::ofstream(target / "kick.wav") << "an earlier export";
    const auto result = install.run({"--export-samples", target.path().string(), "--kit", "live"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "Błąd: " + (install.kit / "kick-3-0.caf").string() + ": No such file or directory\n");
    EXPECT_EQ(test::readFile(target / "kick.wav"), "an earlier export");
    EXPECT_EQ(filesIn(target.path()), std::set<std::string>{"kick.wav"});
}

TEST(Export, WrongFormatRecordingNamesTheFileAndKeepsWhatWasWritten) {
    CopiedInstall install;
    SF_INFO info{0, 44100, 1, SF_FORMAT_CAF | SF_FORMAT_FLOAT, 0, 0};
    SNDFILE* file = sf_open((install.kit / "snare-3-0.caf").c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    const std::vector<float> frames(441, 0.1f);
    sf_writef_float(file, frames.data(), 441);
    sf_close(file);
    TemporaryDirectory target;
    const auto result = install.run({"--export-samples", target.path().string(), "--snare-sound", "live"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "Błąd: " + std::string(SampleError::invalidFile("snare-3-0.caf").what()) + "\n");
    EXPECT_EQ(filesIn(target.path()), std::set<std::string>{"kick.wav"});
}

TEST(Export, FolderThatCannotBeMadeOrWrittenFailsCleanly) {
    TemporaryDirectory root;
    std::ofstream(root / "plain-file") << "x";
    auto result = runKnockbox({"--export-samples", (root / "plain-file/samples").string()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "Błąd: " + (root / "plain-file/samples").string() + ": Not a directory\n");

    result = runKnockbox({"--export-samples", ""});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "Błąd: \"\": No such file or directory\n");

    // A folder where snare.wav should go: kick.wav is written, the snare
    // fails and leaves no partial file behind.
    fs::create_directories(root / "out/snare.wav");
    result = runKnockbox({"--export-samples", (root / "out").string()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "Błąd: " + (root / "out/snare.wav").string() + ": Is a directory\n");
    EXPECT_EQ(filesIn(root / "out"), (std::set<std::string>{"kick.wav", "snare.wav"}));
    EXPECT_TRUE(fs::is_directory(root / "out/snare.wav"));
}

}  // namespace
}  // namespace knockbox
