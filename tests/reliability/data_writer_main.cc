// Writes a complete data/ directory (fitting pictures and a 3 s soundtrack)
// under the directory given, for runs of the whole show where the generated
// show data is not at hand (the sanitizer and leak-check scripts).
#include <cstdio>
#include <exception>

#include "reliability_support.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  try {
    reliability::write_fitting_show_data(argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
