// The replay mode: a whole recording validated first, then fed to a play
// session at the pace at which it was recorded.

#include "platform/log_line.h"
#include "platform/monotonic_clock.h"
#include "platform/run_loop.h"
#include "player/run_modes.h"
#include "player/session.h"
#include "recording/csv_recording.h"

namespace knockbox {

void replay(const Options& options) {
    const std::vector<AccelSample> samples = readRecording(*options.path);
    Session session(options);
    logLine("REPLAY: dane CSV, bez sensora i bez blokady klawiatury.");

    RunLoop& loop = mainRunLoop();
    const double start = uptime();
    const double t0 = samples.front().t;
    for (const AccelSample& sample : samples) {
        const double offset = sample.t - t0;
        if (options.duration && offset > *options.duration) break;
        loop.runUntil(start + offset);
        if (loop.stopped()) break;
        session.receive(sample, true);
        if (session.failed()) break;
    }
    session.stop();
    if (session.failed()) throw ReportedFailure();
}

}  // namespace knockbox
