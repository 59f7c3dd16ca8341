#pragma once
// One JSON-lines file per calibration run, for later analysis: the run's
// settings, every accepted tap with its human label, features and raw
// samples, and the run's milestones. Nothing in the program reads it back.
//
// Every line is one JSON object with its keys in code-point order, absent
// values left out and numbers in the shortest form that reads back as the
// same 64-bit value. Milestones reach stable storage before `status`
// returns; a crash may lose the last few taps, never a milestone.

#include <chrono>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/accel_sample.h"
#include "core/side.h"
#include "detection/hit.h"

namespace knockbox {

// The file could not be made in a folder that exists.
struct JournalCreationError : std::runtime_error {
    JournalCreationError() : std::runtime_error("Nie można utworzyć zapisu kalibracji.") {}
};

// What a new journal says about its run, and what names its file.
struct JournalHeader {
    std::string kind;  // "standard", "strong" or "light"
    double threshold = 0;  // g
    double accent = 0;     // g
    std::string hardwareModel;
    std::chrono::system_clock::time_point started;  // names the file, with `uuid`
    std::string uuid;  // fresh, upper-case 8-4-4-4-12
};

class CalibrationJournal {
public:
    // Creates <folder>/recordings/calibration (owner only, with any missing
    // parent) and in it a new file (owner read and write only) named after
    // the start time and the UUID, then writes the header line. Throws
    // std::system_error for the folder or the writing, JournalCreationError
    // when the file cannot be created.
    CalibrationJournal(const std::filesystem::path& folder, const JournalHeader& header);
    // Finishes the journal if nobody did.
    ~CalibrationJournal();
    CalibrationJournal(const CalibrationJournal&) = delete;
    CalibrationJournal& operator=(const CalibrationJournal&) = delete;

    const std::filesystem::path& url() const { return url_; }

    // One accepted tap: the prompted side, the stage ("training",
    // "verification"), the hit and the raw samples around it. Throws
    // std::system_error; a line that could not be written whole is taken
    // back, so the file stays whole lines.
    void record(Side label, std::string_view stage, const Hit& hit, std::span<const AccelSample> trace);
    // A milestone, flushed to stable storage. Throws like `record`.
    void status(std::string_view status, std::string_view detail = "");
    // Writes "session-ended", flushes and closes. Once; never fails.
    void finish() noexcept;

private:
    void append(std::string line);

    std::filesystem::path url_;
    int handle_ = -1;
    bool ended_ = false;
};

// "2025-03-01T09:15:42Z": ISO 8601 in UTC, to the second.
std::string isoTime(std::chrono::system_clock::time_point time);

}  // namespace knockbox
