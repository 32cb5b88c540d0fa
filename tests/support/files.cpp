#include "files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

std::vector<uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  // A new file, never the old one rewritten: show data folders share their
  // files by hard links.
  std::error_code ignored;
  fs::remove(path, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string test_pictures_folder() { return fs::path(SAVA_TEST_PICTURES).lexically_normal().string(); }

std::string testdata_path(const std::string& name) {
  fs::path path = test_pictures_folder();
  if (!name.empty()) path /= name;
  std::error_code error;
  return fs::exists(path, error) ? path.lexically_normal().string() : std::string();
}
