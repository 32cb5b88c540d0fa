#include "soundtrack.h"

// Placeholder until the synthesizer lands.
bool write_soundtrack(const std::string& path, std::string* error) {
  if (error != nullptr) *error = "soundtrack generator not built yet: " + path;
  return false;
}
