// The soundtrack as the audio device and the offline renderer see it: priming,
// the callback's stream across repetitions of the file, the clock anchor and
// the refusals of unusable files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mp3_tags.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/sound.h"
#include "music/sound_index.h"
#include "music/soundtrack.h"

namespace {

// `pass` repeated until it covers `length` bytes.
std::vector<uint8_t> repeated(const std::vector<uint8_t>& pass, size_t length) {
  std::vector<uint8_t> out;
  while (out.size() < length) out.insert(out.end(), pass.begin(), pass.end());
  out.resize(length);
  return out;
}

// Index of the first differing byte, or -1.
long first_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return static_cast<long>(i);
  return a.size() == b.size() ? -1 : static_cast<long>(n);
}

class SoundtrackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Records every first-sound report's delay.
    music.listen({[](void* delays, uint32_t delay_ms, int64_t) {
                         static_cast<std::vector<uint32_t>*>(delays)->push_back(delay_ms);
                       },
                       nullptr, &first_sound_delays});
  }
  Soundtrack music;
  std::vector<uint32_t> first_sound_delays;

  // Writes an MP3 of `frames` sample frames of the test signal, with
  // `before` and `after` around the encoded stream; returns its path.
  std::string make_track(const std::string& name, int frames, const Mp3Settings& options = {},
                         const std::vector<uint8_t>& before = {}, const std::vector<uint8_t>& after = {}) {
    std::vector<uint8_t> file = before;
    const auto mp3 = test_track(frames, options);
    file.insert(file.end(), mp3.begin(), mp3.end());
    file.insert(file.end(), after.begin(), after.end());
    const std::string path = scratch_file(name + ".mp3");
    write_file(path, file);
    return path;
  }

  // Runs `count` callbacks of `len` bytes, checking that each writes exactly
  // `len` bytes and leaves at least `len` in the queue; returns the stream.
  std::vector<uint8_t> pull(int count, int len) {
    std::vector<uint8_t> out;
    std::vector<uint8_t> buffer(static_cast<size_t>(len) + 64);
    for (int i = 0; i < count; ++i) {
      std::fill(buffer.begin(), buffer.end(), 0xA5);
      soundtrack_callback(&music, buffer.data(), len);
      for (size_t j = static_cast<size_t>(len); j < buffer.size(); ++j)
        if (buffer[j] != 0xA5) ADD_FAILURE() << "callback " << i << " wrote past len";
      EXPECT_GE(music.pcm_fill(), len) << "after callback " << i;
      out.insert(out.end(), buffer.begin(), buffer.begin() + len);
    }
    return out;
  }
};

TEST_F(SoundtrackTest, PrimingQueuesTheMusicFromItsFirstSample) {
  const std::string path = make_track("prime", 44100);
  const auto reference = reference_decode(path).bytes();
  // Gapless: exactly the encoded samples, without encoder delay or padding.
  ASSERT_EQ(reference.size(), 44100u * 4);

  ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
  EXPECT_GE(music.pcm_fill(), 8192);
  EXPECT_LT(music.pcm_fill(), 8192 + DECODER_MAX_FRAME_BYTES);
  EXPECT_EQ(0, std::memcmp(music.pcm_queue(), reference.data(), static_cast<size_t>(music.pcm_fill())));
  EXPECT_EQ(music.callback_count(), 0);
  EXPECT_TRUE(music.is_open());
}

