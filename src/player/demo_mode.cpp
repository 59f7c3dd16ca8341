// --demo: each drum twice, soft then hard, through the audio engine; no
// sensor and no root needed.

#include "platform/log_line.h"
#include "platform/monotonic_clock.h"
#include "platform/run_loop.h"
#include "player/audio_engine.h"
#include "player/run_modes.h"
#include "protocol/player_lines.h"

namespace knockbox {
namespace {

constexpr double spacing = 0.45;  // seconds between the hits
constexpr double ringOut = 0.6;   // after the last hit
constexpr double velocities[] = {0.3, 0.8};

}  // namespace

void demo(const Options& options) {
    const std::unique_ptr<DrumAudio> audio = startAudio(options, logLine);
    RunLoop& loop = mainRunLoop();
    // Deadlines counted from one start keep the spacing even.
    double deadline = uptime();
    for (Drum drum : allDrums) {
        for (double velocity : velocities) {
            if (loop.stopped()) break;
            logLine(lines::demo(drum, velocity));
            audio->play(drum, static_cast<float>(velocity), 0.0f);
            deadline += spacing;
            loop.runUntil(deadline);
        }
    }
    loop.runUntil(deadline + ringOut);
    audio->stop();
}

}  // namespace knockbox
