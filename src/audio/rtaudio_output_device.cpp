#include "audio/rtaudio_output_device.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <thread>
#include <type_traits>

#include <rtaudio/RtAudio.h>

#include "audio/audio_error.h"

// RtAudio 5 (Debian) throws RtAudioError; 6 (Homebrew) returns error codes and
// reports through a callback instead.
#if defined(RTAUDIO_VERSION_MAJOR) && RTAUDIO_VERSION_MAJOR >= 6
#define KNOCKBOX_RTAUDIO_RETURNS_ERRORS 1
#else
#define KNOCKBOX_RTAUDIO_RETURNS_ERRORS 0
#endif

namespace knockbox {
namespace {

constexpr unsigned preferredRate = 48000;
// Blocks queued in the sound server: about 11 ms at 48 kHz, instead of the
// server's default of up to two seconds.
constexpr unsigned serverBuffers = 4;
// How long start() waits for the device to begin pulling audio.
constexpr auto startWait = std::chrono::milliseconds(2500);

// Sends file descriptor 2 to /dev/null while the audio library is called
// from the main thread. The library and the sound-server client below it have
// their own ideas about printing diagnostics (device probing, connection
// attempts, autospawn); the player's standard error carries only its lines.
class QuietStandardError {
public:
    QuietStandardError() : saved_(dup(STDERR_FILENO)) {
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
        if (null >= 0) close(null);
    }
    ~QuietStandardError() {
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_;
};

// Runs one library call; false when it failed, whichever way this version
// of the library reports that.
template <typename Call>
bool succeeded(Call&& call) {
    try {
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            return true;
        } else {
            return call() == decltype(call()){};  // the "no error" value is 0
        }
    } catch (const std::exception&) {
        return false;
    }
}

RtAudio::Api platformApi() {
#if defined(__APPLE__)
    return RtAudio::MACOSX_CORE;
#else
    // Only the Pulse client: probing ALSA and JACK prints on standard error
    // and finds nothing a desktop user would pick over the sound server.
    return RtAudio::LINUX_PULSE;
#endif
}

std::unique_ptr<RtAudio> makeAudio() {
#if KNOCKBOX_RTAUDIO_RETURNS_ERRORS
    auto audio = std::make_unique<RtAudio>(platformApi(), [](RtAudioErrorType, const std::string&) {});
#else
    auto audio = std::make_unique<RtAudio>(platformApi());
#endif
    audio->showWarnings(false);
    return audio;
}

class RtAudioOutputDevice final : public OutputDevice {
public:
    RtAudioOutputDevice() {
        const QuietStandardError quiet;
        bool opened = false;
        succeeded([&] {
            audio_ = makeAudio();
            if (audio_->getDeviceCount() == 0) return;
            const unsigned id = audio_->getDefaultOutputDevice();
            const RtAudio::DeviceInfo info = audio_->getDeviceInfo(id);
            if (info.outputChannels == 0) return;
            const auto& rates = info.sampleRates;
            unsigned rate = preferredRate;
            if (!rates.empty() && std::find(rates.begin(), rates.end(), rate) == rates.end()) {
                rate = info.preferredSampleRate > 0 ? info.preferredSampleRate : rates.back();
            }
            RtAudio::StreamParameters parameters;
            parameters.deviceId = id;
            parameters.nChannels = std::min(info.outputChannels, 2u);
            RtAudio::StreamOptions options;
            options.numberOfBuffers = serverBuffers;
            options.streamName = "Knockbox";
            unsigned frames = preferredBufferFrames;
            opened = succeeded([&] {
                return audio_->openStream(&parameters, nullptr, RTAUDIO_FLOAT32, rate, &frames, &callback, this,
                                          &options);
            });
            format_ = {static_cast<double>(rate), static_cast<int>(parameters.nChannels), frames};
        });
        if (!opened || !(format_.sampleRate > 0) || format_.channels <= 0 || format_.bufferFrames == 0) {
            close();
            throw AudioError::outputUnavailable();
        }
    }

    ~RtAudioOutputDevice() override {
        stop();
        close();
    }

    OutputFormat format() const override { return format_; }

    void start(RenderSource& source) override {
        if (running_) return;
        source_ = &source;
        callbacks_.store(0);
        bool started;
        {
            const QuietStandardError quiet;
            started = succeeded([&] { return audio_->startStream(); });
        }
        if (!started) throw AudioError::outputUnavailable();
        running_ = true;
        // An idle sound server can take a moment before it pulls the first
        // blocks beyond its prefill; hits played meanwhile would be held back
        // and then sound together. Wait (briefly) until it pulls.
        const auto deadline = std::chrono::steady_clock::now() + startWait;
        while (callbacks_.load() <= serverBuffers + 1 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void stop() noexcept override {
        if (!running_) return;
        const QuietStandardError quiet;
        succeeded([&] { return audio_->stopStream(); });
        running_ = false;
    }

    bool isRunning() const override { return running_; }

private:
    static int callback(void* output, void*, unsigned frames, double, RtAudioStreamStatus, void* user) {
        auto* self = static_cast<RtAudioOutputDevice*>(user);
        auto* out = static_cast<float*>(output);
        if (self->source_) {
            self->source_->render(out, frames, self->format_.channels);
        } else {
            std::fill_n(out, static_cast<std::size_t>(frames) * static_cast<std::size_t>(self->format_.channels), 0.0f);
        }
        self->callbacks_.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }

    void close() noexcept {
        if (!audio_) return;
        const QuietStandardError quiet;
        succeeded([&] {
            if (audio_->isStreamOpen()) audio_->closeStream();
        });
        succeeded([&] { audio_.reset(); });
    }

    std::unique_ptr<RtAudio> audio_;
    OutputFormat format_;
    RenderSource* source_ = nullptr;  // set before the stream starts, read by the callback
    std::atomic<unsigned> callbacks_{0};  // written by the callback
    bool running_ = false;
};

}  // namespace

std::unique_ptr<OutputDevice> openSystemOutput() { return std::make_unique<RtAudioOutputDevice>(); }

}  // namespace knockbox
