// Stopping the programs while they start: a stop request during the slow
// part of the start-up (decoding the pictures) is acted on at once, and the
// program shuts down as cleanly as after a whole show.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/headless.h"
#include "support/pictures.h"
#include "support/scratch_dir.h"
#include "support/show_data.h"

namespace {

namespace fs = std::filesystem;

TEST(Interruption, StopWhileLoadingThePicturesEndsCleanlyAtOnce) {
  struct Case {
    const char* name;
    const char* program;
    std::vector<std::string> args;
    int exit_status;  // a stopped player ends as after the show
  };
  std::vector<Case> cases;
#ifdef SAVA_PLAYER_EXE
  cases.push_back({"player", SAVA_PLAYER_EXE, {}, 0});
#endif
#ifdef SAVA_CAPTURE_EXE
  cases.push_back({"capture", SAVA_CAPTURE_EXE, {"--wav", "show.wav"}, 128 + SIGTERM});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    // The first picture alone takes a second or more to decode, and is of a
    // size the show refuses once it is loaded.
    write_show_data(dir.path(), {{"data/convexa.png", zero_png(16384, 4096)}});
    ChildLaunch launch = headless_launch(c.program, dir.path());
    launch.args = c.args;
    launch.signal = SIGTERM;
    // Ready: the player's audio device is open, the renderer's output has
    // been created; both come before the pictures are loaded.
    const std::string ready = dir.path() + (c.exit_status == 0 ? "/audio.raw" : "/show.wav.part");
    launch.signal_when = [ready, dir = dir.path()] {
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(dir, ec)) {
        if (entry.path().string().rfind(ready, 0) == 0) return true;
      }
      return false;
    };
    const ChildRun outcome = run_child(launch);
    ASSERT_TRUE(outcome.exited) << "signal " << outcome.term_signal << "\n" << outcome.err;
    EXPECT_EQ(outcome.exit_status, c.exit_status) << outcome.err;
    EXPECT_EQ(outcome.err.find("Picture"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("Sanitizer"), std::string::npos) << outcome.err;
    if (c.exit_status == 0) {
      // The show never started: the device only ever played silence.
      const std::vector<uint8_t> audio = read_file(ready);
      EXPECT_TRUE(std::all_of(audio.begin(), audio.end(), [](uint8_t b) { return b == 0; }));
    }
    // Nothing half-written stays behind.
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();
    }
  }
}

}  // namespace
