// --self-test: runs the groups in order, one line per check as it finishes;
// a group that cannot run says why in one failed line and the next one runs.

#include <exception>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/app_error.h"
#include "platform/log_line.h"
#include "platform/private_folder.h"
#include "program/self_test.h"
#include "protocol/player_lines.h"

namespace knockbox {
namespace fs = std::filesystem;

void selfTest(const Options&) {
    struct Group {
        std::string_view name;
        std::function<std::vector<SelfCheck>(const fs::path& folder)> checks;
    };
    const Group groups[] = {
        {"detektor", [](const fs::path&) { return selfcheck::detector(); }},
        {"sample", [](const fs::path&) { return selfcheck::samples(); }},
        {"kalibracja stron", selfcheck::sideCalibration},
        {"kalibracja lekkich", selfcheck::lightCalibration},
        {"ustawienia UI", selfcheck::uiSettings},
    };
    const PrivateFolder folder = [] {
        try {
            return PrivateFolder();
        } catch (const std::system_error& error) {
            throw AppError(std::string("nie można utworzyć folderu tymczasowego w ") + error.what());
        }
    }();
    int total = 0, failed = 0, index = 0;
    for (const Group& group : groups) {
        std::vector<SelfCheck> checks;
        try {
            // Each group in a folder of its own.
            const fs::path own = folder.path() / std::to_string(++index);
            fs::create_directory(own);
            checks = group.checks(own);
            if (checks.empty()) throw std::runtime_error("grupa nie zwróciła wyników");
        } catch (const std::exception& error) {
            checks = {{false, std::string("nie można sprawdzić: ") + error.what()}};
        }
        for (const SelfCheck& check : checks) {
            ++total;
            if (!check.passed) ++failed;
            logLine(lines::selfTestCheck(check.passed, group.name, check.detail));
        }
    }
    if (failed > 0) throw AppError(lines::selfTestFailed(failed, total));
    logLine(lines::selfTestPassed(total));
}

}  // namespace knockbox
