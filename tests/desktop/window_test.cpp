// The window on a real display: --scale 2 makes it 800x600. Runs under a
// private Xvfb server when Xvfb and xwininfo are installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/child_process.h"
#include "support/scratch_dir.h"

namespace {

bool on_path(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// An Xvfb server on a display of its own choosing, ended with the object.
class VirtualDisplay {
 public:
  explicit VirtualDisplay(const char* screen) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 1);
      dup2(quiet, 2);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // Xvfb writes its display number, then a newline (a write of its own),
    // once it accepts clients. The pipe stays open until the newline: Xvfb
    // ends if it cannot write it.
    std::string number;
    char c = 0;
    while (pid_ > 0 && number.size() < 16 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (c == '\n' && !number.empty()) display_ = ":" + number;
  }
  ~VirtualDisplay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& name() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// The top-level windows of the display, as xwininfo lists them.
std::string top_level_windows(const std::string& display) {
  std::string text;
  FILE* out = popen(("DISPLAY=" + display + " xwininfo -root -children 2>/dev/null").c_str(), "r");
  if (out == nullptr) return text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) text.append(buffer, n);
  pclose(out);
  return text;
}

TEST(Window, ScaleTwoGivesAnEightHundredBySixHundredWindow) {
  if (!on_path("Xvfb") || !on_path("xwininfo")) GTEST_SKIP() << "Xvfb or xwininfo is not installed";
  VirtualDisplay display("1280x720x24");
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  ScratchDir dir;
  ChildLaunch play;
  play.program = SAVA_PLAYER_EXE;
  play.args = {"--windowed", "--scale", "2", "--data", SAVA_DATA_DIR};
  play.working_dir = dir.path();
  play.env = {{"DISPLAY", display.name()}, {"SDL_VIDEODRIVER", "x11"}, {"SDL_AUDIODRIVER", "dummy"}};
  // Only read by a player built with the sanitizers: the display's own
  // libraries, loaded by the video library, keep allocations past its
  // shutdown; the player's leaks are checked by the headless runs.
  const char* asan = std::getenv("ASAN_OPTIONS");
  play.env.emplace_back("ASAN_OPTIONS", std::string(asan != nullptr ? asan : "") + ":detect_leaks=0");
  play.signal = SIGTERM;
  std::string windows;
  // Ready once the show's window is on the display.
  play.signal_when = [&] {
    windows = top_level_windows(display.name());
    return windows.find("ToLVaS") != std::string::npos;
  };
  play.timeout_ms = 60000;
  const ChildRun run = run_child(play);
  ASSERT_FALSE(run.timed_out) << run.err << windows;
  EXPECT_TRUE(run.exited && run.exit_status == 0) << run.err;
  EXPECT_NE(windows.find(" 800x600+"), std::string::npos) << windows;
}

}  // namespace
