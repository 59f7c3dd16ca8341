#include "server_output_latency.h"

#include <stdexcept>

#if defined(__linux__)
#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <string_view>
#endif

namespace knockbox::bench {

#if defined(__linux__)

// A context on a main loop this thread turns itself, one request at a time.
struct ServerOutputLatency::Connection {
    struct Disconnect {
        void operator()(pa_context* context) const {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
    };
    struct Free {
        void operator()(pa_mainloop* loop) const { pa_mainloop_free(loop); }
    };
    std::unique_ptr<pa_mainloop, Free> loop{pa_mainloop_new()};
    std::unique_ptr<pa_context, Disconnect> context;  // released before the loop

    Connection() {
        if (!loop) throw std::runtime_error("no PulseAudio main loop");
        context.reset(pa_context_new(pa_mainloop_get_api(loop.get()), "knockbox-bench"));
        if (!context || pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            throw std::runtime_error("cannot reach the sound server");
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context.get());
            if (state == PA_CONTEXT_READY) return;
            if (!PA_CONTEXT_IS_GOOD(state) || pa_mainloop_iterate(loop.get(), 1, nullptr) < 0)
                throw std::runtime_error("cannot reach the sound server");
        }
    }
};

namespace {

struct Search {
    std::string_view application;
    std::string process;
    std::optional<double> latency;
};

bool is(const pa_proplist* properties, const char* key, std::string_view value) {
    const char* found = pa_proplist_gets(properties, key);
    return found && value == found;
}

void inspect(pa_context*, const pa_sink_input_info* info, int end, void* data) {
    auto& search = *static_cast<Search*>(data);
    if (end || !info) return;
    if (is(info->proplist, PA_PROP_APPLICATION_NAME, search.application) &&
        is(info->proplist, PA_PROP_APPLICATION_PROCESS_ID, search.process))
        search.latency = static_cast<double>(info->buffer_usec + info->sink_usec) / 1e6;
}

}  // namespace

ServerOutputLatency::ServerOutputLatency(std::string application)
    : connection_(std::make_unique<Connection>()), application_(std::move(application)) {}

ServerOutputLatency::~ServerOutputLatency() = default;

std::optional<double> ServerOutputLatency::now() {
    Search search{application_, std::to_string(getpid()), std::nullopt};
    pa_operation* operation = pa_context_get_sink_input_info_list(connection_->context.get(), inspect, &search);
    if (!operation) return std::nullopt;
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
        if (pa_mainloop_iterate(connection_->loop.get(), 1, nullptr) < 0) break;
    pa_operation_unref(operation);
    return search.latency;
}

#else

struct ServerOutputLatency::Connection {};

ServerOutputLatency::ServerOutputLatency(std::string application)
    : connection_(std::make_unique<Connection>()), application_(std::move(application)) {}

ServerOutputLatency::~ServerOutputLatency() = default;

std::optional<double> ServerOutputLatency::now() { return std::nullopt; }

#endif

}  // namespace knockbox::bench
