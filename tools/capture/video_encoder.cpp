#include "video_encoder.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

constexpr size_t frame_bytes = 400 * 300 * 4;

bool write_all(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

VideoEncoder::~VideoEncoder() {
  if (pid_ >= 0) ::kill(pid_, SIGTERM);
  std::string ignored;
  wait(&ignored);
  file_.abandon();
}

bool VideoEncoder::prepare(const std::string& path, std::string* error) { return file_.reserve(path, error); }

bool VideoEncoder::start(int64_t fps_num, int64_t fps_den, int32_t scale, const std::string& wav_path,
                         std::string* error) {
  int fds[2];
  if (::pipe(fds) != 0) {
    *error = std::string("cannot create a pipe for ffmpeg: ") + std::strerror(errno);
    return false;
  }
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
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawnattr_init(&attributes);
  // Its own process group, and the signals the capture handles or ignores
  // back at their defaults.
  sigset_t defaults;
  sigemptyset(&defaults);
  for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attributes, 0);
  const int result = posix_spawnp(&pid_, "ffmpeg", &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(fds[0]);
  if (result != 0) {
    ::close(fds[1]);
    pid_ = -1;
    *error = result == ENOENT ? "ffmpeg not found: install the ffmpeg package to make videos"
                              : std::string("cannot start ffmpeg: ") + std::strerror(result);
    return false;
  }
  pipe_ = fds[1];
  return true;
}

bool VideoEncoder::write_frame(const uint32_t* pixels, std::string* error) {
  if (!write_all(pipe_, reinterpret_cast<const uint8_t*>(pixels), frame_bytes)) {
    *error = std::string("ffmpeg stopped reading frames: ") + std::strerror(errno);
    return false;
  }
  return true;
}

bool VideoEncoder::wait(std::string* error) {
  if (pipe_ >= 0) {
    ::close(pipe_);
    pipe_ = -1;
  }
  if (pid_ < 0) return true;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  *error = WIFEXITED(status) ? "ffmpeg failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")"
                             : "ffmpeg failed (ended by signal " + std::to_string(WTERMSIG(status)) + ")";
  return false;
}

bool VideoEncoder::finish(std::string* error) {
  if (!wait(error)) {
    file_.abandon();
    return false;
  }
  return file_.commit(error);
}
