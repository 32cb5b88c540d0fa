// H.264 + AAC video through the ffmpeg program: raw frames go down a pipe,
// the sound comes from a WAV file written beforehand. The video is written
// under a temporary name and gets its own only when ffmpeg has finished it;
// into a pipe, a device or standard output ffmpeg streams a fragmented MP4.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/child_with_input.h"
#include "output_file.h"

class VideoEncoder {
 public:
  VideoEncoder() = default;
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;
  // Stops an unfinished ffmpeg and removes its file.
  ~VideoEncoder();

  // Claims the video's temporary file beside `path` (or checks that the
  // device or pipe can be written), so that an unusable path fails before
  // any rendering.
  bool prepare(const std::string& path, std::string* error);

  // Starts ffmpeg writing the prepared file at fps_num/fps_den frames per
  // second, enlarged `scale` times with nearest-pixel scaling, with the sound
  // of `wav_path`. File names reach ffmpeg as "file:" URLs, so that any name
  // is taken as a file. ffmpeg runs in its own process group, so a Ctrl-C at
  // the terminal reaches only the capture, which then ends the video cleanly.
  bool start(int64_t fps_num, int64_t fps_den, int32_t scale, const std::string& wav_path, std::string* error);

  // One 400x300 frame of 0xAARRGGBB words.
  bool write_frame(const uint32_t* pixels, std::string* error);

  // Closes the pipe, waits for ffmpeg to finalise the file and renames it.
  bool finish(std::string* error);

 private:
  bool wait(std::string* error);

  OutputFile file_;
  platform::ChildWithInput ffmpeg_;
};
