// Every writer that replaces a file goes through TemporaryFile: here each one
// meets links planted where a file of its own could be expected (the names
// the writers once used, which anyone could predict), and none of the files
// the links lead to changes.
#include "core/temporary_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "audio/sample_export.h"
#include "core/app_error.h"
#include "core/file_replacement.h"
#include "recording/csv_recorder.h"
#include "support/child_process.h"
#include "support/thrown.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;

TEST(TemporaryFile, NoWriterWritesThroughALinkPlantedAtItsName) {
    test::TemporaryDirectory folder;
    const fs::path victim = folder / "victim";
    std::ofstream(victim) << "mine";
    const auto plant = [&](const fs::path& at) { fs::create_symlink(victim, at); };
    const std::string pid = std::to_string(::getpid());

    // Profiles and settings are written whole, by replaceFile.
    plant(folder / (".p.json." + pid + ".partial"));
    replaceFile(folder / "p.json", "profile");
    EXPECT_EQ(test::readFile(folder / "p.json"), "profile");

    fs::create_directories(folder / "out");
    plant(folder / ("out/.kick.wav." + pid + ".partial"));
    exportSamples(folder / "out", SoundSelection{});
    EXPECT_GT(fs::file_size(folder / "out/kick.wav"), 1000u);

    // A recording's partial file has a known name: a link there refuses the run.
    plant(folder / "take.csv.partial");
    const auto refused = test::thrown<AppError>([&] { CsvRecorder recorder(folder / "take.csv"); });
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->message().find("take.csv.partial już istnieje"), std::string::npos) << refused->message();
    // And a link to nothing names no file to make.
    fs::create_symlink(folder / "nothing", folder / "dangling.csv");
    EXPECT_EQ(test::thrown<AppError>([&] { CsvRecorder recorder(folder / "dangling.csv"); })->message(),
              "Nie można zapisać nagrania: " + (folder / "dangling.csv").string() +
                  " (dowiązanie symboliczne do pliku, którego nie ma)");
    EXPECT_FALSE(fs::exists(folder / "nothing"));

    EXPECT_EQ(test::readFile(victim), "mine");
    // Nothing of the writers' own is left beside the files they wrote.
    for (const auto& entry : fs::recursive_directory_iterator(folder.path()))
        EXPECT_FALSE(entry.path().filename().string().ends_with(".partial") && !fs::is_symlink(entry.path()))
            << entry.path();
}

}  // namespace
}  // namespace knockbox
