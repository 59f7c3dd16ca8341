#pragma once
// One player run: turns every sample into detector input, warm-up and ready
// lines, sounds and hit lines, and counts what happened. Main thread only.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calibration/calibration_capture.h"
#include "calibration/calibration_journal.h"
#include "core/accel_sample.h"
#include "detection/tap_detector.h"
#include "player/options.h"
#include "player/typing_guard.h"
#include "protocol/calibration_ui_state.h"
#include "recording/csv_recorder.h"
#include "sidemodels/light_side_profile.h"
#include "sidemodels/side_profile.h"

namespace knockbox {

class DrumAudio;
class MidiOutput;
class Takes;

// Where a side calibration keeps what it makes, and what it marks it with.
struct CalibrationFiles {
    using JournalStamp = std::function<std::pair<std::chrono::system_clock::time_point, std::string>()>;

    std::filesystem::path sideProfile;   // a verified firm-tap profile; its folder holds the journals
    std::filesystem::path lightProfile;  // a verified light-tap profile
    std::string hardwareModel;           // this Mac's, stored in profiles and journals
    // The wall-clock time and a fresh UUID that name a new journal; empty:
    // the calibration runs without a journal.
    JournalStamp journalStamp;
};

// What a session needs from its surroundings; tests replace the clock and
// collect the lines.
struct SessionEnvironment {
    using Log = std::function<void(std::string_view)>;
    // Installs the saved side profiles that apply to this run into the
    // detector, writing one line per profile; empty: no profiles.
    using ProfileLoader = std::function<void(const Options&, TapDetector&, const Log&)>;

    std::function<double()> clock;  // system uptime, seconds
    Log log;                        // one player line
    ProfileLoader loadProfiles;
    CalibrationFiles calibration{};
    static SessionEnvironment standard();
};

class Session {
public:
    // Creates the detector, the audio engine (unless muted), the recording,
    // the live MIDI output and the takes' files. Throws the engine's error,
    // MidiError, or AppError for a recording or take it cannot create.
    // With the fast trigger (not in side or light calibration runs, which
    // collect full-window hits) each tap sounds from its early decision; the
    // lines, counts and recording still follow the full window.
    explicit Session(const Options& options, SessionEnvironment environment = SessionEnvironment::standard());
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // One accelerometer sample; `replay` switches the typing guard off. Never
    // throws: a recording that cannot be written, or a verified profile that
    // cannot be saved, fails the session, which ignores every later sample.
    void receive(const AccelSample& sample, bool replay);
    // The next sample may decide a sound: a tap is being captured, whose
    // completing (or, with the fast trigger, early) sample must be handled as
    // soon as it arrives; or, with the fast trigger, an onset may come, whose
    // sound is due sooner than a slice later.
    bool awaitingHit() const { return detector_.capturing() || fastTriggerArmed(); }
    // The run must end and report failure (after its summary).
    bool failed() const { return failed_; }
    // Stops audio, ends the MIDI notes still sounding, closes the recording,
    // writes the takes (when a sample came) and the summary line, then the
    // "Błąd: …" line of a failure no line has told yet. Once.
    void stop();

    double lastWall() const { return lastWall_; }
    long count() const { return count_; }
    long hitCount() const { return hitCount_; }
    long uncertainHits() const { return uncertainHits_; }
    bool warm() const { return warm_; }
    const TapDetector& detector() const { return detector_; }
    // Drums started so far, one per sounded tap (counted when muted too), and
    // the onset time of the latest one's tap.
    long soundsStarted() const { return soundsStarted_; }
    double lastSoundOnset() const { return lastSoundOnset_; }
    // The engine that plays the hits; null when muted.
    const DrumAudio* audio() const { return audio_.get(); }
    // The live MIDI output; null without --midi.
    const MidiOutput* midi() const { return midi_.get(); }
    // The guided side calibration of a calibration run, from the end of the
    // warm-up on; absent otherwise.
    const std::optional<CalibrationCapture>& calibration() const { return calibration_; }

private:
    void becomeReady(double elapsed);
    void handle(const Hit& hit);
    // Fast trigger: a tap sounds from its early decision when that is sure of
    // its side; the full window then only writes the line. Otherwise it
    // sounds from the full window, as without the option.
    bool fastTriggerArmed() const { return warm_ && detector_.earlyTrigger() && detector_.armed(); }
    void soundEarly(EarlyDecision early);
    bool soundedEarly(const Hit& hit) const;
    void sound(const Hit& hit);

    // The calibration's side of the session (session_calibration.cpp).
    void startCalibration();
    void followCalibration(double t);
    void publishCalibrationState();
    void collectSideCalibration(const Hit& hit);
    void finishTraining(const CalibrationCapture::Training& training, double t);
    void finishVerification(const SideVerification& verification, double t);
    void rejectCalibration(std::string_view status, const std::string& description, double t);
    void failSave(const std::string& description);
    void journalStatus(std::string_view status, const std::string& detail);
    // Ends the run: every later sample is ignored, and stop tells why.
    void fail(const std::string& description);
    void logAll(const std::vector<CalibrationMessage>& messages);

    Options options_;
    SessionEnvironment environment_;
    TapDetector detector_;
    std::unique_ptr<DrumAudio> audio_;
    TypingGuard typing_;
    std::optional<double> origin_;
    double elapsed_ = 0;  // s of sample time from the first sample to the latest
    double lastWall_ = 0;
    long count_ = 0;
    long hitCount_ = 0;
    long uncertainHits_ = 0;
    bool warm_ = false;
    bool typingAnnounced_ = false;
    bool stopped_ = false;
    bool failed_ = false;
    std::string failure_;  // told by stop; empty when a line has told it already
    double calibrationPeak_ = 0;
    std::unique_ptr<CsvRecorder> recorder_;
    std::unique_ptr<MidiOutput> midi_;
    std::unique_ptr<Takes> takes_;
    std::optional<EarlyDecision> early_;  // of the latest tap that had one
    long soundsStarted_ = 0;
    double lastSoundOnset_ = 0;

    std::optional<CalibrationCapture> calibration_;
    std::optional<SideProfile> pendingSideProfile_;
    std::optional<LightSideProfile> pendingLightProfile_;
    std::unique_ptr<CalibrationJournal> calibrationJournal_;
    std::optional<CalibrationUIState> lastCalibrationUIState_;
};

}  // namespace knockbox
