#include "video_encoder.h"

#include <cerrno>
#include <cstring>

namespace {
constexpr size_t frame_bytes = 400 * 300 * 4;
}  // namespace

VideoEncoder::~VideoEncoder() {
  ffmpeg_.stop();
  (void)wait();
  file_.abandon();
}

Result<void> VideoEncoder::prepare(const std::string& path) { return file_.reserve(path); }

Result<void> VideoEncoder::start(int64_t fps_num, int64_t fps_den, int32_t scale, const std::string& wav_path) {
  const std::string rate = std::to_string(fps_num) + "/" + std::to_string(fps_den);
  const std::string filter =
      "scale=iw*" + std::to_string(scale) + ":ih*" + std::to_string(scale) + ":flags=neighbor,format=yuv420p";
  std::vector<std::string> args = {"ffmpeg",     "-nostdin", "-hide_banner",     "-loglevel", "error",   "-y",
                                   "-f",         "rawvideo", "-pix_fmt",         "bgra",      "-s",      "400x300",
                                   "-framerate", rate,       "-i",               "-",         "-i",      "file:" + wav_path,
                                   "-vf",        filter,     "-c:v",             "libx264",   "-preset", "medium",
                                   "-crf",       "16",       "-c:a",             "aac",       "-b:a",    "192k",
                                   "-shortest",  "-movflags"};
  // A file gets its index at the front, for playing while it downloads; a
  // pipe or device cannot be gone back over, and gets a fragmented MP4.
  args.push_back(file_.seekable() ? "+faststart" : "+frag_keyframe+empty_moov+default_base_moof");
  // ffmpeg picks the container by the name's extension (the temporary name
  // keeps it); a name without one gets the MP4 container.
  const std::string& output = file_.writing_path();
  if (!has_extension(file_.path()) || !file_.seekable()) args.insert(args.end(), {"-f", "mp4"});
  args.push_back(file_.kind() == OutputKind::standard_output ? "pipe:1" : "file:" + output);
  const int result = ffmpeg_.start(args);
  if (result == ENOENT) return Failure{"ffmpeg not found: install the ffmpeg package to make videos"};
  if (result != 0) return Failure{std::string("cannot start ffmpeg: ") + std::strerror(result)};
  return {};
}

Result<void> VideoEncoder::write_frame(const uint32_t* pixels) {
  if (!ffmpeg_.write(pixels, frame_bytes)) {
    return Failure{std::string("ffmpeg stopped reading frames: ") + std::strerror(errno)};
  }
  return {};
}

Result<void> VideoEncoder::wait() {
  const Result<void> waited = ffmpeg_.wait();
  if (!waited) return Failure{"ffmpeg failed (" + waited.error() + ")"};
  return {};
}

Result<void> VideoEncoder::finish() {
  Result<void> waited = wait();
  if (!waited) {
    file_.abandon();
    return waited;
  }
  return file_.commit();
}
