#include "calibration/calibration_journal.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <bit>
#include <csignal>
#include <limits>
#include <nlohmann/json.hpp>
#include <system_error>

#include "support/child_process.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::TemporaryDirectory;

const auto started = std::chrono::sys_days{std::chrono::year{2025} / 3 / 1} + 9h + 15min + 42s;
constexpr const char* uuid = "6F1C2A9E-0B3D-4E5F-8A7B-1C2D3E4F5A6B";

JournalHeader header(std::string id = uuid) { return {"strong", 0.05, 0.16, "Mac14,2", started, std::move(id)}; }

Hit hitAt(double t, double peak) {
    Hit hit;
    hit.t = t;
    hit.peak = peak;
    hit.side = Side::right;
    hit.features = {{0.5, -1, 0, 0, 0, 0, 0, 2}, true};
    return hit;
}

fs::perms permissionsOf(const fs::path& path) { return fs::status(path).permissions() & fs::perms::all; }

// The observation keeps the prompted label and every raw sample; a number
// JSON cannot hold is written as null.
TEST(CalibrationJournal, HeaderObservationsAndOneEndOwnerOnly) {
    TemporaryDirectory folder;
    fs::path url;
    {
        CalibrationJournal journal(folder.path(), header());
        url = journal.url();
        EXPECT_EQ(url, folder / "recordings/calibration/2025-03-01T09-15-42Z-6F1C2A9E-0B3D-4E5F-8A7B-1C2D3E4F5A6B.jsonl");
        const std::vector<AccelSample> trace{{1000.25, 0.5, -0.25, -1, GyroSample{1000.25, 1, 2, -3}},
                                             {1000.5, 0, 0.125, -1, std::nullopt}};
        // The detector said right; the user was asked for left.
        journal.record(Side::left, "training", hitAt(1000.5, std::numeric_limits<double>::infinity()), trace);
        journal.finish();
        journal.finish();
        EXPECT_THROW(journal.status("late"), std::system_error);
    }  // released: no second end either
    EXPECT_EQ(test::readFile(url),
              "{\"accent\":0.16,\"event\":\"session\",\"featureVersion\":1,\"hardwareModel\":\"Mac14,2\","
              "\"kind\":\"strong\",\"started\":\"2025-03-01T09:15:42Z\",\"threshold\":0.05,\"version\":1}\n"
              "{\"event\":\"observation\",\"features\":{\"gyroAvailable\":true,\"values\":[0.5,-1,0,0,0,0,0,2]},"
              "\"label\":\"left\",\"onset\":1000.5,\"peak\":null,\"samples\":["
              "{\"gyro\":[1,2,-3],\"t\":1000.25,\"x\":0.5,\"y\":-0.25,\"z\":-1},"
              "{\"t\":1000.5,\"x\":0,\"y\":0.125,\"z\":-1}],\"stage\":\"training\"}\n"
              "{\"detail\":\"\",\"event\":\"status\",\"status\":\"session-ended\"}\n");
    EXPECT_EQ(permissionsOf(folder / "recordings"), fs::perms::owner_all);
    EXPECT_EQ(permissionsOf(folder / "recordings/calibration"), fs::perms::owner_all);
    EXPECT_EQ(permissionsOf(url), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(CalibrationJournal, NumbersReadBackAsTheSameDouble) {
    const double values[] = {0.1 + 0.2, 1.0 / 3, 5e-324, std::numeric_limits<double>::max(), -0.0, 1e21,
                             1e-7, 1002.4946178763, -0.0039215686274509803};
    TemporaryDirectory folder;
    CalibrationJournal journal(folder.path(), header());
    for (double value : values) journal.record(Side::right, "verification", hitAt(value, value), {});
    journal.finish();
    const auto lines = test::linesOf(test::readFile(journal.url()));
    ASSERT_EQ(lines.size(), std::size(values) + 2);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const double onset = nlohmann::json::parse(lines[i + 1]).at("onset").get<double>();
        EXPECT_EQ(std::bit_cast<std::uint64_t>(onset), std::bit_cast<std::uint64_t>(values[i])) << lines[i + 1];
    }
}

TEST(CalibrationJournal, EveryRunGetsItsOwnFile) {
    TemporaryDirectory folder;
    CalibrationJournal first(folder.path(), header("11111111-1111-4111-8111-111111111111"));
    fs::path second;
    {  // the same second, released without finish: it ends all the same
        CalibrationJournal journal(folder.path(), header("22222222-2222-4222-8222-222222222222"));
        second = journal.url();
        journal.status("training-passed", "1.0");
    }
    EXPECT_NE(first.url(), second);
    EXPECT_EQ(test::readFile(second).substr(test::readFile(second).find('\n') + 1),
              "{\"detail\":\"1.0\",\"event\":\"status\",\"status\":\"training-passed\"}\n"
              "{\"detail\":\"\",\"event\":\"status\",\"status\":\"session-ended\"}\n");
    // The same second and UUID again: refused, the older file untouched.
    const std::string before = test::readFile(first.url());
    EXPECT_THROW(CalibrationJournal(folder.path(), header("11111111-1111-4111-8111-111111111111")),
                 JournalCreationError);
    EXPECT_EQ(test::readFile(first.url()), before);
}

TEST(CalibrationJournal, FailuresLeaveWholeLines) {
    TemporaryDirectory folder;
    CalibrationJournal journal(folder.path(), header());
    const std::string before = test::readFile(journal.url());
    // A file size limit a few bytes away: the observation line is cut short by the system.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = before.size() + 40;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const std::vector<AccelSample> trace(50, AccelSample{1, 0.5, 0.5, -1, std::nullopt});
    EXPECT_THROW(journal.record(Side::left, "training", hitAt(1, 0.3), trace), std::system_error);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_EQ(test::readFile(journal.url()), before);
    journal.status("profile-saved", "6/6 independent hits");
    EXPECT_EQ(test::linesOf(test::readFile(journal.url())).size(), 2u);
}

}  // namespace
}  // namespace knockbox
