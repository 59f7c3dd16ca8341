#include "calibration/calibration_capture.h"

#include <gtest/gtest.h>

#include <limits>

namespace knockbox {
namespace {

using Capture = CalibrationCapture;
using Kind = Capture::Kind;
using Progress = Capture::Progress;
using Stage = Capture::Stage;
using enum CalibrationRefusal;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// A detected tap at `t`; the detector always says right, so labels that
// follow the prompt show.
Hit tap(double t, double peak = 0.3, std::vector<double> features = {1, 2, 3, 4, 5, 6, 7, 8}) {
    Hit hit;
    hit.t = t;
    hit.peak = peak;
    hit.features = {std::move(features), true};
    return hit;
}

// Taps the open block `count` times 0.5 s apart from `t`; returns the last tap's time.
double tapBlock(Capture& capture, double t, int count, std::vector<Capture::Result>* results = nullptr) {
    for (int i = 0; i < count; ++i, t += 0.5) {
        auto result = capture.consume(tap(t));
        EXPECT_TRUE(result.observation) << "tap at " << t;
        if (results) results->push_back(std::move(result));
    }
    return t - 0.5;
}

// The whole training, from a prompt at 10 s; returns the last tap's time.
double train(Capture& capture) {
    capture.advance(10);
    double t = tapBlock(capture, 10.5, 4);
    for (int block = 1; block < 4; ++block) {
        EXPECT_EQ(capture.advance(t + 1.2).size(), 1u);
        t = tapBlock(capture, t + 1.7, 4);
    }
    return t;
}

TEST(CalibrationCapture, RefusalsKeepEverythingCollected) {
    struct Case {
        Kind kind;
        Hit hit;  // after an accepted tap at 1.0 s
        std::optional<CalibrationRefusal> refusal;
    } cases[] = {
        {Kind::strong, tap(1.5, 0.16), std::nullopt},
        {Kind::strong, tap(1.5, 0.1599), tooWeak},
        {Kind::light, tap(1.5, 0.05), std::nullopt},
        {Kind::light, tap(1.5, 0.16), tooStrong},
        {Kind::standard, tap(1.5, 0.049), belowThreshold},
        {Kind::standard, tap(1.35), std::nullopt},
        {Kind::standard, tap(1.3), tooSoon},
        {Kind::standard, tap(1.5, 0.3, {1, 2, 3, 4, 5, 6, 7}), unusableData},
        {Kind::standard, tap(1.5, 0.3, {1, 2, 3, nan, 5, 6, 7, 8}), unusableData},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " " << c.hit.t << " " << c.hit.peak);
        Capture capture(c.kind, 0.16, 0.05);
        capture.advance(0);
        const double firstPeak = c.kind == Kind::light ? 0.1 : 0.3;
        ASSERT_TRUE(capture.consume(tap(1.0, firstPeak)).observation);
        const auto result = capture.consume(c.hit);
        const CalibrationTapLabel second{Side::left, 2, 8};
        const CalibrationMessage expected =
            c.refusal ? CalibrationMessage(CalibrationTapRefused{second, *c.refusal, c.hit.peak, 0.05, 0.16})
                      : CalibrationMessage(CalibrationTapCounted{second, c.hit.peak, std::nullopt});
        EXPECT_EQ(result.messages, std::vector<CalibrationMessage>{expected});
        EXPECT_EQ(result.observation.has_value(), !c.refusal);
        EXPECT_EQ(capture.trainingObservations().size(), c.refusal ? 1u : 2u);
        // A refused tap moved nothing: 0.35 s after the first tap still counts.
        if (c.refusal) {
            EXPECT_TRUE(capture.consume(tap(1.35, firstPeak)).observation);
        }
    }
    // A band that cannot hold a tap refuses every one.
    for (const auto& [accent, threshold] : {std::pair{0.16, 0.16}, {0.16, 0.0}, {nan, 0.05}, {0.16, 0.2}}) {
        Capture capture(Kind::standard, accent, threshold);
        capture.advance(0);
        const auto messages = capture.consume(tap(1.0)).messages;
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(std::get<CalibrationTapRefused>(messages[0]).reason, invalidBand);
    }
}

// Nothing counts before its prompt; blocks alternate after pauses, and the
// training completes once.
TEST(CalibrationCapture, TrainingPromptsAlternatesAfterPausesAndCompletesOnce) {
    Capture capture(Kind::strong, 0.16, 0.05);
    EXPECT_TRUE(capture.consume(tap(9.0)).messages.empty());  // before the first advance
    EXPECT_TRUE(capture.advance(nan).empty());
    const CalibrationPrompt first{false, 0, 4, Side::left, 4, Kind::strong, 0.05, 0.16};
    EXPECT_EQ(capture.advance(10), std::vector<CalibrationMessage>{first});
    EXPECT_TRUE(capture.advance(10.1).empty());
    EXPECT_EQ(capture.progress(), (Progress{Stage::training, Side::left, 0, 0, 8, 4, true}));
    const auto early = capture.consume(tap(9.99));  // detected after the prompt, begun before it
    EXPECT_TRUE(early.messages.empty() && !early.observation);
    const double t = tapBlock(capture, 10.5, 4);  // the left block ends at 12.0
    EXPECT_EQ(capture.progress(), (Progress{Stage::training, Side::right, 4, 0, 8, 4, false}));
    EXPECT_TRUE(capture.consume(tap(t + 0.5)).messages.empty());  // the pause ignores taps
    ASSERT_EQ(capture.advance(t + 1.2).size(), 1u);
    tapBlock(capture, t + 1.7, 3);
    EXPECT_EQ(capture.progress(), (Progress{Stage::training, Side::right, 4, 3, 8, 1, true}));

    // (The messages, sides and taps of a whole training, and its one result:
    // tests/e2e/calibration_replay_test.cpp, whose profile counts 8 and 8 taps.)
    Capture full(Kind::strong, 0.16, 0.05);
    const double last = train(full);
    EXPECT_EQ(full.progress(), (Progress{Stage::training, std::nullopt, 8, 8, 8, 0, false}));
    // Reported once: later taps and clock ticks change nothing until verification starts.
    EXPECT_TRUE(full.consume(tap(last + 0.5)).messages.empty());
    EXPECT_TRUE(full.advance(last + 5).empty());
}

TEST(CalibrationCapture, VerificationVerdicts) {
    const std::optional<SidePrediction> left = SidePrediction{Side::left, 0.9, true, false},
                                        right = SidePrediction{Side::right, 0.9, true, false},
                                        unsure = SidePrediction{Side::right, 0.59, true, false},
                                        unreliable = SidePrediction{Side::right, 0.9, false, false},
                                        outside = SidePrediction{Side::right, 0.9, true, true};
    // The model's answer for the taps left, left, left, right, right, right.
    const struct {
        std::vector<std::optional<SidePrediction>> answers;
        int correctLeft, correctRight;
        bool passed;
    } cases[] = {
        {{left, left, left, right, right, right}, 3, 3, true},
        {{left, right, left, right, right, right}, 2, 3, true},
        {{left, right, left, right, left, right}, 2, 2, false},
        {{right, right, left, right, right, right}, 1, 3, false},
        {{left, left, left, unsure, right, unsure}, 3, 1, false},
        {{left, left, left, right, unreliable, right}, 3, 2, true},
        {{left, left, left, outside, outside, right}, 3, 1, false},
        {{left, std::nullopt, left, right, right, right}, 2, 3, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.correctLeft * 10 + c.correctRight);
        Capture capture(Kind::strong, 0.16, 0.05);
        const double last = train(capture);
        std::size_t asked = 0;
        // Begun with an earlier time: the pause still runs from the last training tap.
        EXPECT_EQ(capture.beginVerification(
                      [&](const SideFeatures&, const std::optional<SideFeatures>&) { return c.answers.at(asked++); },
                      last - 1.0).size(), 1u);
        EXPECT_TRUE(capture.advance(last + 1.19).empty());
        EXPECT_EQ(capture.progress(), (Progress{Stage::verification, Side::left, 0, 0, 3, 3, false}));
        ASSERT_EQ(capture.advance(last + 1.2).size(), 1u);
        std::vector<Capture::Result> results;
        const double t = tapBlock(capture, last + 1.5, 3, &results);
        ASSERT_EQ(capture.advance(t + 1.2).size(), 1u);
        tapBlock(capture, t + 1.5, 3, &results);
        const auto& verification = results.back().verification;
        ASSERT_TRUE(verification);
        EXPECT_EQ(results.back().messages.size(), 1u);  // the caller reports the verdict
        EXPECT_EQ(verification, (SideVerification{c.correctLeft, c.correctRight, 3, 3}));
        EXPECT_EQ(verification->passed(), c.passed);
        // The prompted side, whatever the model said.
        EXPECT_EQ(capture.verificationObservations()[1].side, Side::left);
        EXPECT_EQ(capture.trainingObservations().size(), 16u);
        EXPECT_EQ(capture.progress(), (Progress{Stage::verification, std::nullopt, 3, 3, 3, 0, false}));
        capture.markComplete();
        EXPECT_EQ(capture.isComplete(), c.passed);
    }
}

TEST(CalibrationCapture, RetryStartsFromNothing) {
    Capture capture(Kind::strong, 0.16, 0.05);
    const double last = train(capture);
    capture.beginVerification(SideProfile{}, last);
    EXPECT_TRUE(capture.retry(nan).empty());
    EXPECT_EQ(capture.retry(last + 0.1).size(), 1u);
    EXPECT_TRUE(capture.trainingObservations().empty() && capture.verificationObservations().empty());
    EXPECT_TRUE(capture.advance(last + 1.29).empty());
    ASSERT_EQ(capture.advance(last + 1.3).size(), 1u);
    // The last accepted tap was forgotten: a tap right after the prompt counts.
    const CalibrationTapCounted firstAgain{{Side::left, 1, 8}, 0.3, std::nullopt};
    EXPECT_EQ(capture.consume(tap(last + 1.31)).messages, std::vector<CalibrationMessage>{firstAgain});
    EXPECT_TRUE(capture.beginVerification(SideProfile{}, last + 2).empty());  // only after a training
}

}  // namespace
}  // namespace knockbox
