// Temporary files ("NAME.part<pid>") that earlier runs killed outright left
// in the data folder, where no handler could remove them.
#pragma once

#include <string>

namespace assets {

// Removes from `dir` the temporary files of this generator's own outputs
// (NAME one of the pictures' or the soundtrack's file names) whose process
// no longer runs. Anything else there is the user's and stays, whatever its
// name.
void remove_stale_parts(const std::string& dir);

}  // namespace assets
