#include "base/option_table.h"

#include <cstring>

bool option_named(const char* arg, const char* name, const char* short_name) {
  return std::strcmp(arg, name) == 0 || (short_name != nullptr && std::strcmp(arg, short_name) == 0);
}

std::string option_needs_value(const char* arg, const char* value_name) {
  return std::string(arg) + " needs a value (" + value_name + ")";
}

std::string option_unknown(const char* arg) { return std::string("unknown argument '") + arg + "'"; }

std::string option_help_line(const char* name, const char* short_name, const char* value_name, const char* help) {
  std::string names = short_name != nullptr ? std::string(short_name) + ", " + name : std::string(name);
  if (value_name != nullptr) names += std::string(" ") + value_name;
  if (names.size() < 16) names.resize(16, ' ');
  std::string text;
  std::string line = "  " + names;
  const char* word = help;
  while (*word != '\0') {
    const char* end = std::strchr(word, ' ');
    const std::string w = end != nullptr ? std::string(word, end) : std::string(word);
    if (line.size() + 1 + w.size() > 78 && line.size() > 19) {
      text += line + "\n";
      line = std::string(18, ' ');
    }
    line += " " + w;
    word = end != nullptr ? end + 1 : word + w.size();
  }
  return text + line + "\n";
}
