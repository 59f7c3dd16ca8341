// The built executable's command line: usage text and error lines.
#include <gtest/gtest.h>

#include "support/child_process.h"

namespace knockbox {
namespace {
using test::runKnockbox;

TEST(CommandLine, HelpPrintsTheUsageTextExactly) {
    const std::string expected = test::readFile(KNOCKBOX_SOURCE_DIR "/tests/e2e/expected_help.txt");
    for (const char* option : {"--help", "-h"}) {
        const auto result = runKnockbox({option});
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.out, expected);
        EXPECT_EQ(result.err, "");
    }
}

// Each message is checked on the option parser (tests/player); here, that the
// program prints it as its one error line, even where --help was asked for.
TEST(CommandLine, BadArgumentsGiveOneErrorLineAndStatusOne) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--bogus"}, "Nieznana opcja: --bogus. Użyj --help."},
        // An argument cannot forge a line or reach the terminal raw.
        {{"--mute\nBłąd: fake\x1b[2J"}, "Nieznana opcja: --mute\\nBłąd: fake\\x1b[2J. Użyj --help."},
        {{"--cooldown", "60", "--help"},
         "Wymagane: próg 0.008–0.5 g, threshold < accent < full-velocity, cooldown 70–2000 ms, "
         "volume 0–1.5, duration > 0."},
    };
    for (const auto& [arguments, message] : cases) {
        const auto result = runKnockbox(arguments);
        EXPECT_EQ(result.exitStatus, 1) << arguments[0];
        EXPECT_EQ(result.out, "") << arguments[0];
        EXPECT_EQ(result.err, "Błąd: " + message + "\n") << arguments[0];
    }
}

}  // namespace
}  // namespace knockbox
