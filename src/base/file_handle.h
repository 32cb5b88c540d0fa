// An open C stream that closes itself: the one owner of a std::FILE for every
// layer, the tools and the tests. Writers that must know whether the close
// succeeded close it themselves: std::fclose(handle.release()).
#pragma once

#include <cstdio>
#include <memory>

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;
