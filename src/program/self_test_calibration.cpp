// Self-test, side and light calibration: a simulated user follows the
// prompts of a calibration run of the real play session (firm taps for the
// side profile, gentle ones for the light profile). The profile it saves in
// the private folder must load back as exactly the model fitted from the
// session's training taps, and judge new taps, which it never saw, on their
// own side.

#include <exception>
#include <string>

#include "program/self_test.h"
#include "program/self_test_support.h"
#include "player/session.h"
#include "sidemodels/light_side_profile.h"
#include "sidemodels/side_profile.h"
#include "simulation/tap_simulation.h"

namespace knockbox::selfcheck {
namespace fs = std::filesystem;
namespace {

using simulation::Strength;

constexpr std::uint64_t calibrationSeed = 23;
constexpr std::uint64_t heldOutSeed = 29;
constexpr int heldOutTaps = 12;
// Stored in the profiles: a model no Mac has, so nothing made here could pass
// for a real profile.
constexpr const char* hardwareModel = "SelfTest1,1";

struct Calibration {
    bool light;
    std::string strength;  // of the taps, in the lines
};

// The session, the file, the new taps, and for the light profile its impulse part.
std::size_t checkCount(const Calibration& calibration) { return calibration.light ? 4 : 3; }
constexpr const char* cannotCheck = "nie można sprawdzić bez pliku profilu z kalibracji";

// The fields of two side profiles that differ, by name.
std::vector<std::string> differences(const SideProfile& a, const SideProfile& b, const std::string& prefix = "") {
    std::vector<std::string> fields;
    const auto compare = [&](bool same, const char* name) {
        if (!same) fields.push_back(prefix + name);
    };
    compare(a.version == b.version, "version");
    compare(a.left == b.left, "left");
    compare(a.right == b.right, "right");
    compare(a.scales == b.scales, "scales");
    compare(a.counts == b.counts, "counts");
    compare(a.validationAccuracy == b.validationAccuracy, "validationAccuracy");
    compare(a.hardwareModel == b.hardwareModel, "hardwareModel");
    compare(a.covarianceModel == b.covarianceModel, "covarianceModel");
    return fields;
}

std::vector<std::string> differences(const std::optional<SideProfile>& a, const std::optional<SideProfile>& b,
                                     const std::string& name) {
    if (a.has_value() != b.has_value()) return {name};
    return a ? differences(*a, *b, name + ".") : std::vector<std::string>{};
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// The profile the session should have saved: the fit of its training taps.
SideProfile fittedSideProfile(const CalibrationCapture& capture) {
    const CalibrationCapture::Training training{capture.trainingObservations()};
    return SideProfile::train(training.features(Side::left), training.features(Side::right), hardwareModel);
}

LightSideProfile fittedLightProfile(const CalibrationCapture& capture, double accent) {
    const CalibrationCapture::Training training{capture.trainingObservations()};
    // Either part alone makes a light profile.
    const auto fit = [](const std::vector<SideFeatures>& left,
                        const std::vector<SideFeatures>& right) -> std::optional<SideProfile> {
        try {
            return SideProfile::train(left, right, hardwareModel);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    };
    return LightSideProfile(fit(training.features(Side::left), training.features(Side::right)),
                            fit(training.impulses(Side::left), training.impulses(Side::right)), accent);
}

// New taps of the calibrated strength, alternating from the left, their
// strengths spread over the simulator's range.
simulation::Scene heldOutScene(bool light) {
    simulation::Scene scene;
    scene.seed = heldOutSeed;
    const double low = light ? simulation::gentleLow : simulation::firmLow;
    const double high = light ? simulation::gentleHigh : simulation::firmHigh;
    for (int i = 0; i < heldOutTaps; ++i)
        scene.taps.push_back({2.5 + 0.45 * i, i % 2 == 0 ? Side::left : Side::right,
                              light ? Strength::gentle : Strength::firm, low + (high - low) * (i % 4) / 3.0});
    scene.duration = scene.taps.back().time + 0.5;
    return scene;
}

// The held-out taps through a detector that has the loaded profile.
SelfCheck heldOut(const Calibration& calibration, TapDetector detector, std::string_view model) {
    const simulation::Scene scene = heldOutScene(calibration.light);
    const Played played = play(scene, std::move(detector));
    std::vector<std::string> problems = hitDifferences(played.hits, simulation::intendedHits(scene), played.origin);
    for (std::size_t i = 0; i < played.models.size(); ++i)
        if (played.models[i] != model)
            problems.push_back("klepnięcie " + std::to_string(i + 1) + " ocenił model " +
                               std::string(played.models[i]) + ", nie " + std::string(model));
    if (!problems.empty()) return {false, "nowe klepnięcia: " + listed(problems)};
    return {true, std::to_string(heldOutTaps) + " nowych " + calibration.strength +
                      " klepnięć po właściwej stronie, każde ocenione przez model " + std::string(model)};
}

// The light profile's impulse part alone, on the held-out taps' impulse signatures.
SelfCheck impulsePart(const LightSideProfile& profile) {
    if (!profile.impulseProfile) return {false, "profil bez części impulsowej"};
    const simulation::Scene scene = heldOutScene(true);
    const Played played = play(scene);
    const auto intended = simulation::intendedHits(scene);
    if (played.hits.size() != intended.size())
        return {false, "część impulsowa: " + std::to_string(played.hits.size()) + " uderzeń zamiast " +
                           std::to_string(intended.size())};
    int right = 0;
    for (std::size_t i = 0; i < intended.size(); ++i) {
        const auto& impulse = played.hits[i].impulse;
        if (impulse && confidentlyOn(profile.impulseProfile->predict(*impulse), intended[i].side)) ++right;
    }
    const std::string count = std::to_string(right) + "/" + std::to_string(intended.size());
    if (right != static_cast<int>(intended.size()))
        return {false, "część impulsowa sama: " + count + " nowych klepnięć pewnie po właściwej stronie"};
    return {true, "część impulsowa sama: " + count + " nowych klepnięć pewnie po właściwej stronie"};
}

std::vector<SelfCheck> calibrate(const Calibration& calibration, const fs::path& folder) {
    std::vector<std::string> lines;
    CalibrationFiles files{folder / "side-profile.json", folder / "light-side-profile.json", hardwareModel, {}};
    SessionEnvironment environment{[] { return 0.0; }, [&lines](std::string_view line) { lines.emplace_back(line); },
                                   {}, files};
    Options options;
    options.muted = true;
    options.calibrateSides = !calibration.light;
    options.calibrateStrong = !calibration.light;
    options.calibrateLight = calibration.light;
    simulation::CalibrationPlan plan;
    plan.kind = calibration.light ? simulation::CalibrationKind::light : simulation::CalibrationKind::strong;
    plan.playTaps = 0;

    Session session(options, environment);
    for (const AccelSample& sample : simulation::render(simulation::calibrationScene(plan, calibrationSeed)))
        session.receive(sample, true);
    session.stop();

    const std::optional<CalibrationCapture>& capture = session.calibration();
    if (!capture || !capture->isComplete()) {
        std::string why = "kalibracja nieukończona";
        for (const std::string& line : lines)
            if (line.starts_with("Nie zapisano profilu: ")) why = line;
        std::vector<SelfCheck> checks{{false, "sesja z symulowanym użytkownikiem: " + why}};
        while (checks.size() < checkCount(calibration)) checks.push_back({false, cannotCheck});
        return checks;
    }
    int verified = 0;
    for (const auto& observation : capture->verificationObservations()) verified += observation.isCorrect() ? 1 : 0;
    std::vector<SelfCheck> checks{
        {true, "sesja z symulowanym użytkownikiem: trening " + std::to_string(capture->trainingObservations().size()) +
                   " " + calibration.strength + " klepnięć, niezależny test " + std::to_string(verified) + "/" +
                   std::to_string(capture->verificationObservations().size()) + ", plik profilu w folderze próbnym"}};

    const std::string loaded = "plik profilu wczytany z powrotem identyczny z modelem nauczonym w sesji";
    const auto differing = [](const std::vector<std::string>& fields) {
        return SelfCheck{false, "wczytany profil różni się od nauczonego: " + joined(fields)};
    };
    TapDetector detector;
    try {
        if (calibration.light) {
            const LightSideProfile profile = LightSideProfile::load(files.lightProfile, hardwareModel);
            const LightSideProfile fitted = fittedLightProfile(*capture, session.detector().config().accent);
            std::vector<std::string> fields = differences(profile.profile, fitted.profile, "profile");
            for (std::string& field : differences(profile.impulseProfile, fitted.impulseProfile, "impulseProfile"))
                fields.push_back(std::move(field));
            if (profile.version != fitted.version) fields.push_back("version");
            if (profile.maximumPeak != fitted.maximumPeak) fields.push_back("maximumPeak");
            checks.push_back(fields.empty() ? SelfCheck{true, loaded} : differing(fields));
            detector.setLightSideProfile(profile);
            checks.push_back(heldOut(calibration, std::move(detector), "lekki"));
            checks.push_back(impulsePart(profile));
        } else {
            const SideProfile profile = SideProfile::load(files.sideProfile, hardwareModel);
            const std::vector<std::string> fields = differences(profile, fittedSideProfile(*capture));
            checks.push_back(fields.empty() ? SelfCheck{true, loaded} : differing(fields));
            detector.setSideProfile(profile);
            checks.push_back(heldOut(calibration, std::move(detector), "główny"));
        }
    } catch (const std::exception& error) {
        // Usually the file did not load; nothing else about it can be checked.
        checks.push_back({false, std::string("nie można sprawdzić pliku profilu: ") + error.what()});
        while (checks.size() < checkCount(calibration)) checks.push_back({false, cannotCheck});
    }
    return checks;
}

}  // namespace

std::vector<SelfCheck> sideCalibration(const fs::path& folder) {
    return calibrate({false, "mocnych"}, folder);
}

std::vector<SelfCheck> lightCalibration(const fs::path& folder) {
    return calibrate({true, "delikatnych"}, folder);
}

}  // namespace knockbox::selfcheck