TEST_F(SoundtrackTest, StartOffsetSkipsWholeChunksOfTheMusic) {
  const std::string path = make_track("start_ms", 44100);
  const auto reference = reference_decode(path).bytes();
  ASSERT_TRUE(music.open(path.c_str(), 8192, 100).ok());
  // 100 ms is 17640 bytes, so priming decodes until 8192 + 17640 bytes have
  // come out. Frames yield 188 (the first, after the delay), then 4608 bytes
  // each: the refills reach 9404, 18620 and 27836 bytes, and before the
  // second and third refill one chunk of sound is dropped. Playback starts
  // 16384 bytes (92 ms) in.
  ASSERT_GE(music.pcm_fill(), 8192);
  EXPECT_EQ(music.pcm_fill(), 27836 - 16384);
  EXPECT_EQ(0, std::memcmp(music.pcm_queue(), reference.data() + 16384, static_cast<size_t>(music.pcm_fill())));
  const auto stream = pull(4, 8192);
  EXPECT_EQ(first_difference(stream, std::vector<uint8_t>(reference.begin() + 16384,
                                                          reference.begin() + 16384 + 4 * 8192)),
            -1);
}

TEST_F(SoundtrackTest, ShortTrackRepeatsWithoutAGap) {
  // Half a second: the stream crosses the seam between passes several times.
  Mp3Settings untagged;
  untagged.info_tag = false;
  const struct {
    const char* name;
    Mp3Settings options;
  } cases[] = {{"cbr", {}}, {"vbr", variable_bit_rate()}, {"no_info_frame", untagged}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = make_track(std::string("repeat_") + c.name, 22050, c.options);
    const auto reference = reference_decode(path).bytes();
    // With the info frame the decoder trims to exactly the encoded samples;
    // without it the encoder's delay and padding are part of the music.
    if (c.options.info_tag) {
      ASSERT_EQ(reference.size(), 22050u * 4);
    } else {
      ASSERT_GT(reference.size(), 22050u * 4);
    }
    ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
    const auto stream = pull(40, 8192);  // more than three passes
    EXPECT_EQ(first_difference(stream, repeated(reference, stream.size())), -1);
    music.close();
  }
}

