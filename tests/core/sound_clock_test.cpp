// The show clock against a simulated audio device: the injected tick counter,
// and a device that plays at its own pace, asks for a chunk whenever only one
// is left in it (a little late now and then), and may stall, change its
// latency, or be heard later still (the audio delay); or a sound server that
// asks for the next chunk when it holds less than one and tells how much.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/clock.h"

namespace {

uint32_t sim_ticks = 0;
uint32_t read_sim_ticks() { return sim_ticks; }

// 8192-byte chunks: 46 ms as the soundtrack counts them, 46.44 ms of sound.
constexpr int64_t chunk_bytes = 8192;
constexpr double chunk_sound_ms = chunk_bytes / 176.4;
int64_t sound_ms(int64_t bytes) { return bytes * 10 / 1764; }

struct DeviceRun {
  const char* name;
  uint32_t first_tick;
  double rate;          // device ms played per tick ms
  int late_ms;          // callbacks come up to this much late
  int event_at_ms;      // then, for event_ms:
  int stall_ms;         //   nothing runs on the audio thread (the device runs dry)
  bool frames_stall;    //   ...nor on the frame loop (the whole process)
  int latency_step_ms;  //   or the device takes this much longer to play its sound
  int32_t delay_ms;     // the audio delay set on the clock
  bool output_clock = false;  // the platform tells when its sound is heard, every frame
  int first_callback_ms = 0;  // the device starts this late
  double holds_ms = 0;        // asks when it holds this much, and tells it (0: one chunk, untold)
};

struct Reading {
  int64_t t;
  int32_t clock;
  double heard;  // show time of the sound the listener hears at that tick
};

std::vector<Reading> simulate(const DeviceRun& run, ShowClock& clock, int64_t length_ms) {
  std::vector<Reading> readings;
  clock.set_delay(run.delay_ms);
  int64_t callbacks = 0;
  const double asks_at = run.holds_ms > 0 ? run.holds_ms : chunk_sound_ms;
  double played = -asks_at;  // the device's position, in show ms
  double handed_end = 0;            // end of the sound it was given
  int64_t due_at = -1;              // a callback asked for, delivered then
  sim_ticks = run.first_tick;
  clock.start_at(sim_ticks);
  clock.hold_until_sound(0);
  for (int64_t t = 0; t < length_ms; ++t) {
    sim_ticks = run.first_tick + static_cast<uint32_t>(t);
    const bool in_event = t >= run.event_at_ms && t < run.event_at_ms + run.stall_ms;
    if (t == run.event_at_ms) played -= run.latency_step_ms;
    if (due_at < 0 && (callbacks == 0 || handed_end - played <= asks_at)) {
      due_at = std::max<int64_t>(t, run.first_callback_ms) +
               (run.late_ms == 0 ? 0 : (callbacks * 7919) % (run.late_ms + 1));
    }
    if (due_at >= 0 && t >= due_at && !in_event) {
      const int64_t position = sound_ms(callbacks * chunk_bytes);
      if (!run.output_clock) {
        if (run.holds_ms > 0) clock.device_holds(handed_end - played);
        if (callbacks == 0) clock.start_in(static_cast<uint32_t>(sound_ms(chunk_bytes)), position);
        clock.hear_sound_from(position);
      }
      handed_end += chunk_sound_ms;
      ++callbacks;
      due_at = -1;
    }
    if (callbacks > 0) played = std::min(played + run.rate, handed_end);
    if (t % 16 == 0 && !(in_event && run.frames_stall)) {
      if (run.output_clock && callbacks > 0) clock.sound_heard_from(static_cast<double>(sim_ticks) - played);
      readings.push_back({t, clock.read(), played - run.delay_ms});
    }
  }
  return readings;
}

TEST(ShowClock, FollowsTheSoundAsHeard) {
  const uint32_t wrap = 0xFFFFFFFFu - 20000u;
  const DeviceRun runs[] = {
      {"exact device", 5000, 1.0, 0, 0, 0, false, 0, 0},
      {"fast, late callbacks", 5000, 1.00045, 10, 0, 0, false, 0, 0},
      {"slow, late callbacks, across the tick wrap", wrap, 0.99955, 10, 0, 0, false, 0, 0},
      {"process stopped for 300 ms", 5000, 1.0003, 5, 20000, 300, true, 0, 0},
      {"process stopped for 20 s", wrap, 1.0, 5, 20000, 20000, true, 0, 0},
      {"audio thread starved for 2 s", 5000, 1.0, 5, 20000, 2000, false, 0, 0},
      {"device latency grows by 200 ms", 5000, 1.0001, 5, 20000, 0, false, 200, 0},
      {"heard 150 ms late (audio delay)", 5000, 1.0002, 5, 0, 0, false, 0, 150},
      {"heard 200 ms early (audio delay)", 5000, 0.9998, 5, 0, 0, false, 0, -200},
      {"output clock, fast, heard late", 5000, 1.00045, 0, 0, 0, false, 0, 150, true},
      {"output clock, device latency grows by 200 ms", 5000, 0.9997, 0, 20000, 0, false, 200, 0, true},
      {"device starts 300 ms late", 5000, 1.0, 5, 0, 0, false, 0, 0, false, 300},
      {"server holding 8 ms, fast", 5000, 1.00045, 3, 0, 0, false, 0, 0, false, 0, 8.0},
      {"server holding 1 ms, one callback 20 ms late", 5000, 1.00045, 0, 20000, 20, false, 0, 0, false, 0, 1.0},
      {"server holding 30 ms, stopped for 300 ms", wrap, 0.9999, 3, 20000, 300, true, 0, 0, false, 0, 30.0},
  };
  for (const DeviceRun& run : runs) {
    SCOPED_TRACE(run.name);
    ShowClock clock(read_sim_ticks);
    const int64_t length = 60000 + run.stall_ms;
    const std::vector<Reading> readings = simulate(run, clock, length);
    // A device that starts playing later cannot be known before its next
    // callbacks come later.
    const int64_t event_end = run.event_at_ms + run.stall_ms + run.latency_step_ms;
    const bool has_event = run.event_at_ms > 0;
    double sum_early = 0, sum_late = 0;
    int n_early = 0, n_late = 0;
    // The clock stays at the start until its sound is heard (then it reads
    // a chunk less, which the session holds at the start), and from there
    // never goes back.
    for (size_t i = 0; i < readings.size() && readings[i].t < run.first_callback_ms; ++i) {
      ASSERT_EQ(readings[i].clock, 0) << readings[i].t;
    }
    for (size_t i = 1; i < readings.size(); ++i) {
      const Reading& r = readings[i];
      if (r.t < 2000 && readings[i - 1].t >= run.first_callback_ms) {
        ASSERT_GE(r.clock, readings[i - 1].clock) << r.t;
      }
      const bool settling = r.t < 1000 || (has_event && r.t >= run.event_at_ms && r.t < event_end + 1000);
      const double off = r.clock - r.heard;
      // Never far ahead of what is heard, settled close to it.
      ASSERT_LE(off, settling ? clock_follow_tolerance_ms + run.latency_step_ms + 1 : 12) << r.t;
      if (!settling) {
        ASSERT_GE(off, -12) << r.t;
      }
      // Settled, the picture's time goes on frame by frame with no jump.
      // Where the device ran dry the picture stops as the sound does; it
      // goes back only when the device's own latency grows.
      const int32_t step = r.clock - readings[i - 1].clock;
      if (!settling && readings[i - 1].t + 16 == r.t) {
        ASSERT_TRUE(step >= 15 && step <= 17) << r.t << " " << step;
      }
      if (run.latency_step_ms == 0 && readings[i - 1].t >= run.first_callback_ms) {
        ASSERT_GE(step, 0) << r.t;
      }
      if (r.t >= length - 30000 && r.t < length - 20000) sum_early += off, ++n_early;
      if (r.t >= length - 10000) sum_late += off, ++n_late;
    }
    // No drift left: the mean offset is the same 30 s later.
    EXPECT_LE(std::abs(sum_late / n_late - sum_early / n_early), 1.5);
  }
}

}  // namespace
