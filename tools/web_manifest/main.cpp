// sava-web-manifest DATA_DIR: the list the web page loads the show by, as
// JSON on standard output. The page fetches the pictures in show order from
// it and plays each scene once its own pictures are there:
//
//   {"length_ms": L,
//    "soundtrack": {"file": "rinnu.mp3", "bytes": N, "index": "sound-index 1 ..."},
//    "pictures": [{"file": "convexa.png", "bytes": N, "width": W, "height": H}, ...],
//    "scenes": [{"ms": 0, "name": "event opening", "pictures": [0, 1, ...]}, ...],
//    "softened": [[FROM_MS, TO_MS, CONTRAST, MEAN], ...]}
//
// L is the show's length in milliseconds; pictures are in store order;
// scenes are the cues of the show's script (the end included), each with the
// store indices of the pictures it reaches for; softened are the stretches
// reduced flashing softens with these pictures; the soundtrack's index
// (music/sound_index.h) lets the page play it while it still arrives.
// The sizes are those the files in DATA_DIR decode to, the bytes those of the
// files there (the page checks both).
//
// sava-web-manifest --same-pixels A B: status 0 when the pictures A and B
// decode to the very same pixels (a file rewritten to be smaller may take
// the other's place), 1 with one line when not.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "base/option_table.h"
#include "image/image_store.h"
#include "image/picture_load.h"
#include "music/decoder.h"
#include "music/sound_index.h"
#include "show/cue_table.h"
#include "show/flash_plan.h"
#include "show/data_folder.h"
#include "show/scene_pictures.h"

namespace {

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) continue;
    out += c;
  }
  return out + "\"";
}

// Whether the pictures at `a` and `b` decode to the same size and pixels.
int same_pixels(const char* a, const char* b) {
  const PictureResult first = picture_load(a);
  const PictureResult second = picture_load(b);
  if (!first.ok() || !second.ok()) {
    std::fprintf(stderr, "sava-web-manifest: %s: %s\n", first.ok() ? b : a,
                 (first.ok() ? second : first).reason.c_str());
    return 1;
  }
  const Image& x = first.image;
  const Image& y = second.image;
  if (x.width != y.width || x.height != y.height ||
      std::memcmp(x.pixels, y.pixels, static_cast<size_t>(x.width) * static_cast<size_t>(x.height) * 4) != 0) {
    std::fprintf(stderr, "sava-web-manifest: %s and %s decode to different pixels\n", a, b);
    return 1;
  }
  return 0;
}

// Frames per entry of the soundtrack's index: about 0.2 s of sound, a
// small list, and a start that reads at most that much more.
constexpr int32_t sound_index_step = 8;

// The index of the soundtrack at `path`; empty, with one line on the
// standard error stream, when it cannot be read or decoded.
std::string soundtrack_index(const char* path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  std::vector<uint8_t> data(error ? 0 : size);
  std::FILE* file = error ? nullptr : std::fopen(path, "rb");
  const bool read = file != nullptr && std::fread(data.data(), 1, data.size(), file) == data.size();
  if (file != nullptr) std::fclose(file);
  SoundIndex index;
  if (!read) {
    std::fprintf(stderr, "sava-web-manifest: %s: cannot be read\n", path);
  } else if (decoder_build_index(data.data(), static_cast<int64_t>(data.size()), sound_index_step, &index) !=
             DECODE_OK) {
    std::fprintf(stderr, "sava-web-manifest: %s: holds no MPEG audio\n", path);
  } else {
    return sound_index_text(index);
  }
  return {};
}

std::string file_name(const char* path) { return std::filesystem::path(path).filename().string(); }

struct ManifestOptions {
  bool help = false;
  bool same_pixels = false;
};

const Option<ManifestOptions> manifest_options[] = {
    {"--same-pixels", nullptr, nullptr, "compare the pictures PICTURE and PICTURE instead of listing DATA_DIR",
     set_flag<&ManifestOptions::same_pixels>},
    {"--help", "-h", nullptr, "print this help and end",
     set_flag<&ManifestOptions::help>},
};

