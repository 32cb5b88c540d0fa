#include "player/server_latency.h"

#if defined(__linux__) && __has_include(<pulse/introspect.h>)
#define SAVA_SERVER_LATENCY 1
#include <dlfcn.h>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>
#include <pulse/proplist.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <type_traits>
#endif

#ifdef SAVA_SERVER_LATENCY

namespace {

// How long a callback waits for the server's answer at most.
constexpr auto answer_limit = std::chrono::milliseconds(5);
// How long opening waits for the server.
constexpr auto open_limit = std::chrono::milliseconds(500);

}  // namespace

struct ServerLatency::Connection {
  void* library = nullptr;
  decltype(&pa_mainloop_new) mainloop_new = nullptr;
  decltype(&pa_mainloop_free) mainloop_free = nullptr;
  decltype(&pa_mainloop_get_api) mainloop_get_api = nullptr;
  decltype(&pa_mainloop_iterate) mainloop_iterate = nullptr;
  decltype(&pa_mainloop_prepare) mainloop_prepare = nullptr;
  decltype(&pa_mainloop_poll) mainloop_poll = nullptr;
  decltype(&pa_mainloop_dispatch) mainloop_dispatch = nullptr;
  decltype(&pa_context_new) context_new = nullptr;
  decltype(&pa_context_connect) context_connect = nullptr;
  decltype(&pa_context_get_state) context_get_state = nullptr;
  decltype(&pa_context_disconnect) context_disconnect = nullptr;
  decltype(&pa_context_unref) context_unref = nullptr;
  decltype(&pa_context_get_sink_input_info) get_sink_input_info = nullptr;
  decltype(&pa_context_get_sink_input_info_list) get_sink_input_info_list = nullptr;
  decltype(&pa_operation_get_state) operation_get_state = nullptr;
  decltype(&pa_operation_cancel) operation_cancel = nullptr;
  decltype(&pa_operation_unref) operation_unref = nullptr;
  decltype(&pa_proplist_gets) proplist_gets = nullptr;

  pa_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  uint32_t stream = PA_INVALID_INDEX;
  // The answer to the last question: the held sound in microseconds.
  bool answered = false;
  double held_us = 0;

  bool load() {
    library = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return false;
    bool all = true;
    auto get = [&](auto& function, const char* name) {
      function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
      all = all && function != nullptr;
    };
    get(mainloop_new, "pa_mainloop_new");
    get(mainloop_free, "pa_mainloop_free");
    get(mainloop_get_api, "pa_mainloop_get_api");
    get(mainloop_iterate, "pa_mainloop_iterate");
    get(mainloop_prepare, "pa_mainloop_prepare");
    get(mainloop_poll, "pa_mainloop_poll");
    get(mainloop_dispatch, "pa_mainloop_dispatch");
    get(context_new, "pa_context_new");
    get(context_connect, "pa_context_connect");
    get(context_get_state, "pa_context_get_state");
    get(context_disconnect, "pa_context_disconnect");
    get(context_unref, "pa_context_unref");
    get(get_sink_input_info, "pa_context_get_sink_input_info");
    get(get_sink_input_info_list, "pa_context_get_sink_input_info_list");
    get(operation_get_state, "pa_operation_get_state");
    get(operation_cancel, "pa_operation_cancel");
    get(operation_unref, "pa_operation_unref");
    get(proplist_gets, "pa_proplist_gets");
    return all;
  }

  // Runs the loop until `done` or the time is up; false if it was up.
  template <typename Done>
  bool run_until(Done done, std::chrono::steady_clock::duration limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      const auto left = std::chrono::duration_cast<std::chrono::microseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      if (mainloop_prepare(loop, static_cast<int>(left.count())) < 0 || mainloop_poll(loop) < 0 ||
          mainloop_dispatch(loop) < 0) {
        return false;
      }
    }
    return true;
  }

  // Runs `operation` to its end (or cancels it when the time is up).
  bool finish(pa_operation* operation, std::chrono::steady_clock::duration limit) {
    if (operation == nullptr) return false;
    const bool done =
        run_until([&] { return operation_get_state(operation) != PA_OPERATION_RUNNING; }, limit);
    if (!done) operation_cancel(operation);
    operation_unref(operation);
    return done;
  }

  static void found_stream(pa_context*, const pa_sink_input_info* info, int eol, void* self) {
    auto* c = static_cast<Connection*>(self);
    if (eol != 0 || info == nullptr) return;
    const char* pid = c->proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
    if (pid != nullptr && std::to_string(getpid()) == pid) c->stream = info->index;
  }

  static void got_latency(pa_context*, const pa_sink_input_info* info, int eol, void* self) {
    auto* c = static_cast<Connection*>(self);
    if (eol != 0 || info == nullptr) return;
    c->held_us = static_cast<double>(info->buffer_usec) + static_cast<double>(info->sink_usec);
    c->answered = true;
  }

  bool connect() {
    loop = mainloop_new();
    if (loop == nullptr) return false;
    context = context_new(mainloop_get_api(loop), "sava clock");
    if (context == nullptr || context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
    const bool ready = run_until(
        [&] {
          const pa_context_state_t state = context_get_state(context);
          return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        },
        open_limit);
    if (!ready || context_get_state(context) != PA_CONTEXT_READY) return false;
    return finish(get_sink_input_info_list(context, found_stream, this), open_limit) && stream != PA_INVALID_INDEX;
  }

  ~Connection() {
    if (context != nullptr) {
      context_disconnect(context);
      context_unref(context);
    }
    if (loop != nullptr) mainloop_free(loop);
    if (library != nullptr) dlclose(library);
  }
};

bool ServerLatency::open() {
  auto connection = std::make_unique<Connection>();
  if (!connection->load() || !connection->connect()) return false;
  connection_ = std::move(connection);
  return true;
}

double ServerLatency::held_ms() {
  if (!connection_) return -1;
  Connection& c = *connection_;
  c.answered = false;
  const auto asked = std::chrono::steady_clock::now();
  if (!c.finish(c.get_sink_input_info(c.context, c.stream, Connection::got_latency, &c), answer_limit) ||
      !c.answered) {
    return -1;
  }
  // The server measured half way between question and answer, and the
  // clock counts from the answer.
  const double half_way_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count() / 2;
  return std::max(0.0, c.held_us / 1000 - half_way_ms);
}

#else

struct ServerLatency::Connection {};

bool ServerLatency::open() { return false; }

double ServerLatency::held_ms() { return -1; }

#endif

ServerLatency::ServerLatency() = default;
ServerLatency::~ServerLatency() = default;

bool ServerLatency::is_open() const { return connection_ != nullptr; }

void ServerClockListener::tell_held() {
  // A question unanswered leaves the last answer in place.
  const double held = latency_.held_ms();
  if (held >= 0) clock_.device_holds(held);
}

void ServerClockListener::first_sound(void* self, uint32_t delay_ms, int64_t sound_ms) {
  auto* listener = static_cast<ServerClockListener*>(self);
  listener->tell_held();
  listener->clock_.start_in(delay_ms, sound_ms);
}

void ServerClockListener::sound_from(void* self, int64_t sound_ms) {
  auto* listener = static_cast<ServerClockListener*>(self);
  listener->tell_held();
  listener->clock_.hear_sound_from(sound_ms);
}
