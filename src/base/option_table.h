// A command line read against a table of options, one entry an option: its
// names, whether it takes a value, its line of help and how it changes the
// options being built. The programs' parsers and their --help are both made
// from their tables.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "base/result.h"

template <typename Options>
struct Option {
  const char* name;        // "--scale"
  const char* short_name;  // "-h", or nullptr
  const char* value_name;  // the value's name in the help ("N"); nullptr for an option without a value
  const char* help;        // what it does, wrapped when printed
  // Changes `options`; the one-line reason for a value it refuses.
  Result<void> (*apply)(Options* options, const char* value);
  const char* heading = nullptr;  // a line printed before this option's help, when given
};

namespace option_detail {
template <typename Options, typename Field>
Options owner_of(Field Options::*);
}  // namespace option_detail

// The apply of an option without a value that sets one flag of the options:
// {"--help", "-h", nullptr, "print this help and end", set_flag<&Options::help>}.
template <auto flag>
Result<void> set_flag(decltype(option_detail::owner_of(flag))* options, const char*) {
  options->*flag = true;
  return {};
}

// What happens to an argument that is no option of the table.
enum class UnknownArgument { ignored, refused };

// Whether `arg` is exactly the long or the short name.
bool option_named(const char* arg, const char* name, const char* short_name);

// The one-line reasons the parser gives itself.
std::string option_needs_value(const char* arg, const char* value_name);
std::string option_unknown(const char* arg);

// "  -h, --help      print this help and end", the text wrapped at 78
// columns and continued under its first line; ends with a newline.
std::string option_help_line(const char* name, const char* short_name, const char* value_name, const char* help);

template <typename Options>
const Option<Options>* find_option(std::span<const Option<Options>> table, const char* arg) {
  if (arg == nullptr) return nullptr;
  for (const Option<Options>& option : table) {
    if (option_named(arg, option.name, option.short_name)) return &option;
  }
  return nullptr;
}

// Reads every argument of `args` (the program's name left out) in order: an
// option applies itself, with the argument after it as its value when it
// takes one (whatever that argument looks like). Fails with the first
// failure: a value missing at the end, a value the option refused, or (when
// refused) an argument that is no option. The arguments after a failure are
// still read, so that an option such as --help can win over it. With
// `positional`, an argument that is no option and does not start with '-'
// (or is "-") is a positional argument, added to it in order, whatever
// `unknown` says.
template <typename Options>
Result<void> parse_options(std::span<const Option<Options>> table, std::span<const char* const> args,
                           UnknownArgument unknown, Options* options,
                           std::vector<const char*>* positional = nullptr) {
  Result<void> first = {};
  auto fail = [&first](std::string reason) {
    if (first) first = Failure{std::move(reason)};
  };
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == nullptr) continue;
    const Option<Options>* option = find_option(table, args[i]);
    if (option == nullptr) {
      if (positional != nullptr && (args[i][0] != '-' || args[i][1] == '\0')) {
        positional->push_back(args[i]);
        continue;
      }
      if (unknown == UnknownArgument::refused) fail(option_unknown(args[i]));
      continue;
    }
    const char* value = nullptr;
    if (option->value_name != nullptr) {
      if (i + 1 >= args.size() || args[i + 1] == nullptr) {
        fail(option_needs_value(args[i], option->value_name));
        continue;
      }
      value = args[++i];
    }
    const Result<void> applied = option->apply(options, value);
    if (!applied) fail(applied.error());
  }
  return first;
}

// The help of every option of the table, one option after the other, each
// after its heading when it has one.
template <typename Options>
std::string option_help(std::span<const Option<Options>> table) {
  std::string text;
  for (const Option<Options>& option : table) {
    if (option.heading != nullptr) text += std::string(option.heading) + "\n";
    text += option_help_line(option.name, option.short_name, option.value_name, option.help);
  }
  return text;
}
