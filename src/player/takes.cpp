#include "player/takes.h"

#include <cerrno>
#include <exception>
#include <filesystem>
#include <system_error>

#include "audio/take_render.h"
#include "core/app_error.h"
#include "core/line_text.h"
#include "core/write_all.h"
#include "midi/midi_file.h"

namespace knockbox {
namespace fs = std::filesystem;
namespace {

AppError cannotWrite(const std::exception& error) {
    return AppError("Nie można zapisać pliku take: " + std::string(error.what()));
}

// A folder at the target's name would refuse the file only at the end.
void refuseFolder(const fs::path& target) {
    std::error_code ignored;
    if (fs::is_directory(target, ignored))
        throw std::system_error(EISDIR, std::generic_category(), pathText(target));
}

}  // namespace

Takes::Takes(const Options& options)
    : mapping_(options.midiMapping), volume_(static_cast<float>(options.volume)), sounds_(options.sounds) {
    try {
        if (options.takeMidi) {
            refuseFolder(*options.takeMidi);
            midi_.emplace(TemporaryFile::beside(*options.takeMidi, static_cast<fs::perms>(0666)));
        }
        if (options.takeWave) {
            refuseFolder(*options.takeWave);
            wave_ = std::make_unique<WaveWriter>(*options.takeWave, WaveKind::take);
        }
    } catch (const std::exception& error) {
        throw cannotWrite(error);
    }
}

Takes::~Takes() = default;

void Takes::write(double length) {
    std::optional<AppError> failure;
    if (midi_) {
        try {
            if (!writeAll(midi_->fd(), standardMidiFile(drums_, mapping_)))
                throw std::system_error(errno, std::generic_category(), pathText(midi_->target()));
            midi_->commit();
        } catch (const std::exception& error) {
            failure = cannotWrite(error);
        }
        midi_.reset();
    }
    if (wave_) {
        try {
            renderTake([this](const float* frames, std::size_t count) { wave_->write(frames, count); }, drums_,
                       volume_, sounds_, length);
            wave_->commit();
        } catch (const std::exception& error) {
            if (!failure) failure = cannotWrite(error);
        }
        wave_.reset();
    }
    if (failure) throw *failure;
}

}  // namespace knockbox
