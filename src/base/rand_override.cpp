// rand() and srand(): the reference sequence in place of the C library's
// own, so that every frame matches the native show. Linked into the programs
// of the platforms whose C library has another sequence (the web page,
// Windows); a definition here keeps the library's version out of the link.
#include <cstdlib>

#include "base/reference_rand.h"

namespace {
ReferenceRand generator;
}  // namespace

extern "C" int rand(void) { return generator.next(); }
extern "C" void srand(unsigned seed) { generator.seed_with(seed); }
