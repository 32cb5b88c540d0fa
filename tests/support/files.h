// Whole files as bytes, and the third-party test pictures (the folder the
// build was configured with, SAVA_TEST_PICTURES). A fixture that cannot be
// written throws: the test then fails there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> read_file(const std::string& path);
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);

// The file `name` in the third-party test pictures (e.g.
// "jpeg/testorig.jpg"), or their folder itself for an empty name; empty when
// it is not there.
std::string testdata_path(const std::string& name = "");

// The folder of the third-party test pictures, whether it is there or not.
std::string test_pictures_folder();

// Skips a test that needs the third-party test pictures when they are not
// there, saying where they were looked for.
#define SKIP_WITHOUT_TEST_PICTURES(name)                                                                  \
  if (testdata_path(name).empty())                                                                        \
  GTEST_SKIP() << "no third-party test pictures: " << test_pictures_folder() << "/" << (name)            \
               << " is absent (cmake -DSAVA_TEST_PICTURES=DIR names their folder)"
