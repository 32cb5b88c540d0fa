// H.264 + AAC video through the ffmpeg program: raw frames go down a pipe,
// the sound comes from a WAV file written beforehand.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

class VideoEncoder {
 public:
  VideoEncoder() = default;
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;
  ~VideoEncoder();

  // Starts ffmpeg writing `path` at fps_num/fps_den frames per second,
  // enlarged `scale` times with nearest-pixel scaling, with the sound of
  // `wav_path`. ffmpeg runs in its own process group, so a Ctrl-C at the
  // terminal reaches only the capture, which then ends the video cleanly.
  bool start(const std::string& path, int64_t fps_num, int64_t fps_den, int32_t scale, const std::string& wav_path,
             std::string* error);

  // One 400x300 frame of 0xAARRGGBB words.
  bool write_frame(const uint32_t* pixels, std::string* error);

  // Closes the pipe and waits for ffmpeg to finalise the file.
  bool finish(std::string* error);

 private:
  pid_t pid_ = -1;
  int pipe_ = -1;
};
