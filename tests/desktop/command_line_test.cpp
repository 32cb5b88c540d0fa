// Each program asked for help, or given a command line it cannot use: help
// on standard output and status 0; misuse in one line on standard error and
// status 2, before anything is started.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/scratch_dir.h"

namespace {

size_t line_count(const std::string& text) {
  size_t n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

TEST(CommandLine, HelpPrintsUsageAndMisuseGetsOneLine) {
  struct Row {
    const char* program;
    std::vector<std::string> args;
    int status;
    const char* says;  // the start of standard output (status 0) or error (otherwise)
  };
  const Row rows[] = {
      {SAVA_PLAYER_EXE, {"--help"}, 0, "usage: sava "},
      {SAVA_PLAYER_EXE, {"--windowed", "-h"}, 0, "usage: sava "},
      {SAVA_PLAYER_EXE, {"--version"}, 0, "sava "},
      {SAVA_PLAYER_EXE, {"--scale", "two"}, 2, "sava: --scale takes a whole number"},
      {SAVA_PLAYER_EXE, {"--data"}, 2, "sava: --data needs a value"},
      {SAVA_PLAYER_EXE, {"--windowed", "--scale", "1", "--form", "64000"}, 2, "sava: unknown argument '--form'"},
      {SAVA_CAPTURE_EXE, {"--help"}, 0, "usage: sava-capture "},
      {SAVA_CAPTURE_EXE, {"--bogus", "-h"}, 0, "usage: sava-capture "},
      {SAVA_CAPTURE_EXE, {"--fps", "abc", "--null"}, 2, "sava-capture: --fps takes"},
      {SAVA_CAPTURE_EXE, {}, 2, "sava-capture: no output given"},
      {SAVA_ASSETS_EXE, {"--help"}, 0, "usage: sava-assets DIR"},
      {SAVA_ASSETS_EXE, {"-h"}, 0, "usage: sava-assets DIR"},
      {SAVA_ASSETS_EXE, {"--output"}, 2, "sava-assets: unknown argument '--output'"},
      {SAVA_ASSETS_EXE, {"d", "--output"}, 2, "sava-assets: unknown argument '--output'"},
      {SAVA_ASSETS_EXE, {}, 2, "sava-assets: give one folder"},
      {SAVA_ASSETS_EXE, {"a", "b"}, 2, "sava-assets: give one folder"},
  };
  ScratchDir dir;
  for (const Row& row : rows) {
    std::string line = row.program;
    for (const std::string& a : row.args) line += " '" + a + "'";
    SCOPED_TRACE(line);
    ChildLaunch launch;
    launch.program = row.program;
    launch.args = row.args;
    launch.working_dir = dir.path();
    launch.env = {{"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"}};
    launch.timeout_ms = 30000;
    const ChildRun run = run_child(launch);
    ASSERT_TRUE(run.exited) << run.err;
    EXPECT_EQ(run.exit_status, row.status) << run.err;
    const std::string& said = row.status == 0 ? run.out : run.err;
    EXPECT_EQ(said.rfind(row.says, 0), 0u) << said;
    if (row.status != 0) {
      EXPECT_EQ(line_count(run.err), 1u) << run.err;
      EXPECT_EQ(run.out, "");
    }
  }
  // Nothing was written where they ran: no folder named after an option.
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
