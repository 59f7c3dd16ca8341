#pragma once
// When the fast trigger decides a tap: at the first sample, from `earliest`
// after the onset on, at which the tap is clear, and at the latest at
// `latest`, clear or not. A tap is clear when its side is sure by the rule
// that judges the whole window and its strength has settled: its magnitude
// has fallen to `peakFallen` of the peak so far (the first swing has passed),
// or the peak has reached full velocity (the loudest, firm: nothing later
// changes drum or loudness). Waiting for the tap rather than for a time
// decides a quick, clear tap sooner and one that rises slowly later.

namespace knockbox {

struct EarlyTrigger {
    double earliest = 0;    // s after the onset
    double latest = 0;      // s after the onset, at most the 34 ms attack window
    double peakFallen = 1;  // share of the peak so far; 1: the strength is not waited for

    friend bool operator==(const EarlyTrigger&, const EarlyTrigger&) = default;
};

// A decision at one time after the onset, whatever the tap shows then.
constexpr EarlyTrigger fixedEarlyTrigger(double seconds) { return {seconds, seconds, 1}; }

}  // namespace knockbox
