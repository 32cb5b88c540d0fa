// Room effects for the mix's sends: a stereo reverb and a ping-pong echo,
// both processed one sample frame at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace music {

// Comb-and-allpass reverb with decorrelated channels. `room` (0..1) sets the
// decay length, `damping` (0..1) how fast the treble dies away.
class Reverb {
 public:
  Reverb(float room, float damping);
  void process(float in_left, float in_right, float& out_left, float& out_right);

 private:
  struct Line {
    std::vector<float> buffer;
    size_t index = 0;
    float store = 0.0f;
  };
  struct Channel {
    std::vector<Line> combs;
    std::vector<Line> allpasses;
  };
  float run(Channel& channel, float in);

  float feedback_;
  float damping_;
  Channel left_;
  Channel right_;
};

// Echoes bouncing left-right every `delay` samples, each repeat `feedback`
// quieter and a little darker.
class Echo {
 public:
  Echo(int64_t delay, float feedback);
  void process(float in, float& out_left, float& out_right);

 private:
  std::vector<float> left_;
  std::vector<float> right_;
  size_t index_ = 0;
  float feedback_;
  float tone_left_ = 0.0f;
  float tone_right_ = 0.0f;
};

}  // namespace music
