#pragma once
// How a fitted model fared on independent taps that never entered its fit,
// and the one rule for whether that is good enough to save it.

namespace knockbox {

struct SideVerification {
    int leftCorrect = 0;  // taps put confidently on their own side
    int rightCorrect = 0;
    int leftCount = 0;
    int rightCount = 0;

    // At least 3 taps a side, 5/6 of all correct and 2/3 on each side: with
    // three taps a side exactly one miss is allowed.
    bool passed() const;

    friend bool operator==(const SideVerification&, const SideVerification&) = default;
};

}  // namespace knockbox
