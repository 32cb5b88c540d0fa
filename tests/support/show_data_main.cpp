// sava-test-data DIR [--smallest|--roomy]: writes a complete data/ folder
// (every picture and a 3 s soundtrack) under DIR, for runs of the whole show
// where the generated show data is not at hand (the sanitizer and
// leak-check scripts). The pictures meet the show's needs; --smallest gives
// every picture the least size they allow, --roomy sizes the scenes accept
// but our generator never makes. sava-test-data DIR --inverted|--noise FROM:
// the pictures of FROM/data/ made into another set (picture_variants.h).
#include <cstdio>
#include <exception>
#include <string>

#include "support/picture_variants.h"
#include "support/show_data.h"

int main(int argc, char** argv) {
  if (argc == 4 && (std::string(argv[2]) == "--inverted" || std::string(argv[2]) == "--noise")) {
    try {
      write_picture_variant(argv[1], argv[3],
                            std::string(argv[2]) == "--inverted" ? PictureVariant::inverted : PictureVariant::noise);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
      return 1;
    }
    return 0;
  }
  PictureSet set = PictureSet::fitting;
  bool usable = argc == 2;
  if (argc == 3) {
    const std::string option = argv[2];
    usable = option == "--smallest" || option == "--roomy";
    set = option == "--smallest" ? PictureSet::smallest : PictureSet::roomy;
  }
  if (!usable) {
    std::fprintf(stderr, "usage: %s DIR [--smallest|--roomy|--inverted FROM|--noise FROM]\n", argv[0]);
    return 2;
  }
  try {
    write_show_data(argv[1], {}, set);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
