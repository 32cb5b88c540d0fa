#include "music_mixer.h"

#include <algorithm>
#include <cmath>

#include "music_effects.h"

namespace music {
namespace {

// Overall gain of the summed buses into the soft clipper, and the clipper's
// ceiling: -1 dBFS leaves room for the encoder's overshoot.
constexpr float kMasterGain = 1.05f;
constexpr float kKnee = 0.7f;
constexpr float kCeiling = 0.89f;

// Send levels into the room effects.
constexpr float kPadsToReverb = 0.5f;
constexpr float kLeadToReverb = 0.3f;
constexpr float kDrumsToReverb = 0.12f;
constexpr float kHitsToReverb = 0.35f;
constexpr float kLeadToEcho = 0.3f;

// Linear below the knee, then bending smoothly towards full scale.
float soft_clip(float x) {
  const float a = std::fabs(x);
  if (a <= kKnee) return x;
  const float bent = kKnee + (1.0f - kKnee) * std::tanh((a - kKnee) / (1.0f - kKnee));
  return x < 0.0f ? -bent : bent;
}

int16_t to_pcm(float x) {
  const float scaled = std::clamp(x * kCeiling, -1.0f, 1.0f) * 32767.0f;
  return static_cast<int16_t>(std::lrint(scaled));
}

}  // namespace

Mix::Mix(int64_t frames)
    : pads(frames), bass(frames), lead(frames), drums(frames), hits(frames),
      band_gain(static_cast<size_t>(frames), 1.0f) {}

void Mix::duck(int64_t at, float depth, float seconds) {
  if (at < 0 || at >= frames()) return;
  const int64_t length = std::min(static_cast<int64_t>(seconds * 6.0f * kSampleRate), frames() - at);
  Decay env(seconds, depth);
  for (int64_t i = 0; i < length; ++i) band_gain[static_cast<size_t>(at + i)] *= 1.0f - env.next();
}

void Mix::mute(int64_t from, int64_t to, float level) {
  const int64_t ramp = ms_to_sample(5);
  from = std::max<int64_t>(from, 0);
  to = std::min(to, frames());
  for (int64_t i = from; i < to; ++i) {
    const int64_t edge = std::min(i - from, to - 1 - i);
    const float k = edge < ramp ? static_cast<float>(edge) / static_cast<float>(ramp) : 1.0f;
    band_gain[static_cast<size_t>(i)] *= 1.0f + (level - 1.0f) * k;
  }
}

std::vector<int16_t> master(const Mix& mix) {
  const int64_t n = mix.frames();
  Reverb reverb(0.75f, 0.35f);
  Echo echo(ms_to_sample(375), 0.38f);
  // Decaying drum bodies and chords leave a little DC behind; keep it out.
  HighPass dc_left(10.0f);
  HighPass dc_right(10.0f);
  std::vector<int16_t> pcm(static_cast<size_t>(n) * 2);
  for (int64_t i = 0; i < n; ++i) {
    const auto k = static_cast<size_t>(i);
    const float send_left = kPadsToReverb * mix.pads.left[k] + kLeadToReverb * mix.lead.left[k] +
                            kDrumsToReverb * mix.drums.left[k] + kHitsToReverb * mix.hits.left[k];
    const float send_right = kPadsToReverb * mix.pads.right[k] + kLeadToReverb * mix.lead.right[k] +
                             kDrumsToReverb * mix.drums.right[k] + kHitsToReverb * mix.hits.right[k];
    float room_left = 0.0f, room_right = 0.0f, echo_left = 0.0f, echo_right = 0.0f;
    reverb.process(send_left, send_right, room_left, room_right);
    echo.process(kLeadToEcho * 0.5f * (mix.lead.left[k] + mix.lead.right[k]), echo_left, echo_right);

    const float g = mix.band_gain[k];
    const float left = g * (mix.pads.left[k] + mix.bass.left[k] + mix.lead.left[k] + room_left + echo_left) +
                       mix.drums.left[k] + mix.hits.left[k];
    const float right = g * (mix.pads.right[k] + mix.bass.right[k] + mix.lead.right[k] + room_right + echo_right) +
                        mix.drums.right[k] + mix.hits.right[k];
    float fade = kMasterGain;
    if (i >= mix.fade_to) {
      fade = 0.0f;
    } else if (i >= mix.fade_from) {
      fade *= static_cast<float>(mix.fade_to - i) / static_cast<float>(mix.fade_to - mix.fade_from);
    }
    pcm[2 * k] = to_pcm(soft_clip(fade * dc_left.process(left)));
    pcm[2 * k + 1] = to_pcm(soft_clip(fade * dc_right.process(right)));
  }
  return pcm;
}

}  // namespace music
