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

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder) / name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

namespace {

std::string required(const std::string& name) {
    std::string program = findProgram(name);
    if (program.empty()) throw std::runtime_error(name + " is not installed (scripts/install-deps.sh installs it)");
    return program;
}

bool answers(const std::string& address) {
    ChildProcess info(required("pactl"), {.arguments = {"info"}, .environment = {{"PULSE_SERVER", address}}});
    return info.wait(5).exitStatus == 0;
}

}  // namespace

PrivateSoundServer::PrivateSoundServer() {
    const fs::path socket = directory_ / "native";
    address_ = "unix:" + socket.string();
    server_ = std::make_unique<ChildProcess>(
        required("pulseaudio"),
        ProcessSetup{.arguments = {"-n", "--daemonize=no", "--system=no", "--exit-idle-time=-1", "--use-pid-file=no",
                                   "--load=module-null-sink sink_name=" + std::string(sinkName) +
                                       " format=float32le rate=48000 channels=2",
                                   "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket.string()},
                     .environment = {{"HOME", directory_.path().string()},
                                     {"XDG_RUNTIME_DIR", directory_.path().string()}}});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!answers(address_)) {
        if (std::chrono::steady_clock::now() > deadline) {
            const std::string log = server_->errorSoFar();
            throw std::runtime_error("PulseAudio did not start: " + log);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

PrivateSoundServer::~PrivateSoundServer() {
    server_->sendSignal(SIGTERM);
    server_->wait(5);
}

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
