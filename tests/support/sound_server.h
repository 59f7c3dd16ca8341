#pragma once
// Real sound for end-to-end tests: the test sound server of
// scripts/sound-server.sh (a PulseAudio null sink), and a recording of what
// reaches a source. Tests that play into it or record from it are named
// Audible* and run one at a time (tests/CMakeLists.txt), so a recording holds
// nothing but the test's own sound.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace knockbox::test {

struct TestSoundServer {
    std::string address;  // the value for PULSE_SERVER
    std::string monitor;  // the source that hears the sink
};

// Absent when scripts/sound-server.sh was not sourced; the tests fail then,
// with that reason, instead of being skipped.
std::optional<TestSoundServer> testSoundServer();
inline constexpr const char* noSoundServer =
    "no test sound server: source scripts/sound-server.sh before running the tests";

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
