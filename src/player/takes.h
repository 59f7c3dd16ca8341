#pragma once
// The takes of a run (--take FILE.mid, --take FILE.wav): every drum the run
// starts, kept and written as a MIDI file and as sound when it ends.

#include <memory>
#include <optional>
#include <vector>

#include "audio/wave_writer.h"
#include "core/sounded_drum.h"
#include "core/temporary_file.h"
#include "player/options.h"

namespace knockbox {

class Takes {
public:
    // Claims each take's temporary file beside it now, so that a folder that
    // cannot take it fails the run before anything plays. Throws AppError
    // "Nie można zapisać pliku take: <path>: <reason>".
    explicit Takes(const Options& options);
    ~Takes();
    Takes(const Takes&) = delete;
    Takes& operator=(const Takes&) = delete;

    void add(const SoundedDrum& drum) { drums_.push_back(drum); }
    // Writes each take and puts it in place whole; `length` is the run's, in
    // seconds from its first sample. Once. Throws AppError for the first
    // take that failed; the other is written all the same.
    void write(double length);

private:
    MidiMapping mapping_;
    float volume_;  // as the engine plays it
    SoundSelection sounds_;
    std::optional<TemporaryFile> midi_;
    std::unique_ptr<WaveWriter> wave_;
    std::vector<SoundedDrum> drums_;
};

}  // namespace knockbox
