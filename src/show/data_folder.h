// Where the show's files are read from, and their paths there.
#pragma once

#include <string>
#include <vector>

#include "show/show_files.h"

// The folder of the show's files: `given` when not empty; else "data" when
// the working folder has a data/ that holds the show's soundtrack (a data/
// of anything else, as in many a home folder, does not count); else the
// installed data folder; else "data", whose missing files are then named as
// such.
std::string find_data_folder(const std::string& given);

// The choice of find_data_folder with `installed` as the installed data
// folder (empty: none).
std::string choose_data_folder(const std::string& given, const std::string& installed);

// The installed data folder, found beside the program
// (<prefix>/bin/../share/sava/data, so that a moved installation still finds
// its data) or else under the prefix the program was built for; empty when
// neither is there.
std::string installed_data_folder();

// The paths of the show's files in a folder. In the folder "data" they are
// the picture table's own paths and soundtrack_path, as the start-up
// messages name them; elsewhere the same names under that folder.
class ShowFiles {
 public:
  explicit ShowFiles(const std::string& folder);
  ShowFiles(const ShowFiles&) = delete;
  ShowFiles& operator=(const ShowFiles&) = delete;

  // The picture paths in store order, followed by a null entry.
  const char* const* picture_paths() const { return pointers_.data(); }
  const char* soundtrack_path() const { return soundtrack_.c_str(); }

 private:
  std::vector<std::string> pictures_;
  std::vector<const char*> pointers_;
  std::string soundtrack_;
};
