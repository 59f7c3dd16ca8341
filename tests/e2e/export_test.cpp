// --export-samples run through the built executable, read back with libsndfile.
// (Which buffer each drum exports, the live kit's recordings included: tests/audio.)
#include <gtest/gtest.h>
#include <sndfile.h>

#include <fstream>
#include <map>
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

// The four exported drums, each read as 48 kHz mono 16-bit little-endian PCM.
std::map<Drum, std::vector<short>> exported(const fs::path& folder) {
    std::map<Drum, std::vector<short>> drums;
    for (Drum drum : allDrums) {
        const fs::path file = folder / (std::string(rawValue(drum)) + ".wav");
        EXPECT_EQ(test::readFile(file).substr(0, 4), "RIFF") << file;  // not RIFX
        SF_INFO info{};
        SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
        EXPECT_NE(sound, nullptr) << file << ": " << sf_strerror(nullptr);
        if (!sound) continue;
        EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16) << file;
        EXPECT_EQ(info.samplerate, 48000) << file;
        EXPECT_EQ(info.channels, 1) << file;
        std::vector<short>& values = drums[drum];
        values.resize(static_cast<std::size_t>(info.frames));
        EXPECT_EQ(sf_read_short(sound, values.data(), info.frames), info.frames) << file;
        sf_close(sound);
    }
    return drums;
}

// A mixed selection takes each drum from its own kit, and a second export
// into the same folder replaces the files.
TEST(Export, EachDrumComesFromItsOwnKit) {
    TemporaryDirectory root;
    const fs::path nested = root / "new/nested/samples";  // folders are created
    const auto result = runKnockbox({"--export-samples", nested.string()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "Zapisano kick/snare/hihat/tom WAV w " + nested.string() + ".\n");
    EXPECT_EQ(result.out, "");
    // The folder as typed, not made absolute.
    EXPECT_EQ(runKnockbox({"--kit", "lofi", "--export-samples", "lofi"}, {.workingDirectory = root.path()}).err,
              "Zapisano kick/snare/hihat/tom WAV w lofi.\n");
    for (const auto& arguments : {std::vector<std::string>{"--kit", "electronic", "--export-samples", "808"},
                                  {"--kit", "electronic", "--kick-sound", "lofi", "--export-samples", "mixed"},
                                  {"--export-samples", nested.string(), "--kit", "lofi"}})
        ASSERT_EQ(runKnockbox(arguments, {.workingDirectory = root.path()}).exitStatus, 0);
    const auto lofi = exported(root / "lofi"), electronic = exported(root / "808"), mixed = exported(root / "mixed");
    for (Drum drum : allDrums) {
        EXPECT_NE(lofi.at(drum), electronic.at(drum)) << rawValue(drum);
        EXPECT_EQ(mixed.at(drum), drum == Drum::kick ? lofi.at(drum) : electronic.at(drum)) << rawValue(drum);
    }
    EXPECT_EQ(filesIn(nested), (std::set<std::string>{"hihat.wav", "kick.wav", "snare.wav", "tom.wav"}));
    EXPECT_EQ(exported(nested), lofi);
}

// A copy of the program with a copy of the live kit beside it (which it finds
// there), one recording missing: the export fails with the system's reason and
// keeps what an earlier export left.
TEST(Export, MissingLiveRecordingGivesThePlatformErrorAndKeepsTheOldFile) {
    TemporaryDirectory root;
    const fs::path kit = root / "Kits/Live", program = root / "bin/knockbox";
    fs::create_directories(kit);
    for (const auto& entry : fs::directory_iterator(liveKitURL())) fs::copy_file(entry.path(), kit / entry.path().filename());
    fs::create_directories(program.parent_path());
    fs::copy_file(KNOCKBOX_EXECUTABLE, program);
    fs::remove(kit / "kick-3-0.caf");
    TemporaryDirectory target;
    std::ofstream(target / "kick.wav") << "an earlier export";
    const auto result =
        test::ChildProcess(program.string(), {.arguments = {"--export-samples", target.path().string(), "--kit", "live"}})
            .wait();
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "Błąd: " + (kit / "kick-3-0.caf").string() + ": No such file or directory\n");
    EXPECT_EQ(test::readFile(target / "kick.wav"), "an earlier export");
    EXPECT_EQ(filesIn(target.path()), std::set<std::string>{"kick.wav"});
}

// A folder where snare.wav should go: kick.wav is written, the snare fails
// and leaves no partial file behind. (A folder that cannot be made:
// CommandLine.RefusedRunsGiveOneErrorLineAndStatusOne.)
TEST(Export, AFileThatCannotBeWrittenFailsCleanly) {
    TemporaryDirectory root;
    fs::create_directories(root / "out/snare.wav");
    const auto result = runKnockbox({"--export-samples", (root / "out").string()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "Błąd: " + (root / "out/snare.wav").string() + ": Is a directory\n");
    EXPECT_EQ(filesIn(root / "out"), (std::set<std::string>{"kick.wav", "snare.wav"}));
    EXPECT_TRUE(fs::is_directory(root / "out/snare.wav"));
}

}  // namespace
}  // namespace knockbox
