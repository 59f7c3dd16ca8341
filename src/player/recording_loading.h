#pragma once

#include <optional>
#include <string>

#include "platform/run_loop.h"
#include "recording/csv_recording.h"

namespace knockbox {

// Reads and checks the whole recording to replay while the loop keeps
// turning, so Ctrl-C or SIGTERM ends the wait at once, even while a FIFO
// still waits for its writer. Files, FIFOs and devices are read alike, as a
// stream, in bounded pieces. Nothing when the loop was stopped first; throws
// the parser's errors, and file errors with the system's description and the
// path.
std::optional<Recording> loadRecording(const std::string& path, RunLoop& loop);

}  // namespace knockbox
