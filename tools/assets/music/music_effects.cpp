#include "music_effects.h"

#include <algorithm>
#include <array>

namespace music {
namespace {

// Delay lengths in samples at 44.1 kHz, chosen so the echoes do not pile up
// on one period; the right channel's lines are slightly longer.
constexpr std::array<size_t, 8> kCombLengths = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<size_t, 4> kAllPassLengths = {556, 441, 341, 225};
constexpr size_t kStereoSpread = 23;
constexpr float kInputGain = 0.015f;

}  // namespace

Reverb::Reverb(float room, float damping)
    : feedback_(0.7f + 0.28f * room), damping_(damping) {
  for (size_t length : kCombLengths) {
    left_.combs.push_back({std::vector<float>(length, 0.0f)});
    right_.combs.push_back({std::vector<float>(length + kStereoSpread, 0.0f)});
  }
  for (size_t length : kAllPassLengths) {
    left_.allpasses.push_back({std::vector<float>(length, 0.0f)});
    right_.allpasses.push_back({std::vector<float>(length + kStereoSpread, 0.0f)});
  }
}

float Reverb::run(Channel& channel, float in) {
  float sum = 0.0f;
  for (Line& comb : channel.combs) {
    const float out = comb.buffer[comb.index];
    comb.store = out * (1.0f - damping_) + comb.store * damping_;
    comb.buffer[comb.index] = in + comb.store * feedback_;
    if (++comb.index == comb.buffer.size()) comb.index = 0;
    sum += out;
  }
  for (Line& pass : channel.allpasses) {
    const float delayed = pass.buffer[pass.index];
    pass.buffer[pass.index] = sum + delayed * 0.5f;
    if (++pass.index == pass.buffer.size()) pass.index = 0;
    sum = delayed - sum;
  }
  return sum;
}

void Reverb::process(float in_left, float in_right, float& out_left, float& out_right) {
  const float in = (in_left + in_right) * kInputGain;
  out_left = run(left_, in);
  out_right = run(right_, in);
}

Echo::Echo(int64_t delay, float feedback)
    : left_(static_cast<size_t>(std::max<int64_t>(delay, 1)), 0.0f),
      right_(left_.size(), 0.0f),
      feedback_(feedback) {}

void Echo::process(float in, float& out_left, float& out_right) {
  out_left = left_[index_];
  out_right = right_[index_];
  // Each repeat crosses to the other side through a gentle low-pass.
  tone_left_ += 0.35f * (out_right - tone_left_);
  tone_right_ += 0.35f * (out_left - tone_right_);
  left_[index_] = in + feedback_ * tone_left_;
  right_[index_] = feedback_ * tone_right_;
  if (++index_ == left_.size()) index_ = 0;
}

}  // namespace music
