#pragma once
// The latency of this process's output stream as the sound server reports
// it: how long a frame the audio callback has just handed over takes to leave
// the sink (the stream's buffer in the server plus the sink's own latency).
// RtAudio reports 0 for a PulseAudio stream, so the benchmark asks the server
// (PulseAudio, or PipeWire's Pulse server) itself. Linux only; elsewhere
// there is never a reading.

#include <memory>
#include <optional>
#include <string>

namespace knockbox::bench {

class ServerOutputLatency {
public:
    // Connects to the server PULSE_SERVER names (or the default one).
    // Throws std::runtime_error when there is none.
    explicit ServerOutputLatency(std::string application);
    ~ServerOutputLatency();
    ServerOutputLatency(const ServerOutputLatency&) = delete;
    ServerOutputLatency& operator=(const ServerOutputLatency&) = delete;

    // Seconds, as of now, for this process's stream named `application`;
    // nothing when the server has no such stream. Blocks for one round trip.
    std::optional<double> now();

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
    std::string application_;
};

}  // namespace knockbox::bench
