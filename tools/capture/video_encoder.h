// H.264 + AAC video through the ffmpeg program: raw frames go down a pipe,
// the sound comes from a WAV file written beforehand. The video is written
// under a temporary name and gets its own only when ffmpeg has finished it;
// into a pipe, a device or standard output ffmpeg streams a fragmented MP4.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/child_with_input.h"
#include "base/result.h"
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
  Result<void> prepare(const std::string& path);

  // Starts ffmpeg writing the prepared file at fps_num/fps_den frames per
  // second, enlarged `scale` times with nearest-pixel scaling, with the sound
  // of `wav_path`. File names reach ffmpeg as "file:" URLs, so that any name
  // is taken as a file. ffmpeg runs in its own process group, so a Ctrl-C at
  // the terminal reaches only the capture, which then ends the video cleanly.
  Result<void> start(int64_t fps_num, int64_t fps_den, int32_t scale, const std::string& wav_path);

  // One 400x300 frame of 0xAARRGGBB words.
  Result<void> write_frame(const uint32_t* pixels);

  // Closes the pipe, waits for ffmpeg to finalise the file and renames it.
  Result<void> finish();

 private:
  Result<void> wait();

  OutputFile file_;
  platform::ChildWithInput ffmpeg_;
};
