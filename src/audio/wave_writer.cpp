#include "audio/wave_writer.h"

#include <sndfile.h>

#include <stdexcept>
#include <string>

#include "audio/sample_library.h"
#include "core/line_text.h"

namespace knockbox {

WaveWriter::WaveWriter(const std::filesystem::path& path, WaveKind kind)
    : path_(path), file_(TemporaryFile::beside(path, static_cast<std::filesystem::perms>(0666))) {
    const bool take = kind == WaveKind::take;
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = take ? 2 : 1;
    info.format = take ? SF_FORMAT_RF64 | SF_FORMAT_PCM_24 : SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
    SNDFILE* sound = sf_open_fd(file_.fd(), SFM_WRITE, &info, SF_FALSE);
    if (!sound) fail(sf_strerror(nullptr));
    sound_ = sound;
    sf_command(sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // An RF64 file that stays below 4 GiB is written as a plain WAV.
    if (take) sf_command(sound, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
}

WaveWriter::~WaveWriter() {
    if (sound_) sf_close(static_cast<SNDFILE*>(sound_));
}

void WaveWriter::fail(const char* description) const {
    throw std::runtime_error(pathText(path_) + ": " + description);
}

void WaveWriter::write(const float* interleaved, std::size_t frames) {
    const auto count = static_cast<sf_count_t>(frames);
    auto* sound = static_cast<SNDFILE*>(sound_);
    if (sf_writef_float(sound, interleaved, count) != count) fail(sf_strerror(sound));
}

void WaveWriter::commit() {
    auto* sound = static_cast<SNDFILE*>(sound_);
    sound_ = nullptr;
    if (sf_close(sound) != 0) fail("the file could not be completed");
    file_.commit();
}

}  // namespace knockbox
