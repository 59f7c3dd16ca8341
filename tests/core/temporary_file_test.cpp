// Every writer that replaces a file goes through TemporaryFile: here each one
// meets links planted where a file of its own could be expected (the names
// the writers once used, which anyone could predict), and no file appears
// where the links lead.
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
    const std::string pid = std::to_string(::getpid());
    fs::create_directories(folder / "out");
    for (const char* name : {"take.csv.partial", "dangling.csv"}) fs::create_symlink(victim, folder / name);
    fs::create_symlink(victim, folder / (".p.json." + pid + ".partial"));
    fs::create_symlink(victim, folder / ("out/.kick.wav." + pid + ".partial"));
    fs::remove(victim);  // links to nothing now, until a writer made the file
    replaceFile(folder / "p.json", "profile");  // profiles and settings
    exportSamples(folder / "out", SoundSelection{});
    // A recording's partial file has a known name: anything there (another
    // run's, a killed run's, a link) refuses the run, as does a link to
    // nothing given as the recording.
    for (const auto& [name, reason] : {std::pair{"take.csv", "take.csv.partial już istnieje: nagrywa tam inny przebieg"},
                                       std::pair{"dangling.csv", "(dowiązanie symboliczne do pliku, którego nie ma)"}}) {
        const auto refused = test::thrown<AppError>([&] { CsvRecorder recorder(folder / name); });
        EXPECT_NE(refused->message().find(reason), std::string::npos) << refused->message();
    }
    EXPECT_FALSE(fs::exists(victim));
    EXPECT_EQ(test::readFile(folder / "p.json"), "profile");
    EXPECT_TRUE(fs::is_regular_file(folder / "out/kick.wav"));
}

}  // namespace
}  // namespace knockbox
