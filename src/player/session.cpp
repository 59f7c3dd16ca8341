#include "player/session.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "audio/drum_audio.h"
#include "core/app_error.h"
#include "midi/midi_output.h"
#include "platform/hardware_model.h"
#include "platform/log_line.h"
#include "platform/monotonic_clock.h"
#include "platform/random_uuid.h"
#include "platform/run_loop.h"
#include "player/audio_engine.h"
#include "player/process_values.h"
#include "player/profile_loading.h"
#include "player/takes.h"
#include "protocol/player_lines.h"

namespace knockbox {
namespace {

constexpr double warmUp = 2.0;              // s of sample time before hits count
constexpr double typingSampleEnd = 7.0;     // s: warm-up with the typing calibration
constexpr double lowRate = 450.0;           // Hz below which side decisions get shaky
constexpr float sidePan = 0.45f;

// The early decision of this hit's tap, as --debug shows it.
std::optional<lines::EarlyDiagnostics> earlyDiagnostics(const std::optional<EarlyDecision>& early, const Hit& hit) {
    if (!early || early->hit.t != hit.t) return std::nullopt;
    const Hit& first = early->hit;
    return lines::EarlyDiagnostics{first.sideReliable, first.side,           first.drum,  first.peak,
                                   first.velocity,     first.sideConfidence, early->model, early->after};
}

}  // namespace

SessionEnvironment SessionEnvironment::standard() {
    const ProcessValues& values = processValues();
    CalibrationFiles calibration{values.sideProfileURL, values.lightProfileURL, hardwareModel(),
                                 [] { return std::pair(std::chrono::system_clock::now(), randomUUID()); }};
    return {uptime, logLine, savedProfileLoader(), std::move(calibration)};
}

Session::Session(const Options& options, SessionEnvironment environment)
    : options_(options), environment_(std::move(environment)), detector_(options.config) {
    lastWall_ = environment_.clock();
    if (!options_.muted)
        audio_ = startAudio(options_, environment_.log);
    if (environment_.loadProfiles) environment_.loadProfiles(options_, detector_, environment_.log);
    if (options_.fastTrigger && !options_.learningSides()) detector_.setEarlyTrigger(fastTriggerRule);
    if (options_.record) recorder_ = std::make_unique<CsvRecorder>(*options_.record);
    if (options_.takeMidi || options_.takeWave) takes_ = std::make_unique<Takes>(options_);
    if (options_.midi) {
        midi_ = std::make_unique<MidiOutput>(options_.midiMapping, mainRunLoop());
        environment_.log(lines::midiOpened(midiPortName, name(midi_->system()), options_.midiMapping.channel));
    }
}

Session::~Session() = default;

void Session::receive(const AccelSample& sample, bool replay) {
    if (failed_) return;
    lastWall_ = environment_.clock();
    if (!origin_) origin_ = sample.t;
    ++count_;
    if (recorder_) {
        try {
            recorder_->append(sample);
        } catch (const std::system_error& error) {
            environment_.log(std::string("Błąd zapisu CSV: ") + error.code().message());
            failed_ = true;
            return;
        }
    }

    const double elapsed = sample.t - *origin_;
    elapsed_ = elapsed;
    const double warmUpLength = options_.calibrateTyping ? typingSampleEnd : warmUp;
    if (options_.calibrateTyping && !typingAnnounced_ && elapsed >= warmUp) {
        typingAnnounced_ = true;
        environment_.log(lines::typingCalibration);
    }
    const bool typingActive =
        !replay && !options_.noTypingGuard && typing_.active(options_.config.typingSuppress);
    const bool ready = elapsed >= warmUpLength;
    const std::optional<Hit> hit = detector_.process(sample, typingActive, ready);

    if (options_.calibrateTyping && elapsed >= warmUp && elapsed < typingSampleEnd)
        calibrationPeak_ = std::max(calibrationPeak_, detector_.magnitude());
    if (ready && !warm_) becomeReady(elapsed);
    if (calibration_) followCalibration(sample.t);
    if (auto early = detector_.takeEarlyDecision()) soundEarly(std::move(*early));
    if (hit) {
        // Calibration taps are collected, not played, until the calibration is complete.
        if (calibration_ && !calibration_->isComplete())
            collectSideCalibration(*hit);
        else
            handle(*hit);
    }
}

void Session::becomeReady(double elapsed) {
    warm_ = true;
    if (options_.calibrateTyping) {
        DetectorConfig config = detector_.config();
        config.threshold = std::max(options_.config.threshold, 1.8 * calibrationPeak_);
        config.accent = std::max(options_.config.accent, 2.5 * config.threshold);
        config.fullVelocity = std::max(options_.config.fullVelocity, 2.0 * config.accent);
        detector_.setConfig(config);
    }
    const double rate = static_cast<double>(count_) / std::max(elapsed, 0.001);
    environment_.log(lines::ready(rate, detector_.config().threshold, detector_.config().accent, options_.config.cooldown));
    environment_.log(lines::keys);
    if (options_.learningSides()) startCalibration();
    if (static_cast<double>(count_) / elapsed < lowRate) environment_.log(lines::lowRate);
}

void Session::handle(const Hit& hit) {
    std::optional<lines::SideDiagnostics> diagnostics;
    if (options_.debug)
        diagnostics = lines::SideDiagnostics{hit.attackX, hit.sideConfidence, detector_.selectedSideModel(),
                                             detector_.effectiveThreshold()};
    const std::optional<lines::EarlyDiagnostics> early = options_.debug ? earlyDiagnostics(early_, hit) : std::nullopt;
    if (!hit.sideReliable) {
        ++uncertainHits_;
        environment_.log(lines::uncertain(hit.peak, diagnostics, early));
        return;
    }
    ++hitCount_;
    if (!soundedEarly(hit)) sound(hit);
    environment_.log(lines::hit(hit.side, hit.drum, hit.peak, hit.velocity, diagnostics, early));
}

void Session::soundEarly(EarlyDecision early) {
    early_ = std::move(early);
    if (early_->hit.sideReliable) sound(early_->hit);
}

// Whatever the full window finds, a tap that sounded early is not played again.
bool Session::soundedEarly(const Hit& hit) const {
    return early_ && early_->hit.t == hit.t && early_->hit.sideReliable;
}

// Heard, sent and kept alike: the drum and velocity it is played with, at
// the sample that started it.
void Session::sound(const Hit& hit) {
    ++soundsStarted_;
    lastSoundOnset_ = hit.t;
    const float pan = hit.side == Side::left ? -sidePan : sidePan;
    if (audio_) audio_->play(hit.drum, hit.velocity, pan);
    if (midi_) midi_->play(hit.drum, hit.velocity);
    if (takes_) takes_->add({elapsed_, hit.drum, hit.velocity, pan});
}

void Session::stop() {
    if (stopped_) return;
    stopped_ = true;
    if (audio_) audio_->stop();
    unsigned long failedMidi = 0;
    if (midi_) {
        midi_->finish();  // no note left hanging
        failedMidi = midi_->failedSends();
        midi_.reset();
    }
    if (recorder_) {
        try {
            recorder_->finish();
        } catch (const AppError& error) {
            fail(error.message());
        }
    }
    if (calibrationJournal_) calibrationJournal_->finish();
    // A run that received nothing played nothing: the take files stay as they were.
    if (takes_ && count_ > 0) {
        try {
            takes_->write(elapsed_);
        } catch (const AppError& error) {
            fail(error.message());
        }
    }
    takes_.reset();
    if (const auto dropped = audio_ ? audio_->mixer().droppedStarts() : 0; dropped > 0)
        environment_.log(lines::droppedStarts(dropped));
    if (failedMidi > 0) environment_.log(lines::midiSendsFailed(failedMidi));
    environment_.log(lines::summary(count_, hitCount_, uncertainHits_));
    if (!failure_.empty()) environment_.log(lines::error(failure_));
}

void Session::fail(const std::string& description) {
    failed_ = true;
    if (failure_.empty()) failure_ = description;
}

}  // namespace knockbox
