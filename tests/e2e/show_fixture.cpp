#include "show_fixture.h"

#include <lame/lame.h>
#include <mpg123.h>
#include <png.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>

#include "show/picture_needs.h"
#include "show/show_files.h"

namespace fs = std::filesystem;

std::vector<uint8_t> encode_png(int width, int height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(y * 3);
      p[2] = static_cast<uint8_t>((x ^ y) + 64);
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) {
    throw std::runtime_error(std::string("png size: ") + image.message);
  }
  std::vector<uint8_t> png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr)) {
    throw std::runtime_error(std::string("png write: ") + image.message);
  }
  png.resize(size);
  return png;
}

std::vector<uint8_t> encode_mp3(double seconds, int rate) {
  const int frames = static_cast<int>(seconds * rate);
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    // Offsets keep the very first samples away from zero, so the start of
    // the sound can be found in a recording that begins with silence.
    pcm[static_cast<size_t>(i) * 2] =
        static_cast<int16_t>(32767 * (0.4 * std::sin(2 * 3.141592653589793 * (300.0 + 200.0 * t) * t) + 0.25));
    pcm[static_cast<size_t>(i) * 2 + 1] =
        static_cast<int16_t>(32767 * (0.35 * std::sin(2 * 3.141592653589793 * 523.0 * t + 1.0) - 0.2));
  }

  std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> lame(lame_init(), lame_close);
  if (!lame) throw std::runtime_error("lame_init failed");
  lame_global_flags* gf = lame.get();
  lame_set_in_samplerate(gf, rate);
  lame_set_out_samplerate(gf, rate);
  lame_set_num_channels(gf, 2);
  lame_set_brate(gf, 128);
  lame_set_quality(gf, 7);
  lame_set_bWriteVbrTag(gf, 1);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) throw std::runtime_error("lame_init_params failed");

  std::vector<uint8_t> out(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
  const int written = lame_encode_buffer_interleaved(gf, pcm.data(), frames, out.data(), static_cast<int>(out.size()));
  if (written < 0) throw std::runtime_error("lame_encode_buffer failed");
  const int flushed = lame_encode_flush(gf, out.data() + written, static_cast<int>(out.size()) - written);
  if (flushed < 0) throw std::runtime_error("lame_encode_flush failed");
  out.resize(static_cast<size_t>(written) + static_cast<size_t>(flushed));
  // The encoder reserved the first frame; the info frame with the final
  // delay and padding goes there.
  std::vector<uint8_t> tag(4096);
  const size_t n = lame_get_lametag_frame(gf, tag.data(), tag.size());
  if (n == 0 || n > tag.size() || n > out.size()) throw std::runtime_error("no info frame");
  std::copy_n(tag.begin(), n, out.begin());
  return out;
}

std::vector<uint8_t> reference_decode(const std::string& path) {
  int error = MPG123_OK;
  std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> handle(mpg123_new(nullptr, &error), mpg123_delete);
  if (!handle) throw std::runtime_error("mpg123_new failed");
  mpg123_handle* mh = handle.get();
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
  mpg123_format_none(mh);
  mpg123_format(mh, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(mh, path.c_str()) != MPG123_OK) throw std::runtime_error("mpg123_open failed");
  std::vector<uint8_t> pcm;
  std::vector<uint8_t> buffer(65536);
  for (;;) {
    size_t done = 0;
    const int result = mpg123_read(mh, buffer.data(), buffer.size(), &done);
    pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + static_cast<long>(done));
    if (result == MPG123_NEW_FORMAT || result == MPG123_OK) continue;
    if (result == MPG123_DONE) break;
    mpg123_close(mh);
    throw std::runtime_error(std::string("mpg123_read: ") + mpg123_strerror(mh));
  }
  mpg123_close(mh);
  return pcm;
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

// A size every scene accepts for picture `index`: the least the show needs
// of it, but at least 64x24.
std::pair<int, int> fixture_size(int32_t index) {
  const NeededSize least = least_needed_size(index);
  return {std::max(least.width, 64), std::max(least.height, 24)};
}

}  // namespace

void write_show_data(const std::string& dir, const std::vector<uint8_t>& soundtrack, const std::vector<int>& omit) {
  fs::create_directories(fs::path(dir) / "data");
  // One encoded picture per size, shared by every path of that size.
  static std::map<std::pair<int, int>, std::vector<uint8_t>> pictures;
  for (int i = 0; picture_paths[i] != nullptr; ++i) {
    if (std::find(omit.begin(), omit.end(), i) != omit.end()) continue;
    const std::pair<int, int> size = fixture_size(i);
    auto found = pictures.find(size);
    if (found == pictures.end()) found = pictures.emplace(size, encode_png(size.first, size.second)).first;
    write_file((fs::path(dir) / picture_paths[i]).string(), found->second);
  }
  if (!soundtrack.empty()) write_file((fs::path(dir) / "data/rinnu.mp3").string(), soundtrack);
}

const std::vector<uint8_t>& fixture_picture() {
  // Wide and tall enough for every rectangle the scenes read (the panorama
  // scroll reaches column 1158).
  static const std::vector<uint8_t> png = encode_png(1200, 320);
  return png;
}

const std::vector<uint8_t>& fixture_soundtrack() {
  static const std::vector<uint8_t> mp3 = encode_mp3(5.0);
  return mp3;
}
