// The replay mode: a whole recording read and validated first, then fed to a
// play session at the pace at which it was recorded.

#include <filesystem>
#include <system_error>

#include "core/app_error.h"
#include "core/line_text.h"
#include "platform/log_line.h"
#include "platform/monotonic_clock.h"
#include "platform/run_loop.h"
#include "player/recording_loading.h"
#include "player/run_modes.h"
#include "player/session.h"

namespace knockbox {
namespace {

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error)) return true;
    return std::filesystem::weakly_canonical(a, error) == std::filesystem::weakly_canonical(b, error);
}

}  // namespace

void replay(const Options& options) {
    if (options.record && sameFile(*options.record, *options.path))
        throw AppError("Nie można nagrywać do odtwarzanego pliku: " + outsideText(*options.record));
    RunLoop& loop = mainRunLoop();
    const std::optional<Recording> samples = loadRecording(*options.path, loop);
    if (!samples) return;  // stopped while reading: nothing was played or written
    Session session(options);
    logLine("REPLAY: dane CSV, bez sensora i bez blokady klawiatury.");

    const double start = uptime();
    const double t0 = samples->front().t;
    double fedAheadUntil = start;  // samples due before this may be fed now
    for (const AccelSample& sample : *samples) {
        const double offset = sample.t - t0;
        if (options.duration && offset > *options.duration) break;
        // Each sample at its time while it may decide a sound (a tap is
        // captured, or with the fast trigger one may start), so the sound
        // comes on time; otherwise a slice's worth at once, up to a slice
        // early, so that between taps the player wakes once a slice.
        const double due = start + offset;
        if (session.awaitingHit() || due > fedAheadUntil) {
            loop.runUntil(due);
            fedAheadUntil = due + RunLoop::maxSlice;
        }
        if (loop.stopped()) break;
        session.receive(sample, true);
        if (session.failed()) break;
    }
    session.stop();
    if (session.failed()) throw ReportedFailure();
}

}  // namespace knockbox
