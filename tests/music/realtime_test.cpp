// The callback runs in the audio device's real-time path: across repeats of
// the soundtrack it must not touch the allocator. Counted by interposing the
// allocator for this test executable (not in sanitizer builds, which bring
// their own).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/clock.h"
#include "mp3_tags.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/sound.h"
#include "music/soundtrack.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SAVA_COUNT_ALLOCATIONS 0
#else
#define SAVA_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocator_calls{0};
// Allocations of at least large_size bytes while counting.
std::atomic<size_t> large_size{SIZE_MAX};
std::atomic<long> large_allocations{0};
[[maybe_unused]] void count(size_t size) {
  if (!counting.load(std::memory_order_relaxed)) return;
  allocator_calls.fetch_add(1);
  if (size >= large_size.load(std::memory_order_relaxed)) large_allocations.fetch_add(1);
}
}  // namespace

#if SAVA_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void __libc_free(void* pointer);

void* malloc(size_t size) {
  count(size);
  return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
  count(n * size);
  return __libc_calloc(n, size);
}
void* realloc(void* pointer, size_t size) {
  count(size);
  return __libc_realloc(pointer, size);
}
void free(void* pointer) {
  if (pointer != nullptr && counting.load(std::memory_order_relaxed)) allocator_calls.fetch_add(1);
  __libc_free(pointer);
}
}
#endif

namespace {

std::string tagged_track(const std::string& name, int frames) {
  std::vector<uint8_t> file = id3v2_tag("Real time", 100);
  const auto mp3 = test_track(frames);
  file.insert(file.end(), mp3.begin(), mp3.end());
  const auto v1 = id3v1_tag("Real time");
  file.insert(file.end(), v1.begin(), v1.end());
  const std::string path = scratch_file(name + ".mp3");
  write_file(path, file);
  return path;
}

TEST(SoundtrackRealTime, CallbacksAcrossRepeatsDoNotAllocate) {
#if !SAVA_COUNT_ALLOCATIONS
  GTEST_SKIP() << "the sanitizer runtime owns the allocator";
#else
  Soundtrack music;
  std::vector<uint8_t> stream(8192);
  // Ten seconds (the input spans many of the library's default buffers), and
  // a track shorter than a frame (several repeats within one callback).
  for (const int frames : {441000, 700}) {
    SCOPED_TRACE(frames);
    const std::string path = tagged_track("realtime" + std::to_string(frames), frames);
    ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
    const int callbacks = static_cast<int>(3 * static_cast<int64_t>(frames) * 4 / 8192) + 2;  // 3 repeats
    allocator_calls = 0;
    counting = true;
    for (int i = 0; i < callbacks; ++i) soundtrack_callback(&music, stream.data(), 8192);
    counting = false;
    EXPECT_EQ(allocator_calls.load(), 0);
  }
#endif
}

// The file is read into memory whole; the decoder is fed from it piece by
// piece and never holds a second copy of it.
TEST(SoundtrackRealTime, OpeningHoldsTheFileOnlyOnce) {
#if !SAVA_COUNT_ALLOCATIONS
  GTEST_SKIP() << "the sanitizer runtime owns the allocator";
#else
  Soundtrack music;
  const std::string path = tagged_track("held_once", 441000);
  const auto size = static_cast<size_t>(std::filesystem::file_size(path));
  large_size = size / 2;
  large_allocations = 0;
  counting = true;
  const Result<void> opened = music.open(path.c_str(), 8192);
  counting = false;
  large_size = SIZE_MAX;
  ASSERT_TRUE(opened.ok());
  EXPECT_EQ(large_allocations.load(), 1);
#endif
}

// The device calls back on its own thread while the frame loop reads the
// show clock: all they share is the clock's anchor and the sound position
// the callback publishes. (Run in the ThreadSanitizer build to check that
// nothing else is shared.)
TEST(SoundtrackRealTime, CallbackThreadAndClockReaderShareOnlyTheClock) {
  Soundtrack music;
  const std::string path = tagged_track("threads", 22050);
  const std::vector<uint8_t> reference = reference_decode(path).bytes();
  ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
  ShowClock clock([] { return uint32_t{1000}; });
  music.listen({ShowClock::start_in, ShowClock::hear_sound_from, &clock});

  std::atomic<bool> done{false};
  std::vector<uint8_t> played;
  std::thread audio([&] {
    std::vector<uint8_t> stream(8192);
    for (int i = 0; i < 40; ++i) {
      soundtrack_callback(&music, stream.data(), 8192);
      played.insert(played.end(), stream.begin(), stream.end());
    }
    done = true;
  });
  // The frame loop's side: reads the clock (at least once) while the
  // callbacks run.
  do {
    clock.read();
  } while (!done.load());
  audio.join();
  // All that sound came at one tick: the clock follows it (heard one chunk
  // after the last report, give or take the reports not taken on yet).
  const int32_t last_sound = static_cast<int32_t>(39 * 8192 * 10 / 1764);
  EXPECT_LE(clock.read(), last_sound - 46);
  EXPECT_GE(clock.read(), last_sound - 46 - clock_step_reports * 47);
  ASSERT_EQ(played.size(), 40u * 8192);
  for (size_t i = 0; i < played.size(); ++i)
    ASSERT_EQ(played[i], reference[i % reference.size()]) << "at byte " << i;
}

}  // namespace
