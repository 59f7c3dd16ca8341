// Live play: the sensor process (through sudo, or directly) streams sample
// lines into a pipe; the main loop reads them, feeds the play session and
// watches that data keeps coming.
#include <unistd.h>

#include <array>
#include <cerrno>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "platform/monotonic_clock.h"
#include "platform/motion_hid.h"
#include "player/app_error.h"
#include "player/player_log.h"
#include "player/process_values.h"
#include "player/run_loop.h"
#include "player/run_modes.h"
#include "player/sample_line.h"
#include "player/session.h"
#include "player/spu_sensor.h"
#include "player/subprocess.h"

namespace knockbox {
namespace {

constexpr double dataWatchdog = 7.0;  // s without a sample before giving up

// Reads whatever the pipe holds and hands complete lines to the session, in
// arrival order, on the main loop.
class SensorPipeReader {
public:
    SensorPipeReader(int fd, Session& session) : fd_(fd), session_(session) {
        token_ = mainRunLoop().watch(fd_, [this] { readAvailable(); });
    }
    ~SensorPipeReader() { remove(); }
    SensorPipeReader(const SensorPipeReader&) = delete;
    SensorPipeReader& operator=(const SensorPipeReader&) = delete;

    bool ended() const { return ended_; }
    void remove() {
        if (token_) mainRunLoop().cancel(*token_);
        token_.reset();
    }

private:
    void readAvailable() {
        std::array<char, 16384> bytes;
        for (;;) {
            const ssize_t got = ::read(fd_, bytes.data(), bytes.size());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return;  // nothing more for now
            if (got == 0) {
                ended_ = true;
                remove();
                return;
            }
            samples_.clear();
            lines_.append(std::string_view(bytes.data(), static_cast<std::size_t>(got)), samples_);
            for (const AccelSample& sample : samples_) {
                if (!running) return;  // a failed recording write ends the run
                session_.receive(sample, false);
            }
        }
    }

    int fd_;
    Session& session_;
    std::optional<RunLoop::Token> token_;
    SampleLineBuffer lines_;
    std::vector<AccelSample> samples_;
    bool ended_ = false;
};

}  // namespace

void live(const Options& options) {
    if (!SPUSensor::available(*makeMotionHid()))
        throw AppError("Brak akcelerometru SPU HID 0xFF00/3 z raportem 22 B na tym Macu.");
    if (geteuid() == 0) throw AppError("Uruchom ./run.sh bez sudo. Tylko proces sensora potrzebuje root.");

    Session session(options);
    const std::string ownPath = processValues().executablePath.string();
    std::optional<Subprocess> child;
    try {
        if (options.directSensor)
            child.emplace(ownPath, std::vector<std::string>{"--sensor-stream"});
        else
            child.emplace("/usr/bin/sudo", std::vector<std::string>{"-n", ownPath, "--sensor-stream"});
    } catch (...) {
        session.stop();
        throw;
    }

    SensorPipeReader reader(child->output(), session);
    std::exception_ptr failure;
    try {
        logLine("Start SPU… przez pierwsze 2 s nie dotykaj MacBooka.");
        const double start = uptime();
        while (running) {
            if (reader.ended()) break;
            if (uptime() - session.lastWall() > dataWatchdog)
                throw AppError("Brak danych sensora. Uruchom ./run.sh w Terminalu i podaj hasło sudo.");
            if (options.duration && uptime() - start >= *options.duration) break;
            mainRunLoop().runFor(0.010);
        }
        if (reader.ended() && running)
            throw AppError("Proces sensora zakończył się (kod " + std::to_string(child->wait()) +
                           "). Uruchom przez ./run.sh i sprawdź komunikat IOKit powyżej.");
    } catch (...) {
        failure = std::current_exception();
    }

    reader.remove();
    child->terminateAndWait();
    child->closeOutput();
    session.stop();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace knockbox
