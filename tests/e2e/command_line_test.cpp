// The built executable's command line: usage text and error lines.
#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/scenes.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::runKnockbox;

// ("-h" means the same: the option parser's tests.)
TEST(CommandLine, HelpPrintsTheUsageTextExactly) {
    const auto result = runKnockbox({"--help"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, test::readFile(KNOCKBOX_SOURCE_DIR "/tests/e2e/expected_help.txt"));
    EXPECT_EQ(result.err, "");
}

// Each message is checked where it is made (the option parser and the
// recording reader: tests/player, tests/recording); here, that the program
// prints it as its one error line, even where --help was asked for, and
// plays, writes and replaces nothing.
TEST(CommandLine, RefusedRunsGiveOneErrorLineAndStatusOne) {
    test::TemporaryDirectory folder;
    const fs::path quiet = folder / "quiet.csv", link = folder / "link.csv", missing = folder / "none.csv";
    test::writeRecording(quiet, *simulation::scenario("quiet", 1, 0.5));
    const std::string recording = test::readFile(quiet);
    fs::create_symlink(quiet, link);
    test::writeFile(folder / "bad.csv", "1.0,0,0,-1\n2.0,0,0,nan\n");
    test::writeFile(folder / "plain-file", "x");
    const auto replay = [](const fs::path& path) { return std::vector<std::string>{"--replay", path.string(), "--mute"}; };
    const auto onto = [&](const fs::path& target) {
        return std::vector<std::string>{"--replay", quiet.string(), "--mute", "--record", target.string()};
    };
    const std::string ontoReplayed = "Nie można nagrywać do odtwarzanego pliku: ";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--bogus"}, "Nieznana opcja: --bogus. Użyj --help."},
        // An argument cannot forge a line or reach the terminal raw.
        {{"--mute\nBłąd: fake\x1b[2J"}, "Nieznana opcja: --mute\\nBłąd: fake\\x1b[2J. Użyj --help."},
        {{"--cooldown", "60", "--help"},
         "Wymagane: próg 0.008–0.5 g, threshold < accent < full-velocity, cooldown 70–2000 ms, "
         "volume 0–1.5, duration > 0."},
        {replay(folder / "bad.csv"), "Nieprawidłowy CSV lub czas w wierszu 2. Oczekiwano rosnących t,x,y,z."},
        {replay(missing), missing.string() + ": No such file or directory"},
        {onto(quiet), ontoReplayed + quiet.string()},
        {onto(link), ontoReplayed + link.string()},
        {{"--export-samples", (folder / "plain-file/samples").string()},
         (folder / "plain-file/samples").string() + ": Not a directory"},
        {{"--export-samples", ""}, "\"\": No such file or directory"},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(arguments.back());
        // No saved side profile may add its line.
        const auto result = runKnockbox(arguments, {.environment = {{"KNOCKBOX_SIDE_PROFILE", missing.string()}}});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "Błąd: " + message + "\n");
    }
    EXPECT_EQ(test::readFile(quiet), recording);
}

}  // namespace
}  // namespace knockbox
