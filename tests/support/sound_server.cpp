#include "support/sound_server.h"

#include <signal.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace knockbox::test {
namespace fs = std::filesystem;

std::optional<TestSoundServer> testSoundServer() {
    const char* server = std::getenv("PULSE_SERVER");
    const char* sink = std::getenv("KNOCKBOX_TEST_SINK");
    if (!server || !sink) return std::nullopt;
    return TestSoundServer{server, std::string(sink) + ".monitor"};
}

SourceRecording::SourceRecording(const std::string& serverAddress, const std::string& source) {
    const fs::path file = directory_ / "recording.raw";
    // Through env, which finds parecord on PATH (or says it is not installed).
    recorder_ = std::make_unique<ChildProcess>(
        "/usr/bin/env",
        ProcessSetup{.arguments = {"parecord", "--raw", "--format=float32le", "--rate=48000", "--channels=2",
                                   "--latency-msec=10", "--device=" + source, file.string()},
                     .environment = {{"PULSE_SERVER", serverAddress}}});
    std::error_code error;
    if (!eventually([&] { return fs::file_size(file, error) > 0 && !error; }, 10))
        throw std::runtime_error("parecord recorded nothing: " + recorder_->errorSoFar());
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