TEST_F(SoundtrackTest, TagsAroundTheMusicDoNotReachTheSeam) {
  const std::string plain = make_track("untagged", 22050);
  const auto reference = reference_decode(plain).bytes();
  struct Case {
    const char* name;
    std::vector<uint8_t> before;
    std::vector<uint8_t> after;
  };
  std::vector<uint8_t> ape_and_junk = ape_tag("Title", "Seam test");
  const std::string junk = "trailing bytes that are no audio at all";
  ape_and_junk.insert(ape_and_junk.end(), junk.begin(), junk.end());
  std::vector<uint8_t> ape_then_v1 = ape_tag("Artist", "Nobody");
  const auto v1 = id3v1_tag("Seam test");
  ape_then_v1.insert(ape_then_v1.end(), v1.begin(), v1.end());
  // Stray MPEG frames after the music (say, the tail of another recording):
  // the info frame says where the music ends, so they are never played.
  Mp3Settings bare;
  bare.info_tag = false;
  std::vector<uint8_t> stray = test_track(3000, bare);
  stray.erase(stray.begin(), stray.begin() + 100);
  const std::vector<Case> cases = {
      {"stray_frames", {}, stray},
      {"id3v2_id3v1", id3v2_tag("Seam test", 300), id3v1_tag("Seam test")},
      {"ape_junk", {}, ape_and_junk},
      {"id3v2_ape_id3v1", id3v2_tag("Seam", 0), ape_then_v1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = make_track(c.name, 22050, {}, c.before, c.after);
    ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
    const auto stream = pull(30, 8192);
    EXPECT_EQ(first_difference(stream, repeated(reference, stream.size())), -1);
    music.close();
  }
}

// The file with the frame count of its info frame replaced.
std::vector<uint8_t> with_announced_frames(std::vector<uint8_t> file, uint32_t frames) {
  for (size_t i = 0; i + 12 <= file.size() && i < 200; ++i) {
    if (std::memcmp(&file[i], "Info", 4) == 0 || std::memcmp(&file[i], "Xing", 4) == 0) {
      for (int k = 0; k < 4; ++k) file[i + 8 + k] = static_cast<uint8_t>(frames >> (24 - 8 * k));
      return file;
    }
  }
  ADD_FAILURE() << "no info frame";
  return file;
}

TEST_F(SoundtrackTest, LengthComesFromTheDataWhenTheInfoFrameContradictsIt) {
  // 10 s: 384 frames. A damaged count would make a short loop of the start,
  // or restart the music half-way, and a count of 0 (taken as no count at
  // all) would lose the trimming; the data decides, and the delay and
  // padding are still trimmed exactly as for the intact file.
  const auto mp3 = test_track(441000);
  const std::string intact = scratch_file("intact.mp3");
  write_file(intact, mp3);
  const auto reference = reference_decode(intact).bytes();
  ASSERT_EQ(reference.size(), 441000u * 4);
  for (const uint32_t announced : {0u, 3u, 190u, 384u}) {
    SCOPED_TRACE(announced);
    const std::string path = scratch_file("announced" + std::to_string(announced) + ".mp3");
    write_file(path, with_announced_frames(mp3, announced));
    ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
    EXPECT_EQ(music.pass_frames(), 441000);
    const auto stream = pull(230, 8192);  // past the end of the first pass
    EXPECT_EQ(first_difference(stream, repeated(reference, stream.size())), -1);
    music.close();
  }
}

TEST_F(SoundtrackTest, SeekingStartsSampleExactlyAnywhereInTheRepeatedMusic) {
  // Passes of 22050 sample frames; frames given in sample frames of the
  // endless music: within the first pass, at a seam, in a later pass. The
  // damaged file is trimmed by the soundtrack itself.
  const auto mp3 = test_track(22050);
  const std::string intact = scratch_file("seek.mp3");
  write_file(intact, mp3);
  const std::string damaged = scratch_file("seek_damaged.mp3");
  write_file(damaged, with_announced_frames(mp3, 2));
  const auto reference = reference_decode(intact).bytes();
  for (const std::string& path : {intact, damaged}) {
    for (const int64_t frame : {int64_t{0}, int64_t{1}, int64_t{11025}, int64_t{22049}, int64_t{22050},
                                int64_t{5 * 22050 + 777}}) {
      SCOPED_TRACE(path + " at " + std::to_string(frame));
      ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
      ASSERT_EQ(music.pass_frames(), 22050);
      ASSERT_TRUE(music.seek(frame).ok());
      const auto stream = pull(8, 8192);
      const size_t offset = static_cast<size_t>(frame % 22050) * 4;
      std::vector<uint8_t> expected(reference.begin() + static_cast<long>(offset), reference.end());
      expected.insert(expected.end(), reference.begin(), reference.end());
      EXPECT_EQ(first_difference(stream, repeated(expected, stream.size())), -1);
      music.close();
    }
  }
}

TEST_F(SoundtrackTest, SeeksOnAVariableBitRateTrackMatchTheContinuousSound) {
  // 3 s at a variable bit rate, whose frames lean on the bit reservoir: every
  // seek must give the sound of decoding from the start, also where the
  // decoder already knows where the target's frame lies (backward after
  // playing past it, into the first frames, across the repeat).
  constexpr int64_t pass = 132300;
  const std::string path = make_track("vbr_seeks", static_cast<int>(pass), variable_bit_rate());
  const auto reference = reference_decode(path).bytes();
  ASSERT_EQ(reference.size(), static_cast<size_t>(pass) * 4);
  const struct {
    int played_chunks;  // 2048 sample frames each, pulled before the seek
    int64_t frame;
    bool play_from;
  } cases[] = {{0, 1, false},      {0, 6000, false},         {0, 70001, false},       {0, 1500, true},
               {40, 50000, false}, {40, 1000, false},        {40, 81000, true},       {40, 120000, false},
               {70, 2, false},     {70, pass + 9999, false}, {70, 2 * pass - 100, true}, {0, 3 * pass + 5, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE("after " + std::to_string(c.played_chunks) + " chunks to " + std::to_string(c.frame) +
                 (c.play_from ? " (play_from)" : ""));
    ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
    if (c.played_chunks > 0) pull(c.played_chunks, 8192);
    ASSERT_TRUE((c.play_from ? music.play_from(c.frame, 0) : music.seek(c.frame)).ok());
    const auto stream = pull(8, 8192);
    const size_t offset = static_cast<size_t>(c.frame % pass) * 4;
    std::vector<uint8_t> expected(reference.begin() + static_cast<long>(offset), reference.end());
    expected.insert(expected.end(), reference.begin(), reference.end());
    EXPECT_EQ(first_difference(stream, repeated(expected, stream.size())), -1);
    music.close();
  }
}

TEST_F(SoundtrackTest, SoundtracksOpenAtOnceReadIndependently) {
  // Two soundtracks of one file and a third of another, pulled in turns
  // (one seeked, one with a chunk of its own), give exactly what each gives
  // alone.
  const std::string first = make_track("together_a", 22050);
  const std::string second = make_track("together_b", 30000);
  const auto first_reference = reference_decode(first).bytes();
  const auto second_reference = reference_decode(second).bytes();
  Soundtrack other, third;
  ASSERT_TRUE(music.open(first.c_str(), 8192).ok());
  ASSERT_TRUE(other.open(first.c_str(), 4096).ok());
  ASSERT_TRUE(other.seek(5000).ok());
  ASSERT_TRUE(third.open(second.c_str(), 8192).ok());
  std::vector<uint8_t> streams[3];
  std::vector<uint8_t> buffer(8192);
  for (int i = 0; i < 20; ++i) {
    for (int k = 0; k < 3; ++k) {
      Soundtrack& track = k == 0 ? music : k == 1 ? other : third;
      const int len = k == 1 ? 4096 : 8192;
      soundtrack_callback(&track, buffer.data(), len);
      streams[k].insert(streams[k].end(), buffer.begin(), buffer.begin() + len);
    }
  }
  std::vector<uint8_t> from_5000(first_reference.begin() + 5000 * 4, first_reference.end());
  from_5000.insert(from_5000.end(), first_reference.begin(), first_reference.end());
  EXPECT_EQ(first_difference(streams[0], repeated(first_reference, streams[0].size())), -1);
  EXPECT_EQ(first_difference(streams[1], repeated(from_5000, streams[1].size())), -1);
  EXPECT_EQ(first_difference(streams[2], repeated(second_reference, streams[2].size())), -1);
  // Closing one leaves the others playing.
  other.close();
  const auto more = pull(2, 8192);
  const auto whole = repeated(first_reference, streams[0].size() + more.size());
  EXPECT_EQ(first_difference(more, std::vector<uint8_t>(whole.end() - static_cast<long>(more.size()), whole.end())),
            -1);
}

TEST(SoundtrackTime, SampleOfAShowTimeIsRoundedHalfUp) {
  const std::pair<int64_t, int64_t> samples[] = {
      {0, 0}, {1, 44}, {5, 221}, {9, 397}, {10, 441}, {15, 662}, {184000, 8114400}};
  for (const auto& [ms, sample] : samples) EXPECT_EQ(sample_at_show_time(ms), sample) << ms;
}

TEST_F(SoundtrackTest, TrackShorterThanAChunkFillsTheQueueFromRepeats) {
  // 700 samples (2800 bytes) is less than one frame: three passes and more
  // per chunk, every one trimmed to the music.
  const std::string path = make_track("tiny", 700);
  const auto reference = reference_decode(path).bytes();
  ASSERT_EQ(reference.size(), 2800u);
  ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
  const auto stream = pull(6, 8192);
  EXPECT_EQ(first_difference(stream, repeated(reference, stream.size())), -1);
}

TEST_F(SoundtrackTest, MonoIsPlayedOnBothChannels) {
  Mp3Settings mono;
  mono.channels = 1;
  const std::string path = make_track("mono", 22050, mono);
  const auto reference = reference_decode(path).bytes();
  ASSERT_EQ(reference.size(), 22050u * 4);
  ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
  const auto stream = pull(12, 8192);
  EXPECT_EQ(first_difference(stream, repeated(reference, stream.size())), -1);
  int16_t pair[2];
  for (size_t i = 0; i + 4 <= stream.size(); i += 4) {
    std::memcpy(pair, stream.data() + i, 4);
    ASSERT_EQ(pair[0], pair[1]) << "at byte " << i;
  }
}

TEST_F(SoundtrackTest, UnusableFilesAreRefusedWithTheirOwnLines) {
  Mp3Settings half_rate;
  half_rate.rate = 22050;
  half_rate.kbps = 64;
  Mp3Settings half_rate_mono = half_rate;
  half_rate_mono.channels = 1;
  const std::string low = make_track("rate22050", 11025, half_rate);
  const std::string low_mono = make_track("rate22050_mono", 11025, half_rate_mono);
  const std::string empty = scratch_file("empty.mp3");
  write_file(empty, {});
  const std::string text = scratch_file("text.mp3");
  std::vector<uint8_t> words;
  for (int i = 0; i < 2000; ++i) {
    const std::string line = "this is not an MP3 file, only words. ";
    words.insert(words.end(), line.begin(), line.end());
  }
  write_file(text, words);
  const std::string missing = scratch_file("does_not_exist.mp3");
  std::remove(missing.c_str());
  // Sparse: takes no space, and is refused before anything is read.
  const std::string huge = scratch_file("huge.mp3");
  write_file(huge, {});
  ASSERT_EQ(::truncate(huge.c_str(), soundtrack_max_bytes + 1), 0);

  const std::pair<std::string, SoundtrackError> refused[] = {
      {missing, SoundtrackError::cannot_open}, {SAVA_BINARY_DIR, SoundtrackError::cannot_open},
      {empty, SoundtrackError::no_audio},      {text, SoundtrackError::no_audio},
      {low, SoundtrackError::bad_format},      {low_mono, SoundtrackError::bad_format},
      {huge, SoundtrackError::too_large},
  };
  for (const auto& [path, error] : refused) {
    EXPECT_EQ(music.open(path.c_str(), 8192).error(), soundtrack_failure(error, path).message);
  }
  std::remove(huge.c_str());

  // A refused open leaves nothing behind, and the callback then hands out
  // silence instead of touching a missing decoder.
  EXPECT_FALSE(music.is_open());
  std::vector<uint8_t> stream(8192, 0xA5);
  soundtrack_callback(&music, stream.data(), 8192);
  EXPECT_EQ(stream, std::vector<uint8_t>(8192, 0));
}

TEST_F(SoundtrackTest, ChunkMustFitTheQueue) {
  const std::string path = make_track("chunks", 22050);
  const auto reference = reference_decode(path).bytes();
  const std::string bad_chunk = soundtrack_failure(SoundtrackError::bad_chunk, path).message;
  EXPECT_EQ(music.open(path.c_str(), 11778).error(), bad_chunk);
  EXPECT_EQ(music.open(path.c_str(), 0).error(), bad_chunk);

  // The largest chunk that fits works across repeats; the queue (allocated
  // exactly) is never overrun, which the sanitizer build checks.
  ASSERT_EQ(soundtrack_max_chunk, 11777);
  ASSERT_TRUE(music.open(path.c_str(), 11776).ok());
  const auto stream = pull(24, 11776);
  EXPECT_EQ(first_difference(stream, repeated(reference, stream.size())), -1);
}

TEST_F(SoundtrackTest, FirstCallbackReportsWhenItsSoundIsHeardOnce) {
  const std::string path = make_track("clock", 22050);
  ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
  EXPECT_TRUE(first_sound_delays.empty());
  pull(1, 8192);
  // 8192 bytes are 46 ms of sound (8192 * 10 / 1764 = 46.4, truncated).
  EXPECT_EQ(first_sound_delays, std::vector<uint32_t>{46});
  EXPECT_EQ(music.callback_count(), 1);
  pull(3, 8192);
  EXPECT_EQ(first_sound_delays, std::vector<uint32_t>{46});

  // A reopened soundtrack reports again with its own chunk length.
  music.close();
  ASSERT_TRUE(music.open(path.c_str(), 4096).ok());
  pull(1, 4096);
  EXPECT_EQ(first_sound_delays, (std::vector<uint32_t>{46, 23}));
}

TEST_F(SoundtrackTest, CloseResetsEverythingForTheNextOpen) {
  const std::string first = make_track("reopen_a", 22050);
  Mp3Settings other;
  other.kbps = 192;
  const std::string second = make_track("reopen_b", 30000, other);
  const auto second_reference = reference_decode(second).bytes();

  ASSERT_TRUE(music.open(first.c_str(), 8192).ok());
  pull(15, 8192);
  music.close();
  EXPECT_FALSE(music.is_open());
  EXPECT_EQ(music.pass_frames(), 0);
  EXPECT_EQ(music.pcm_fill(), 0);
  EXPECT_EQ(music.callback_count(), 0);
  music.close();  // twice is harmless

  ASSERT_TRUE(music.open(second.c_str(), 8192).ok());
  const auto stream = pull(20, 8192);
  EXPECT_EQ(first_difference(stream, repeated(second_reference, stream.size())), -1);
  // Opening without closing first releases the earlier soundtrack itself.
  ASSERT_TRUE(music.open(second.c_str(), 8192).ok());
  EXPECT_EQ(0, std::memcmp(music.pcm_queue(), second_reference.data(), static_cast<size_t>(music.pcm_fill())));
}

TEST(SoundtrackMessages, EachFailureHasItsOwnLineNamingTheFile) {
  const std::pair<SoundtrackError, const char*> lines[] = {
      {SoundtrackError::cannot_open, "Couldn't open MP3 file data/x.mp3"},
      {SoundtrackError::no_audio, "Couldn't decode MP3 file data/x.mp3: it holds no MPEG audio"},
      {SoundtrackError::bad_format, "Couldn't play MP3 file data/x.mp3: its sample rate is not 44100 Hz"},
      {SoundtrackError::bad_chunk, "Couldn't play MP3 file data/x.mp3: the audio buffer size is not supported"},
      {SoundtrackError::decoder_failed, "Couldn't start the MP3 decoder for data/x.mp3"},
      {SoundtrackError::too_large, "Couldn't play MP3 file data/x.mp3: it is larger than 256 MiB"},
  };
  for (const auto& [error, line] : lines) EXPECT_EQ(soundtrack_failure(error, "data/x.mp3").message, line);
}

}  // namespace

// The player's moves: a sample-exact start anywhere, and a pause that hands
// out silence and then goes on with the very next sample. Each start of the
// sound is reported as a first sound at its show time.
TEST_F(SoundtrackTest, PlayFromAndPauseContinueTheStreamExactly) {
  struct Reports {
    std::vector<std::pair<uint32_t, int64_t>> first;  // delay, show time
    std::vector<int64_t> from;
  } reports;
  music.listen({[](void* r, uint32_t delay_ms, int64_t sound_ms) {
                       static_cast<Reports*>(r)->first.emplace_back(delay_ms, sound_ms);
                     },
                     [](void* r, int64_t sound_ms) { static_cast<Reports*>(r)->from.push_back(sound_ms); },
                     &reports});
  const std::string path = make_track("transport", 22050);
  const auto reference = reference_decode(path).bytes();
  ASSERT_TRUE(music.open(path.c_str(), 8192).ok());
  pull(1, 8192);

  // Sample 20000 of a 22050-sample track, standing for show time 5000 ms:
  // the stream wraps round to the track's start 8200 bytes in.
  ASSERT_TRUE(music.play_from(20000, 5000).ok());
  std::vector<uint8_t> expected(reference.begin() + 20000 * 4, reference.end());
  expected.insert(expected.end(), reference.begin(), reference.end());
  auto stream = pull(2, 8192);
  music.pause(true);
  const auto silence = pull(3, 8192);
  music.pause(false);
  const auto after = pull(2, 8192);
  stream.insert(stream.end(), after.begin(), after.end());
  EXPECT_EQ(first_difference(stream, repeated(expected, stream.size())), -1);
  EXPECT_EQ(silence, std::vector<uint8_t>(silence.size(), 0));

  // The first pull reported time 0, the moved sound 5000 ms, the resumed one
  // 5000 ms plus the two chunks before the pause (16384 bytes, 92 ms).
  using Report = std::pair<uint32_t, int64_t>;
  EXPECT_EQ(reports.first, (std::vector<Report>{{46, 0}, {46, 5000}, {46, 5092}}));
  EXPECT_EQ(reports.from, (std::vector<int64_t>{0, 5000, 5046, 5092, 5139}));
}

TEST_F(SoundtrackTest, StreamedFilePlaysAsTheWholeFileWhereItsBytesAreHere) {
  // 3 s at a variable bit rate, intact and with a damaged frame count (trimmed
  // by the soundtrack itself); the index with every frame and every 8th.
  constexpr int64_t pass = 132300;
  const auto mp3 = test_track(static_cast<int>(pass), variable_bit_rate());
  auto take = [](Soundtrack& from, int count) {
    std::vector<uint8_t> out(static_cast<size_t>(count) * 8192);
    for (int i = 0; i < count; ++i) from.callback(out.data() + static_cast<size_t>(i) * 8192, 8192);
    return out;
  };
  for (const bool damaged : {false, true}) {
    for (const int32_t step : {1, 8}) {
      SCOPED_TRACE(std::string(damaged ? "damaged" : "intact") + " step " + std::to_string(step));
      const auto file = damaged ? with_announced_frames(mp3, 2) : mp3;
      const std::string path = scratch_file("streamed.mp3");
      write_file(path, file);
      const auto size = static_cast<int64_t>(file.size());
      SoundIndex built;
      ASSERT_EQ(decoder_build_index(file.data(), size, step, &built), DECODE_OK);
      const std::optional<SoundIndex> index = sound_index_parse(sound_index_text(built));
      ASSERT_TRUE(index.has_value());
      EXPECT_EQ(index->offsets, built.offsets);
      EXPECT_EQ(index->own_trim, damaged ? 1 : 0);

      ASSERT_TRUE(music.open_stream(*index, 8192, path).ok());
      EXPECT_EQ(music.pass_frames(), pass);
      EXPECT_EQ(music.present_until(0), 0);
      // The second half arrives, then the first quarter, in pieces.
      const int64_t quarter = size / 4, half = size / 2;
      for (const auto& [from, to] : std::vector<std::pair<int64_t, int64_t>>{
               {size - 1000, size}, {half, size - 1000}, {1000, quarter}, {0, 1000}}) {
        music.add_bytes(from, file.data() + from, to - from);
      }
      const int64_t gap = music.present_until(0);
      EXPECT_GT(gap, pass / 8);
      EXPECT_LT(gap, pass / 2);
      EXPECT_EQ(music.present_until(gap), gap);
      // From three quarters on: to the end, and into the next pass up to the gap.
      EXPECT_EQ(music.present_until(pass * 3 / 4), pass + gap);

      Soundtrack whole;
      ASSERT_TRUE(whole.open(path.c_str(), 8192).ok());
      ASSERT_TRUE(music.prime_stream().ok());
      const int before_gap = static_cast<int>(gap / 2048) - 1;
      EXPECT_EQ(first_difference(take(music, before_gap), take(whole, before_gap)), -1);
      ASSERT_TRUE(music.seek(pass * 3 / 4).ok());
      ASSERT_TRUE(whole.seek(pass * 3 / 4).ok());
      const int to_gap = static_cast<int>((pass / 4 + gap) / 2048) - 1;
      EXPECT_EQ(first_difference(take(music, to_gap), take(whole, to_gap)), -1);

      // Where the bytes are missing it plays silence rather than anything
      // else, and waits; once everything is here, every frame is present.
      ASSERT_TRUE(music.seek(gap + 2048).ok());
      const auto starved = take(music, 2);
      EXPECT_EQ(starved, std::vector<uint8_t>(starved.size(), 0));
      music.add_bytes(quarter - 10, file.data() + quarter - 10, half - quarter + 20);
      EXPECT_EQ(music.present_until(7), std::numeric_limits<int64_t>::max());
      Soundtrack fresh;  // seeks before it has read far, as the player's do
      ASSERT_TRUE(fresh.open(path.c_str(), 8192).ok());
      ASSERT_TRUE(music.seek(pass - 5000).ok());
      ASSERT_TRUE(fresh.seek(pass - 5000).ok());
      EXPECT_EQ(first_difference(take(music, 40), take(fresh, 40)), -1);
      music.close();
    }
  }
}

TEST_F(SoundtrackTest, StreamedBytesThatDoNotFitTheirIndexPlayWithoutHarm) {
  // The index of one file, the bytes of another (or of none) behind it: the
  // soundtrack refuses to start or plays something, but every callback
  // fills its length and nothing outside the file is read.
  const auto [listed, index] = indexed_vbr_track(441000, 8);
  const auto other = test_track(132300);
  std::vector<uint8_t> junk(listed.size());
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  const std::vector<uint8_t>* const files[] = {&other, &junk};
  for (const std::vector<uint8_t>* bytes : files) {
    ASSERT_TRUE(music.open_stream(index, 8192, "streamed.mp3").ok());
    music.add_bytes(0, bytes->data(), static_cast<int64_t>(bytes->size()));
    music.add_bytes(static_cast<int64_t>(listed.size()) - 100, junk.data(), 5000);  // past the end: cut
    if (music.present_until(0) > 2048 && music.prime_stream().ok()) {
      pull(20, 8192);
      for (const int64_t frame : {int64_t{100000}, int64_t{400000}, int64_t{3}}) {
        if (music.seek(frame).ok()) pull(10, 8192);
      }
    }
    music.close();
  }
}

TEST(SoundIndexText, DamagedTextIsRefused) {
  SoundIndex index;
  index.file_bytes = 5000;
  index.frame_samples = 1152;
  index.pass_frames = 4000;
  index.step = 2;
  index.offsets = {100, 900, 1800};
  const std::string text = sound_index_text(index);
  EXPECT_EQ(text, "sound-index 1 5000 1152 0 4000 0 0 0 2 3 100 800 900");
  ASSERT_TRUE(sound_index_parse(text).has_value());
  for (const char* bad : {"", "sound-index 2 5000 1152 0 4000 0 0 0 2 3 100 800 900",
                          "sound-index 1 5000 1152 0 4000 0 0 0 2 3 100 800",         // an offset short
                          "sound-index 1 5000 1152 0 4000 0 0 0 2 3 100 800 900 7",   // one too many
                          "sound-index 1 5000 1152 0 4000 0 0 0 2 3 100 0 900",       // two frames at one byte
                          "sound-index 1 5000 1152 0 4000 0 0 0 2 3 100 800 4200",    // past the file's end
                          "sound-index 1 5000 0 0 4000 0 0 0 2 3 100 800 900",        // frames of no samples
                          "sound-index 1 5000 1152 0 4000 0 0 0 2 -3 100 800 900",
                          "sound-index 1 5000 1152 0 4000 0 0 0 2 99999999999 1"}) {
    EXPECT_FALSE(sound_index_parse(bad).has_value()) << bad;
  }
}
