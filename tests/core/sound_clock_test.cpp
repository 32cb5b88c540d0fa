// The show clock against a simulated audio device: the injected tick counter
// and a fake sound position, published as the soundtrack's callback does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/clock.h"

namespace {

uint32_t sim_ticks = 0;
uint32_t read_sim_ticks() { return sim_ticks; }

// 8192-byte chunks: 46 ms as the anchor counts them, 46.44 ms of sound.
constexpr int64_t chunk_bytes = 8192;
int64_t sound_ms(int64_t bytes) { return bytes * 10 / 1764; }

struct DeviceRun {
  const char* name;
  uint32_t first_tick;
  int jitter_ms;        // callbacks come up to this much late or early
  int stall_at_ms;      // then nothing happens on the audio thread...
  int stall_ms;         // ...for this long (0: a plain run)
  bool frames_stall;    // the frame loop was stopped too (the whole process)
};

struct Reading {
  uint32_t tick;
  int32_t clock;
  int64_t heard;  // show time of the sound the device plays at that tick
};

// Ten seconds of show (plus the stall) at a frame every 16 ms and a callback
// per chunk, the first at `first_tick`. The first callback anchors the clock
// at its tick plus one chunk, as the soundtrack does.
std::vector<Reading> simulate(const DeviceRun& run, ShowClock& clock, uint32_t* anchor) {
  std::vector<Reading> readings;
  int64_t callbacks = 0;
  int64_t device_lag = 0;  // how far the device's schedule slipped in stalls
  int64_t last_callback = -1;
  int64_t last_position = 0;
  const int64_t end = 10000 + run.stall_ms;
  for (int64_t t = 0; t < end; ++t) {
    sim_ticks = run.first_tick + static_cast<uint32_t>(t);
    const bool stalled = t >= run.stall_at_ms && t < run.stall_at_ms + run.stall_ms;
    if (stalled && t == run.stall_at_ms) device_lag += run.stall_ms;
    // Callback k is due at the device's pace, give or take the jitter.
    const int64_t jitter = run.jitter_ms == 0 ? 0 : (callbacks * 7919) % (2 * run.jitter_ms + 1) - run.jitter_ms;
    const int64_t due = sound_ms(callbacks * chunk_bytes) + device_lag + jitter + run.jitter_ms;
    if (!stalled && t >= due && t > last_callback) {
      if (callbacks == 0) clock.start_at(sim_ticks + static_cast<uint32_t>(sound_ms(chunk_bytes)));
      last_position = sound_ms(callbacks * chunk_bytes);
      clock.hear_sound_from(last_position);
      last_callback = t;
      ++callbacks;
    }
    if (t % 16 == 0 && !(stalled && run.frames_stall) && callbacks > 0) {
      // The sound handed out last is heard from one chunk after its callback.
      const int64_t heard = last_position + (t - last_callback - sound_ms(chunk_bytes));
      readings.push_back({sim_ticks, clock.read(), heard});
    }
    if (callbacks == 1 && anchor != nullptr) *anchor = clock.start_tick();
  }
  return readings;
}

TEST(ShowClock, FollowsTheSoundOnlyAfterItFellBehind) {
  const DeviceRun runs[] = {
      {"plain", 5000, 0, 0, 0, false},
      {"plain, jittery device", 5000, 20, 0, 0, false},
      {"plain, across the tick wrap", 0xFFFFFFFFu - 4000u, 20, 0, 0, false},
      {"process stopped for 20 s", 5000, 0, 3000, 20000, true},
      {"process stopped across the wrap", 0xFFFFFFFFu - 4000u, 20, 3000, 20000, true},
      {"audio thread starved for 2 s", 5000, 0, 3000, 2000, false},
  };
  for (const DeviceRun& run : runs) {
    SCOPED_TRACE(run.name);
    ShowClock clock(read_sim_ticks);
    uint32_t anchor = 0;
    const std::vector<Reading> readings = simulate(run, clock, &anchor);
    ASSERT_GT(readings.size(), 500u);
    if (run.stall_ms == 0) {
      // Exactly the readings of the tick clock from the first sound's anchor.
      for (const Reading& r : readings) ASSERT_EQ(r.clock, static_cast<int32_t>(r.tick - anchor)) << r.tick;
      EXPECT_EQ(clock.start_tick(), anchor);
    }
    // Never ahead of the sound by more than the tolerance, and in step with
    // it again at the end (behind it at most by the device's jitter).
    for (const Reading& r : readings) ASSERT_LE(r.clock - r.heard, clock_follow_tolerance_ms) << r.tick;
    EXPECT_LE(std::abs(readings.back().clock - readings.back().heard), clock_follow_tolerance_ms);
  }
}

}  // namespace
