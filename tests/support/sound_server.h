#pragma once
// Real sound for end-to-end tests: a private PulseAudio server with one null
// sink, and a recording of what reaches a source. A private server keeps a
// recording free of whatever other tests play at the same time.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace knockbox::test {

// The program's full path from PATH; empty when it is not installed.
std::string findProgram(const std::string& name);

class PrivateSoundServer {
public:
    static constexpr const char* sinkName = "knockbox_private";

    // Starts the server and waits until it answers; throws std::runtime_error
    // with the reason when it cannot.
    PrivateSoundServer();
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // The value for PULSE_SERVER.
    const std::string& address() const { return address_; }
    std::string monitor() const { return std::string(sinkName) + ".monitor"; }

private:
    TemporaryDirectory directory_;
    std::string address_;
    std::unique_ptr<ChildProcess> server_;
};

// Records a source as interleaved stereo 32-bit float at 48 kHz, from
// construction (once the first audio has arrived) until stop().
class SourceRecording {
public:
    SourceRecording(const std::string& serverAddress, const std::string& source);
    std::vector<float> stop();

private:
    TemporaryDirectory directory_;
    std::unique_ptr<ChildProcess> recorder_;
};

}  // namespace knockbox::test
