#include "options.h"

#include <span>
#include <vector>

#include "base/option_table.h"
#include "base/whole_number.h"
#include "show/capture_plan.h"

namespace {

// "WxH", each from 2 to 8192, at most the pixels of a 7680x4320 frame.
bool parse_size(const std::string& text, int32_t* width, int32_t* height) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  int64_t w = 0, h = 0;
  if (!parse_whole_number(text.substr(0, x).c_str(), 2, 8192, &w) ||
      !parse_whole_number(text.substr(x + 1).c_str(), 2, 8192, &h) || w * h > 7680 * 4320) {
    return false;
  }
  *width = static_cast<int32_t>(w);
  *height = static_cast<int32_t>(h);
  return true;
}

struct Parsed {
  FlashCheckOptions options;
  bool have_fps = false;
};

const Option<Parsed> flash_check_options[] = {
    {"--fps", nullptr, "N[/D]", "frames per second of the video (required)",
     [](Parsed* p, const char* value) {
       CapturePlan plan;
       if (Result<void> rate = set_capture_fps(&plan, value); !rate) return rate;
       p->options.video.fps_num = plan.fps_num;
       p->options.video.fps_den = plan.fps_den;
       p->have_fps = true;
       return Result<void>{};
     }},
    {"--size", nullptr, "WxH", "frame size in pixels (default 400x300)",
     [](Parsed* p, const char* value) {
       if (parse_size(value, &p->options.video.width, &p->options.video.height)) return Result<void>{};
       return Result<void>{Failure{std::string("--size takes WxH, each from 2 to 8192 and at most 7680x4320 pixels, "
                                               "not '") +
                                   value + "'"}};
     }},
    {"--help", "-h", nullptr, "print this help and end",
     [](Parsed* p, const char*) {
       p->options.help = true;
       return Result<void>{};
     }},
};

const std::span<const Option<Parsed>> table(flash_check_options);

}  // namespace

std::string flash_check_help() {
  return "Checks raw video for flashing that can trigger seizures: more than 3 flashes (6 transitions of\n"
         "relative luminance, or of saturated red) in any one second over a quarter of the screen, and\n"
         "4 or more transitions a second for more than 4 s of any 5 s.\n"
         "\n" +
         option_help(table) +
         option_help_line("FILE|-", nullptr, nullptr,
                          "raw frames, 4 bytes a pixel: blue, green, red, alpha (standard input by default)") +
         "\n"
         "Prints each failing stretch and a verdict. Exit status 0: passes, 1: fails or cannot be read,\n"
         "2: wrong command line.\n";
}

Result<FlashCheckOptions> parse_flash_check_options(int argc, const char* const* argv) {
  Parsed parsed;
  std::vector<const char*> files;
  const Result<void> read = parse_options(table, std::span<const char* const>(argv, static_cast<size_t>(argc)),
                                          UnknownArgument::refused, &parsed, &files);
  if (parsed.options.help) return parsed.options;
  if (!read) return read.failure();
  if (files.size() > 1) return Failure{"more than one file given"};
  if (!files.empty() && files[0][0] == '\0') return Failure{"the file name is empty"};
  if (!parsed.have_fps) return Failure{"--fps is required"};
  if (!files.empty()) parsed.options.path = files[0];
  return parsed.options;
}
