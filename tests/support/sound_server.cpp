#include "support/sound_server.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace knockbox::test {
namespace fs = std::filesystem;

std::optional<TestSoundServer> testSoundServer() {
    const char* server = std::getenv("PULSE_SERVER");
    const char* sink = std::getenv("KNOCKBOX_TEST_SINK");
    if (!server || !sink) return std::nullopt;
    return TestSoundServer{server, std::string(sink) + ".monitor"};
}

namespace {

std::string required(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder) / name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    throw std::runtime_error(name + " is not installed (scripts/install-deps.sh installs it)");
}

}  // namespace

SourceRecording::SourceRecording(const std::string& serverAddress, const std::string& source) {
    const fs::path file = directory_ / "recording.raw";
    recorder_ = std::make_unique<ChildProcess>(
        required("parecord"),
        ProcessSetup{.arguments = {"--raw", "--format=float32le", "--rate=48000", "--channels=2", "--latency-msec=10",
                                   "--device=" + source, file.string()},
                     .environment = {{"PULSE_SERVER", serverAddress}}});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::error_code error;
    while (fs::file_size(file, error) == 0 || error) {
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("parecord recorded nothing: " + recorder_->errorSoFar());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::vector<float> SourceRecording::stop() {
    recorder_->sendSignal(SIGINT);
    recorder_->wait(10);
    const std::string bytes = readFile(directory_ / "recording.raw");
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

}  // namespace knockbox::test
