#pragma once
// How a profile fared on independent taps that never entered its fit.

namespace knockbox {

struct SideVerification {
    int leftCorrect = 0;
    int rightCorrect = 0;
    int leftCount = 0;
    int rightCount = 0;

    int confidentCorrect() const { return leftCorrect + rightCorrect; }
    // Mean of the two sides' shares; 0 when a side has no taps.
    double accuracy() const;
    // At least 3 taps a side, 5/6 of all correct and 2/3 on each side: with
    // three taps a side exactly one miss is allowed.
    bool passed() const;

    friend bool operator==(const SideVerification&, const SideVerification&) = default;
};

}  // namespace knockbox
