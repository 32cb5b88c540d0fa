#include "options.h"

#include <span>

#include "show/show_length.h"
#include "show/show_scale.h"

namespace {

// One of the plan's own options (show/capture_plan.h), on the plan the
// options hold.
template <Result<void> (*set)(CapturePlan*, const char*)>
Result<void> set_plan(CaptureOptions* o, const char* value) {
  return set(o, value);
}

Result<void> set_scale(CaptureOptions* o, const char* value) {
  const Result<int32_t> scale = parse_show_scale(value);
  if (!scale) return scale.failure();
  o->scale = *scale;
  return {};
}

// An option naming a file or a folder: never an empty one.
template <std::string CaptureOptions::*path, const char* name>
Result<void> set_path(CaptureOptions* o, const char* value) {
  if (*value == '\0') return Failure{std::string(name) + " needs a non-empty value"};
  o->*path = value;
  return {};
}

constexpr char raw_option[] = "--raw";
constexpr char frames_option[] = "--frames";
constexpr char wav_option[] = "--wav";
constexpr char video_option[] = "--video";
constexpr char sheet_option[] = "--sheet";
constexpr char data_option[] = "--data";

std::span<const CaptureOption> capture_options() {
  return {capture_option_table, static_cast<size_t>(capture_option_count)};
}

const std::string to_help = "end before show time MS (default " + std::to_string(show_length_ms) + ")";

}  // namespace

const CaptureOption capture_option_table[] = {
    {"--from", nullptr, "MS", "start at show time MS (default 0)", set_plan<set_capture_from>},
    {"--to", nullptr, "MS", to_help.c_str(), set_plan<set_capture_to>},
    {"--fps", nullptr, "N[/D]", "frames per second (default 60); frame i is shown at from + i * 1000 * D / N ms",
     set_plan<set_capture_fps>},
    {data_option, nullptr, "DIR",
     "read the show's files from DIR (otherwise from data/ in the working folder when it holds the show's "
     "soundtrack, else from the installed data)",
     set_path<&CaptureOptions::data_dir, data_option>},
    {"--reduce-flashing", nullptr, nullptr, "the show with reduced flashing: softened where it flashes fast",
     set_flag<&CaptureOptions::reduce_flashing>},
    {raw_option, nullptr, "FILE|-", "raw frames, 400x300 BGRA words (480000 bytes) each",
     set_path<&CaptureOptions::raw_path, raw_option>, "Outputs (at least one):"},
    {frames_option, nullptr, "DIR", "one PNG file per frame, named by show time",
     set_path<&CaptureOptions::frames_dir, frames_option>},
    {wav_option, nullptr, "FILE|-", "the soundtrack as heard", set_path<&CaptureOptions::wav_path, wav_option>},
    {video_option, nullptr, "FILE.mp4|-", "H.264 and AAC through ffmpeg",
     set_path<&CaptureOptions::video_path, video_option>},
    {"--scale", nullptr, "N",
     "enlarge the video and the frames' files N times (1 to 16), every pixel kept sharp (the raw frames and "
     "the contact sheet keep their sizes)",
     set_scale},
    {sheet_option, nullptr, "FILE.png|-", "a contact sheet", set_path<&CaptureOptions::sheet_path, sheet_option>},
    {"--null", nullptr, nullptr, "render without writing", set_flag<&CaptureOptions::null_output>},
    {"--stats", nullptr, nullptr, "print render times per scene", set_flag<&CaptureOptions::stats>},
    {"--help", "-h", nullptr, "print this help and end", set_flag<&CaptureOptions::help>},
};
const int capture_option_count = static_cast<int>(sizeof capture_option_table / sizeof capture_option_table[0]);

std::string capture_help_text() {
  return std::string(capture_usage) +
         "\n"
         "Renders the show offline on a virtual clock, without a window or a sound device.\n"
         "\n" +
         option_help(capture_options()) +
         "\n"
         "A file is written under a temporary name (NAME.part<pid>) and gets its name when complete; a symbolic\n"
         "link to a file keeps pointing at it and that file gets the new content. A device, a FIFO, /dev/fd/N\n"
         "(or a link to one of them) is written into as it is, and - is standard output (one output at most;\n"
         "a video there or into a pipe is a fragmented MP4). A folder as an output is refused. On Windows NUL\n"
         "(also nul.wav and the like) is the null device, and the other device names (CON, AUX...) are refused.\n"
         "\n"
         "Ctrl-C finishes the outputs up to the last frame made; a second one ends the capture at once.\n";
}

Result<CaptureOptions> parse_capture_options(int argc, const char* const* argv) {
  CaptureOptions o;
  const Result<void> read = parse_options(
      capture_options(), std::span<const char* const>(argv, static_cast<size_t>(argc)), UnknownArgument::refused, &o);
  if (o.help) return o;
  if (!read) return read.failure();
  const bool any_output = !o.raw_path.empty() || !o.frames_dir.empty() || !o.wav_path.empty() ||
                          !o.video_path.empty() || !o.sheet_path.empty() || o.null_output;
  if (!any_output) return Failure{"no output given"};
  int to_standard_output = 0;
  for (const std::string* path : {&o.raw_path, &o.wav_path, &o.video_path, &o.sheet_path}) {
    to_standard_output += *path == "-" ? 1 : 0;
  }
  if (to_standard_output > 1) return Failure{"only one output can go to standard output (-)"};
  if (o.scale != 1 && o.video_path.empty() && o.frames_dir.empty()) {
    return Failure{"--scale enlarges the video (--video) and the frames' files (--frames), and neither is written"};
  }
  if (const Result<void> complete = capture_plan_complete(o); !complete) return complete.failure();
  return o;
}