const char usage[] = "usage: sava-web-manifest DATA_DIR | --same-pixels PICTURE PICTURE";

}  // namespace

int main(int argc, char** argv) {
  ManifestOptions options;
  std::vector<const char*> operands;
  const Result<void> read =
      parse_options(std::span<const Option<ManifestOptions>>(manifest_options),
                    std::span<const char* const>(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0)),
                    UnknownArgument::refused, &options, &operands);
  if (options.help) {
    std::printf("%s\nWrites the list the web page loads the show by, as JSON on standard output.\n\nOptions:\n%s",
                usage, option_help(std::span<const Option<ManifestOptions>>(manifest_options)).c_str());
    return 0;
  }
  const size_t wanted = options.same_pixels ? 2 : 1;
  if (!read || operands.size() != wanted) {
    std::fprintf(stderr, "sava-web-manifest: %s (%s)\n",
                 !read ? read.error().c_str() : operands.size() < wanted ? "too few arguments" : "too many arguments",
                 usage + 7);
    return 2;
  }
  if (options.same_pixels) return same_pixels(operands[0], operands[1]);
  const ShowFiles files(operands[0]);
  ImageStore pictures;
  const StoreLoadResult loaded = pictures.load(files.picture_paths());
  if (!loaded.loaded()) {
    std::fprintf(stderr, "sava-web-manifest: %s\n", loaded.message().c_str());
    return 1;
  }
  std::error_code error;
  auto bytes = [&](const char* path) {
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
      std::fprintf(stderr, "sava-web-manifest: %s: %s\n", path, error.message().c_str());
      std::exit(1);
    }
    return static_cast<unsigned long long>(size);
  };

  std::string out = "{\"length_ms\": " + std::to_string(cue_table[cue_count - 1].time_ms) + ",\n";
  const std::string sound_index = soundtrack_index(files.soundtrack_path());
  if (sound_index.empty()) return 1;
  out += " \"soundtrack\": {\"file\": " + quoted(file_name(files.soundtrack_path())) +
         ", \"bytes\": " + std::to_string(bytes(files.soundtrack_path())) + ", \"index\": " + quoted(sound_index) +
         "},\n";
  out += " \"pictures\": [";
  for (int32_t i = 0; i < pictures.size(); ++i) {
    const char* path = files.picture_paths()[i];
    out += std::string(i ? ",\n  " : "\n  ") + "{\"file\": " + quoted(file_name(path)) +
           ", \"bytes\": " + std::to_string(bytes(path)) + ", \"width\": " + std::to_string(pictures[i]->width) +
           ", \"height\": " + std::to_string(pictures[i]->height) + "}";
  }
  out += "],\n \"scenes\": [";
  const std::vector<std::vector<int32_t>> by_scene = pictures_by_scene(pictures);
  for (int cue = 0; cue < cue_count; ++cue) {
    out += std::string(cue ? ",\n  " : "\n  ") + "{\"ms\": " + std::to_string(cue_table[cue].time_ms) +
           ", \"name\": " + quoted(cue_names[cue]) + ", \"pictures\": [";
    for (size_t k = 0; k < by_scene[static_cast<size_t>(cue)].size(); ++k) {
      out += (k ? ", " : "") + std::to_string(by_scene[static_cast<size_t>(cue)][k]);
    }
    out += "]}";
  }
  // What reduced flashing softens for these pictures: the page cannot run
  // the show ahead over pictures that arrive while it plays.
  out += "],\n \"softened\": [";
  const std::vector<SoftenedStretch> softened = find_softened_stretches(pictures);
  for (size_t k = 0; k < softened.size(); ++k) {
    const SoftenedStretch& s = softened[k];
    out += std::string(k ? ",\n  " : "\n  ") + "[" + std::to_string(s.from_ms) + ", " + std::to_string(s.to_ms) +
           ", " + std::to_string(s.contrast) + ", " + std::to_string(s.mean) + "]";
  }
  out += "]}\n";
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "sava-web-manifest: cannot write the list\n");
    return 1;
  }
  return 0;
}
