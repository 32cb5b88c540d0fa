// The frame decoder's contract: one frame per successful call, input queued
// across calls, gapless trimming, restarts that replay the stream exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "mp3_tags.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/sound.h"
#include "music/decoder.h"

namespace {

struct DecoderGuard {
  Decoder decoder{};
  ~DecoderGuard() { decoder_exit(&decoder); }
};

struct Pass {
  std::vector<int16_t> samples;
  int frames = 0;
  int last_result = DECODE_OK;
};

// Decodes frames until the decoder stops producing them, handing it `input`
// with the first call.
Pass decode_all(Decoder* decoder, const std::vector<uint8_t>& input) {
  Pass pass;
  std::vector<uint8_t> out(DECODER_MAX_FRAME_BYTES + 16, 0xEE);
  const uint8_t* feed = input.data();
  int32_t feed_length = static_cast<int32_t>(input.size());
  for (;;) {
    int32_t produced = -1;
    pass.last_result = decoder_decode(decoder, feed, feed_length, out.data(), DECODER_MAX_FRAME_BYTES, &produced);
    feed = nullptr;
    feed_length = 0;
    if (pass.last_result != DECODE_OK) {
      EXPECT_EQ(produced, 0);
      return pass;
    }
    EXPECT_GE(produced, 0);
    EXPECT_LE(produced, DECODER_MAX_FRAME_BYTES);
    EXPECT_EQ(produced % 4, 0);
    ++pass.frames;
    const auto* s = reinterpret_cast<const int16_t*>(out.data());
    pass.samples.insert(pass.samples.end(), s, s + produced / 2);
  }
}

class DecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mp3 = test_track(frames);
    path = scratch_file("decoder.mp3");
    write_file(path, mp3);
    reference = reference_decode(path).samples;
    ASSERT_EQ(guard.decoder.handle, nullptr);
    ASSERT_EQ(decoder_init(&guard.decoder, 0), DECODE_OK);
  }

  static constexpr int frames = 20000;
  std::vector<uint8_t> mp3;
  std::string path;
  std::vector<int16_t> reference;
  DecoderGuard guard;
};

TEST_F(DecoderTest, OneFramePerCallTrimmedToTheMusic) {
  const Pass pass = decode_all(&guard.decoder, mp3);
  EXPECT_EQ(pass.last_result, DECODE_NEED_MORE);
  EXPECT_EQ(pass.samples.size(), static_cast<size_t>(frames) * 2);
  EXPECT_EQ(pass.samples, reference);
  // 20000 samples plus 1105 of delay and the padding fill 19 frames of 1152;
  // the info frame in front of them yields no call of its own.
  EXPECT_EQ(pass.frames, 19);
}

TEST_F(DecoderTest, InputGivenInPiecesIsQueuedBehindTheRest) {
  Decoder* decoder = &guard.decoder;
  std::vector<int16_t> samples;
  std::vector<uint8_t> out(DECODER_MAX_FRAME_BYTES);
  // Feed the file in odd-sized pieces, each only after the decoder asks.
  size_t offset = 0;
  const size_t piece = 777;
  int need_more = 0;
  while (true) {
    const uint8_t* input = nullptr;
    int32_t length = 0;
    int32_t produced = 0;
    int result = decoder_decode(decoder, nullptr, 0, out.data(), DECODER_MAX_FRAME_BYTES, &produced);
    if (result == DECODE_NEED_MORE) {
      if (offset >= mp3.size()) break;
      ++need_more;
      input = mp3.data() + offset;
      length = static_cast<int32_t>(std::min(piece, mp3.size() - offset));
      offset += static_cast<size_t>(length);
      result = decoder_decode(decoder, input, length, out.data(), DECODER_MAX_FRAME_BYTES, &produced);
    }
    ASSERT_NE(result, DECODE_ERR);
    if (result == DECODE_OK) {
      const auto* s = reinterpret_cast<const int16_t*>(out.data());
      samples.insert(samples.end(), s, s + produced / 2);
    }
  }
  EXPECT_GT(need_more, 5);
  EXPECT_EQ(samples, reference);
}

TEST_F(DecoderTest, RestartReplaysTheStreamExactly) {
  Decoder* decoder = &guard.decoder;
  // A restart of a fresh decoder, after a full pass, and in the middle of
  // one: each time the next pass is the whole music again.
  ASSERT_EQ(decoder_restart(decoder), DECODE_OK);
  EXPECT_EQ(decode_all(decoder, mp3).samples, reference);
  ASSERT_EQ(decoder_restart(decoder), DECODE_OK);
  EXPECT_EQ(decode_all(decoder, mp3).samples, reference);

  std::vector<uint8_t> out(DECODER_MAX_FRAME_BYTES);
  int32_t produced = 0;
  ASSERT_EQ(decoder_restart(decoder), DECODE_OK);
  ASSERT_EQ(decoder_decode(decoder, mp3.data(), static_cast<int32_t>(mp3.size()), out.data(),
                           DECODER_MAX_FRAME_BYTES, &produced),
            DECODE_OK);
  ASSERT_EQ(decoder_restart(decoder), DECODE_OK);
  EXPECT_EQ(decode_all(decoder, mp3).samples, reference);
}

}  // namespace
