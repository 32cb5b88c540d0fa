// Whole files as bytes, and the third-party test pictures beside the source
// tree. A fixture that cannot be written throws: the test then fails there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> read_file(const std::string& path);
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);

// The file `name` under ../shared/testdata beside the source tree (e.g.
// "jpeg/testorig.jpg"), or the folder itself for an empty name; empty when
// it is not there.
std::string testdata_path(const std::string& name = "");
