#include "player/input_script.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#include <utility>

#include "base/file_handle.h"
#include "base/platform.h"
#include "base/whole_number.h"
#include "player/input_rule.h"

namespace {

struct KeyName {
  const char* name;
  int32_t key;
};

constexpr KeyName key_names[] = {
    {"space", key_space},        {"left", key_left},    {"right", key_right}, {"pageup", key_page_up},
    {"pagedown", key_page_down}, {"home", key_home},    {"l", key_letter_l},  {"t", key_letter_t},
    {"escape", key_escape},      {"enter", key_return}, {"plus", key_plus},    {"minus", key_minus},
};

bool parse_count(const std::string& text, int64_t* value) {
  return text.size() <= 12 && parse_whole_number(text.c_str(), 0, INT64_MAX / 10, value);
}

bool parse_key(std::string name, ScriptStep* step) {
  if (name.rfind("alt+", 0) == 0) {
    step->modifiers = modifier_alt;
    name.erase(0, 4);
  }
  for (const KeyName& k : key_names) {
    if (name == k.name) {
      step->key = k.key;
      return true;
    }
  }
  return false;
}

}  // namespace

Result<std::vector<ScriptStep>> parse_input_script(const std::string& text) {
  std::vector<ScriptStep> steps;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::istringstream words(line);
    std::string when, value, command, argument, extra;
    words >> when;
    if (when.empty() || when[0] == '#') continue;
    words >> value >> command >> argument >> extra;
    ScriptStep step;
    step.text = line;
    const auto fail = [&](const std::string& why) {
      return Failure{"line " + std::to_string(number) + ": " + why + ": " + line};
    };
    if (when == "at") {
      step.when = ScriptStep::When::at_time;
    } else if (when != "after") {
      return fail("a step starts with \"at MS\" or \"after FRAMES\"");
    }
    if (!parse_count(value, &step.value)) return fail("not a whole number: \"" + value + "\"");
    if (command == "dump" || command == "dump-presented" || command == "trace") {
      step.kind = command == "dump"    ? ScriptStep::Kind::dump
                  : command == "trace" ? ScriptStep::Kind::trace
                                       : ScriptStep::Kind::dump_presented;
      if (argument.empty() || !extra.empty()) return fail("\"" + command + "\" names one file");
      step.path = argument;
    } else if (!argument.empty() || !parse_key(command, &step)) {
      return fail("unknown key or command \"" + command + "\"");
    }
    steps.push_back(std::move(step));
  }
  return steps;
}

std::vector<const ScriptStep*> ScriptRunner::due(int64_t frame, int32_t now) {
  std::vector<const ScriptStep*> fired;
  const bool first = first_frame_;
  const int32_t before = last_time_;
  first_frame_ = false;
  last_time_ = now;
  while (next_ < steps_.size()) {
    const ScriptStep& step = steps_[next_];
    const bool reached = now >= step.value && (first || before < step.value);
    const bool ready = step.when == ScriptStep::When::at_time ? reached : frame >= last_fired_frame_ + step.value;
    if (!ready) break;
    fired.push_back(&step);
    last_fired_frame_ = frame;
    ++next_;
  }
  return fired;
}

Result<std::vector<ScriptStep>> read_input_script(const std::string& path) {
  const std::string cannot = "cannot read the input script " + path + ": ";
  const Result<FileHandle> file = platform::open_regular_file(path);
  if (!file) return Failure{cannot + file.error()};
  // Read to one byte past the limit, however the file grows meanwhile.
  std::string text(static_cast<size_t>(input_script_max_bytes) + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file->get()));
  if (std::ferror(file->get())) return Failure{cannot + std::strerror(errno)};
  if (static_cast<int64_t>(text.size()) > input_script_max_bytes) {
    return Failure{cannot + "larger than " + std::to_string(input_script_max_bytes) + " bytes"};
  }
  Result<std::vector<ScriptStep>> steps = parse_input_script(text);
  if (!steps) return Failure{"input script " + path + ", " + steps.error()};
  return steps;
}
