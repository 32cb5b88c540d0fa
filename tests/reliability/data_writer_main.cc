// Writes a complete data/ directory (fitting pictures and a 3 s soundtrack)
// under the directory given, for runs of the whole show where the generated
// show data is not at hand (the sanitizer and leak-check scripts). With
// --smallest every picture has the smallest size the size table allows.
#include <cstdio>
#include <exception>
#include <string>

#include "reliability_support.h"

int main(int argc, char** argv) {
  const bool smallest = argc == 3 && std::string(argv[2]) == "--smallest";
  if (argc != 2 && !smallest) {
    std::fprintf(stderr, "usage: %s DIR [--smallest]\n", argv[0]);
    return 2;
  }
  try {
    reliability::write_fitting_show_data(argv[1], {}, smallest);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
