#include "calibration/calibration_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace knockbox {
namespace {

using Capture = CalibrationCapture;
using Kind = Capture::Kind;
using Progress = Capture::Progress;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// A detected tap at `t` with a usable signature; the detector's own side is
// always right, so labels that follow the prompt show.
Hit tap(double t, double peak = 0.3, SideFeatures features = {{1, 2, 3, 4, 5, 6, 7, 8}, true}) {
    Hit hit;
    hit.t = t;
    hit.peak = peak;
    hit.side = Side::right;
    hit.features = std::move(features);
    return hit;
}

// Taps the open block `count` times 0.5 s apart from `t`; returns the time of the last tap.
double tapBlock(Capture& capture, double t, int count, std::vector<Capture::Result>* results = nullptr) {
    for (int i = 0; i < count; ++i, t += 0.5) {
        auto result = capture.consume(tap(t));
        EXPECT_TRUE(result.observation) << "tap " << i << " at " << t;
        if (results) results->push_back(std::move(result));
    }
    return t - 0.5;
}

// A strong capture taken through its whole training (started at 10 s); returns the last tap's time.
double train(Capture& capture, std::vector<Capture::Result>* results = nullptr) {
    capture.advance(10);
    double t = 10.5;
    for (int block = 0; block < 4; ++block) {
        t = tapBlock(capture, t, 4, results);
        if (block < 3) {
            EXPECT_EQ(capture.advance(t + 1.2).size(), 1u);
            t += 1.7;
        }
    }
    return t;
}

TEST(CalibrationCapture, NothingCountsBeforeItsPrompt) {
    Capture capture(Kind::strong, 0.16, 0.05);
    EXPECT_EQ(capture.consume(tap(1.0)).messages.size(), 0u);  // before the first advance
    EXPECT_TRUE(capture.advance(nan).empty());
    EXPECT_TRUE(std::holds_alternative<Capture::AwaitingStart>(capture.phase()));
    EXPECT_EQ(capture.progress(), (Progress{"Trening", Side::left, 0, 8, 0, 4, 0, 16, false}));

    EXPECT_EQ(capture.advance(2.0), std::vector<std::string>{
        "Trening — blok 1/4: klepnij LEWĄ stronę 4 razy mocniej (peak >= 0.160 g), co około pół sekundy. "
        "Audio podczas kalibracji jest wyciszone."});
    EXPECT_TRUE(capture.advance(2.1).empty());
    EXPECT_EQ(capture.progress(), (Progress{"Trening", Side::left, 0, 8, 0, 4, 0, 16, true}));
    // Detected after the prompt, begun before it.
    const auto early = capture.consume(tap(1.99));
    EXPECT_TRUE(early.messages.empty() && !early.observation && !early.rejection);
    EXPECT_TRUE(capture.trainingObservations().empty());

    EXPECT_EQ(Capture(Kind::standard, 0.16, 0.05).advance(0)[0],
              "Trening — blok 1/4: klepnij LEWĄ stronę 4 razy z trochę różną siłą, co około pół sekundy. "
              "Audio podczas kalibracji jest wyciszone.");
    EXPECT_EQ(Capture(Kind::light, 0.16, 0.05).advance(0)[0],
              "Trening — blok 1/4: klepnij LEWĄ stronę 4 razy delikatnie (peak >= 0.050 g i < 0.160 g), co około "
              "pół sekundy. Audio podczas kalibracji jest wyciszone.");
}

TEST(CalibrationCapture, RefusalsKeepEverythingCollected) {
    const std::string tooClose = "próbka pominięta; zachowaj co najmniej 0,35 s między uderzeniami.";
    const std::string broken = "brak poprawnych danych sensora; próbka pominięta.";
    struct Case {
        Kind kind;
        Hit hit;  // after an accepted tap at 1.0 s
        bool accepted;
        std::string message;  // after "LEWA 2/8: "
    } cases[] = {
        {Kind::strong, tap(1.5, 0.16), true, "peak 0.160 g"},
        {Kind::strong, tap(1.5, 0.1599), false,
         "peak 0.160 g jest za mały do mocnej kalibracji (wymagane >= 0.160 g). Klepnij trochę mocniej; "
         "dotychczasowe próbki zachowane."},
        {Kind::light, tap(1.5, 0.05), true, "peak 0.050 g"},
        {Kind::light, tap(1.5, 0.16), false,
         "peak 0.160 g jest za duży do lekkiej kalibracji (wymagane < 0.160 g). Klepnij delikatniej; dotychczasowe "
         "próbki zachowane."},
        {Kind::standard, tap(1.5, 0.049), false, "peak 0.049 g jest poniżej progu 0.050 g; próbka pominięta."},
        {Kind::standard, tap(1.35), true, "peak 0.300 g"},
        {Kind::standard, tap(1.3), false, tooClose},
        {Kind::standard, tap(1.5, 0.3, {{1, 2, 3, 4, 5, 6, 7}, true}), false, broken},
        {Kind::standard, tap(1.5, 0.3, {{1, 2, 3, nan, 5, 6, 7, 8}, true}), false, broken},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Capture capture(c.kind, 0.16, 0.05);
        capture.advance(0);
        const double firstPeak = c.kind == Kind::light ? 0.1 : 0.3;
        ASSERT_TRUE(capture.consume(tap(1.0, firstPeak)).observation);
        const auto result = capture.consume(c.hit);
        EXPECT_EQ(result.messages, std::vector<std::string>{"LEWA 2/8: " + c.message});
        EXPECT_EQ(result.observation.has_value(), c.accepted);
        EXPECT_EQ(capture.trainingObservations().size(), c.accepted ? 2u : 1u);
        if (!c.accepted) {
            EXPECT_EQ(result.rejection, c.message);
            // The refused tap moved nothing: 0.35 s after the first tap still counts.
            EXPECT_TRUE(capture.consume(tap(1.35, firstPeak)).observation);
        }
    }
    // A band that cannot hold a tap refuses every one.
    for (const auto& [accent, threshold] : {std::pair{0.16, 0.16}, {0.16, 0.0}, {nan, 0.05}, {0.16, 0.2}}) {
        Capture capture(Kind::standard, accent, threshold);
        capture.advance(0);
        EXPECT_EQ(capture.consume(tap(1.0)).rejection, "niepoprawny zakres siły kalibracji; próbka pominięta.");
    }
}

TEST(CalibrationCapture, TrainingAlternatesBlocksAfterPausesOnTheFedClock) {
    Capture capture(Kind::strong, 0.16, 0.05);
    capture.advance(10);
    double t = tapBlock(capture, 10.5, 4);                  // left block done at 12.0
    EXPECT_EQ(capture.progress(), (Progress{"Trening", Side::right, 0, 8, 0, 4, 4, 16, false}));
    EXPECT_TRUE(capture.consume(tap(t + 0.5)).messages.empty());  // the pause ignores taps
    EXPECT_TRUE(capture.advance(t + 1.19).empty());
    const auto prompt = capture.advance(t + 1.2);
    ASSERT_EQ(prompt.size(), 1u);
    EXPECT_TRUE(prompt[0].starts_with("Trening — blok 2/4: klepnij PRAWĄ stronę 4 razy")) << prompt[0];

    std::vector<Capture::Result> results;
    t = tapBlock(capture, t + 1.7, 3, &results);
    EXPECT_EQ(results.back().messages, std::vector<std::string>{"PRAWA 3/8: peak 0.300 g"});
    EXPECT_EQ(capture.progress(), (Progress{"Trening", Side::right, 3, 8, 3, 4, 7, 16, true}));
    tapBlock(capture, t + 0.5, 1, &results);
    EXPECT_EQ(results.back().messages,
              (std::vector<std::string>{"PRAWA 4/8: peak 0.300 g",
                                        "Blok gotowy. Odczekaj 1,2 s; następne polecenie pojawi się samo."}));
    // Third block: the left side's count goes on from 4, the block's from 0.
    EXPECT_EQ(capture.progress(), (Progress{"Trening", Side::left, 4, 8, 0, 4, 8, 16, false}));
}

TEST(CalibrationCapture, TrainingCompletesOnceWithPromptedLabels) {
    Capture capture(Kind::strong, 0.16, 0.05);
    std::vector<Capture::Result> results;
    const double last = train(capture, &results);
    ASSERT_EQ(results.size(), 16u);
    for (std::size_t i = 0; i + 1 < results.size(); ++i) EXPECT_FALSE(results[i].training);
    const auto& done = results.back();
    ASSERT_TRUE(done.training);
    EXPECT_EQ(done.messages.back(),
              "Trening zebrany: po 8 uderzeń na stronę. Profil wymaga jeszcze niezależnej weryfikacji.");
    EXPECT_EQ(done.training->left.size(), 8u);
    EXPECT_EQ(done.training->right.size(), 8u);
    ASSERT_TRUE(done.completed());
    const Side order[] = {Side::left, Side::right, Side::left, Side::right};
    for (std::size_t i = 0; i < 16; ++i) {
        const auto& observation = done.training->observations[i];
        EXPECT_EQ(observation.side, order[i / 4]) << i;
        EXPECT_EQ(observation.detectorSide, Side::right);
        EXPECT_FALSE(observation.predictedSide);
    }
    EXPECT_EQ(capture.progress(), (Progress{"Trening", std::nullopt, 8, 8, 4, 4, 16, 16, false}));
    // Reported once: later taps and clock ticks change nothing until verification starts.
    EXPECT_TRUE(capture.consume(tap(last + 0.5)).messages.empty());
    EXPECT_TRUE(capture.advance(last + 5).empty());
    EXPECT_EQ(capture.trainingObservations().size(), 16u);
}

// The predictor's answer for each of the six verification taps (left, left,
// left, right, right, right), and the verdict.
struct VerdictCase {
    const char* name;
    std::vector<std::optional<SidePrediction>> answers;
    int correctLeft, correctRight;
    bool passed;
};

TEST(CalibrationCapture, VerificationVerdicts) {
    const SidePrediction left{Side::left, 0.9, true, false}, right{Side::right, 0.9, true, false};
    const auto with = [](SidePrediction p, auto change) { change(p); return std::optional(p); };
    const auto unsure = with(right, [](SidePrediction& p) { p.confidence = 0.59; });
    const auto unreliable = with(right, [](SidePrediction& p) { p.isReliable = false; });
    const auto outside = with(right, [](SidePrediction& p) { p.isOutOfDistribution = true; });
    const VerdictCase cases[] = {
        {"all correct", {left, left, left, right, right, right}, 3, 3, true},
        {"one wrong side", {left, right, left, right, right, right}, 2, 3, true},
        {"two wrong", {left, right, left, right, left, right}, 2, 2, false},
        {"one side short", {right, right, left, right, right, right}, 1, 3, false},
        {"confidence 0.59", {left, left, left, unsure, right, unsure}, 3, 1, false},
        {"unreliable", {left, left, left, right, unreliable, right}, 3, 2, true},
        {"out of distribution", {left, left, left, outside, outside, right}, 3, 1, false},
        {"no opinion", {left, std::nullopt, left, right, right, right}, 2, 3, true},
    };
    for (const VerdictCase& c : cases) {
        SCOPED_TRACE(c.name);
        Capture capture(Kind::strong, 0.16, 0.05);
        const double last = train(capture);
        std::size_t asked = 0;
        const auto messages = capture.beginVerification(
            [&](const SideFeatures&, const std::optional<SideFeatures>&) { return c.answers.at(asked++); }, last - 1.0);
        EXPECT_EQ(messages, std::vector<std::string>{
            "Weryfikacja: teraz sprawdzimy po 3 NOWE uderzenia na stronę. Odczekaj 1,2 s na polecenie dla LEWEJ. "
            "Te uderzenia nie uczą modelu."});
        // The pause runs from the last training tap, not from an earlier `now`.
        EXPECT_TRUE(capture.advance(last + 1.19).empty());
        EXPECT_EQ(capture.progress(), (Progress{"Weryfikacja", Side::left, 0, 3, 0, 3, 0, 6, false}));
        ASSERT_EQ(capture.advance(last + 1.2).size(), 1u);
        std::vector<Capture::Result> results;
        double t = tapBlock(capture, last + 1.5, 3, &results);
        EXPECT_EQ(capture.progress(), (Progress{"Weryfikacja", Side::right, 0, 3, 0, 3, 3, 6, false}));
        ASSERT_TRUE(capture.advance(t + 1.2)[0].starts_with("Weryfikacja — blok 2/2: klepnij PRAWĄ stronę 3 razy"));
        tapBlock(capture, t + 1.5, 3, &results);
        ASSERT_EQ(results.size(), 6u);
        EXPECT_TRUE(results[0].messages[0].ends_with(c.answers[0] == left ? " · weryfikacja OK"
                                                                          : " · weryfikacja: strona niepewna lub błędna"));
        const auto& verification = results.back().verification;
        ASSERT_TRUE(verification);
        EXPECT_EQ(results.back().messages.size(), 1u);  // the caller reports the verdict
        EXPECT_EQ(verification->correctLeft, c.correctLeft);
        EXPECT_EQ(verification->correctRight, c.correctRight);
        EXPECT_EQ(verification->passed(), c.passed);
        EXPECT_EQ(capture.trainingObservations().size(), 16u);
        // Every observation keeps its prompted side, whatever the model said.
        EXPECT_EQ(verification->observations[1].side, Side::left);
        EXPECT_EQ(capture.progress(), (Progress{"Weryfikacja", std::nullopt, 3, 3, 3, 3, 6, 6, false}));

        capture.markComplete();
        EXPECT_EQ(capture.isComplete(), c.passed);
    }
}

TEST(CalibrationCapture, RetryStartsFromNothing) {
    Capture capture(Kind::strong, 0.16, 0.05);
    SideProfile profile;  // never asked: the retry comes first
    const double last = train(capture);
    capture.beginVerification(profile, last);
    EXPECT_TRUE(capture.retry(nan).empty());
    EXPECT_EQ(capture.retry(last + 0.1), std::vector<std::string>{
        "Nowa próba kalibracji za 1,2 s, od LEWEJ strony. Zapisany profil pozostaje bez zmian."});
    EXPECT_TRUE(capture.observations().empty());
    EXPECT_EQ(capture.progress(), (Progress{"Trening", Side::left, 0, 8, 0, 4, 0, 16, false}));
    EXPECT_TRUE(capture.advance(last + 1.29).empty());
    ASSERT_EQ(capture.advance(last + 1.3).size(), 1u);
    // lastAccepted was forgotten: a tap right after the prompt counts.
    const auto first = capture.consume(tap(last + 1.31));
    EXPECT_EQ(first.messages, std::vector<std::string>{"LEWA 1/8: peak 0.300 g"});
    // beginVerification outside awaitingTraining does nothing.
    EXPECT_TRUE(capture.beginVerification(profile, last + 2).empty());
}

}  // namespace
}  // namespace knockbox
