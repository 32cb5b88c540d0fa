#include "reliability_support.h"

#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <thread>

#include <jpeglib.h>
#include <lame/lame.h>
#include <zlib.h>

#include "show/picture_needs.h"
#include "show/show_files.h"
#include "support/child_process.h"

namespace reliability {

namespace fs = std::filesystem;

namespace {

Size at_least(Size size, Size floor) {
  return {std::max(size.width, floor.width), std::max(size.height, floor.height)};
}

Size roomy_size(int32_t index) {
  const std::string path = picture_paths[index];
  const NeededSize least = least_needed_size(index);
  Size size{least.width, least.height};
  if (index == 14) {
    size = {320, 90};  // the title, larger than its 200x40 bar
  } else if (index >= 15 && index <= 22) {
    size = {480, 360};  // traffic photographs drawn through the scaled path
  } else if (index == 60) {
    size = {400, 300};
  } else if (index >= 61 && index <= 75) {
    size = {480, 360};  // laptops larger than the first
  } else if (index == 113) {
    size = {60, 150};  // the strip
  } else if (index == 223) {
    size = {640, 480};  // the end picture, scaled
  } else if (path.find("small") != std::string::npos) {
    size = {24 + index % 7 * 5, 20 + index % 5 * 7};  // thumbnails, each its own size
  } else if (least.width == 1 || least.height == 1) {
    // Words, labels and the like, larger than their places.
    size = at_least({180 + index * 37 % 240, 40 + index * 13 % 50}, size);
  }
  // Keyword photographs keep their least size, exactly 400x300.
  for (const PictureNeed& need : picture_needs()) {
    if (need.reference >= 0 && need_covers(need, index)) size = at_least(size, roomy_size(need.reference));
  }
  return size;
}

}  // namespace

std::vector<ShortPicture> short_pictures() {
  std::vector<ShortPicture> cases;
  const auto needs = picture_needs();
  for (int32_t n = 0; n < static_cast<int32_t>(needs.size()); ++n) {
    const PictureNeed& need = needs[n];
    // The pictures of the need, and its reference, all at one size that
    // meets every need of theirs: the bound of this need on each side.
    std::map<int32_t, Size> sizes;
    Size bound{need.width, need.height};
    if (need.reference >= 0) {
      bound = at_least(picture_size(need.reference, PictureSet::smallest), {40, 30});
      for (const PictureRange& range : need.pictures) {
        for (int32_t i = range.first; i <= range.last; ++i) bound = at_least(bound, picture_size(i, PictureSet::smallest));
      }
      sizes[need.reference] = bound;
      for (const PictureRange& range : need.pictures) {
        for (int32_t i = range.first; i <= range.last; ++i) sizes[i] = bound;
      }
    }
    for (const PictureRange& range : need.pictures) {
      for (int32_t i = range.first; i <= range.last; ++i) {
        const Size least = sizes.count(i) != 0 ? sizes[i] : picture_size(i, PictureSet::smallest);
        std::vector<Size> short_sizes;
        if (bound.width > 1) short_sizes.push_back({bound.width - 1, least.height});
        if (bound.height > 1) short_sizes.push_back({least.width, bound.height - 1});
        if (need.exact_width) short_sizes.push_back({bound.width + 1, least.height});
        for (const Size size : short_sizes) {
          ShortPicture c{n, i, size, sizes};
          c.sizes[i] = size;
          cases.push_back(c);
        }
      }
    }
  }
  return cases;
}

Size picture_size(int32_t index, PictureSet set) {
  if (set == PictureSet::roomy) return roomy_size(index);
  const NeededSize least = least_needed_size(index);
  if (set == PictureSet::fitting) return at_least({least.width, least.height}, {64, 24});
  return {least.width, least.height};
}

namespace {

std::vector<uint8_t> pattern_rgb(int32_t width, int32_t height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<uint8_t>(x * 7 + y);
      p[1] = static_cast<uint8_t>(y * 5);
      p[2] = static_cast<uint8_t>((x ^ y) * 3);
    }
  }
  return rgb;
}

}  // namespace

namespace {

void put32_be(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void put_png_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  put32_be(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32_be(out, static_cast<uint32_t>(crc32(0L, &out[start], static_cast<uInt>(out.size() - start))));
}

}  // namespace

std::vector<uint8_t> zero_png(uint32_t width, uint32_t height, uint32_t extra_rows) {
  std::vector<uint8_t> out = {137, 80, 78, 71, 13, 10, 26, 10};
  std::vector<uint8_t> ihdr;
  put32_be(ihdr, width);
  put32_be(ihdr, height);
  ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});
  put_png_chunk(out, "IHDR", ihdr);

  // Deflated row by row so that the raw rows never sit in memory at once.
  z_stream z{};
  if (deflateInit(&z, Z_BEST_COMPRESSION) != Z_OK) throw std::runtime_error("deflateInit failed");
  const std::vector<uint8_t> row(static_cast<size_t>(width) + 1, 0);  // filter byte 0, then samples
  std::vector<uint8_t> idat;
  std::vector<uint8_t> buffer(1 << 16);
  const uint64_t rows = static_cast<uint64_t>(height) + extra_rows;
  for (uint64_t y = 0; y <= rows; ++y) {
    const bool last = y == rows;
    z.next_in = const_cast<Bytef*>(row.data());
    z.avail_in = last ? 0 : static_cast<uInt>(row.size());
    int result;
    do {
      z.next_out = buffer.data();
      z.avail_out = static_cast<uInt>(buffer.size());
      result = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      idat.insert(idat.end(), buffer.data(), buffer.data() + (buffer.size() - z.avail_out));
    } while (z.avail_out == 0 || (last && result != Z_STREAM_END));
  }
  deflateEnd(&z);
  put_png_chunk(out, "IDAT", idat);
  put_png_chunk(out, "IEND", {});
  return out;
}

std::vector<uint8_t> encode_png_picture(int32_t width, int32_t height) {
  const std::vector<uint8_t> rgb = pattern_rgb(width, height);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) {
    throw std::runtime_error("PNG encoding failed");
  }
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgb.data(), 0, nullptr)) {
    throw std::runtime_error("PNG encoding failed");
  }
  out.resize(size);
  return out;
}

std::vector<uint8_t> encode_jpeg_picture(int32_t width, int32_t height) {
  const std::vector<uint8_t> rgb = pattern_rgb(width, height);
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);  // a fixed valid picture: errors cannot arise
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<size_t>(cinfo.next_scanline) * width * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

std::vector<uint8_t> encode_track(int frames, int rate, int channels) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  double phase_left = 0.0, phase_right = 0.0;
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    phase_left += 2.0 * M_PI * (220.0 + 400.0 * t) / rate;
    phase_right += 2.0 * M_PI * (330.0 + 250.0 * t) / rate;
    const double ramp = static_cast<double>(i) / frames;
    samples[static_cast<size_t>(i) * channels] =
        static_cast<int16_t>(9000.0 * std::sin(phase_left) + 4000.0 * ramp);
    if (channels == 2) samples[static_cast<size_t>(i) * 2 + 1] = static_cast<int16_t>(9000.0 * std::sin(phase_right));
  }
  std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> lame(lame_init(), lame_close);
  if (!lame) throw std::runtime_error("lame_init failed");
  lame_global_flags* gf = lame.get();
  lame_set_in_samplerate(gf, rate);
  lame_set_out_samplerate(gf, rate);
  lame_set_num_channels(gf, channels);
  lame_set_mode(gf, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(gf, rate >= 32000 ? 128 : 64);
  lame_set_quality(gf, 7);
  lame_set_bWriteVbrTag(gf, 1);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) throw std::runtime_error("lame_init_params failed");
  std::vector<uint8_t> out(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
  int written = 0;
  if (channels == 2) {
    written = lame_encode_buffer_interleaved(gf, samples.data(), frames, out.data(), static_cast<int>(out.size()));
  } else {
    written = lame_encode_buffer(gf, samples.data(), samples.data(), frames, out.data(), static_cast<int>(out.size()));
  }
  if (written < 0) throw std::runtime_error("lame_encode_buffer failed");
  const int flushed = lame_encode_flush(gf, out.data() + written, static_cast<int>(out.size()) - written);
  if (flushed < 0) throw std::runtime_error("lame_encode_flush failed");
  out.resize(static_cast<size_t>(written + flushed));
  // The info frame, written in place of the first frame once all is known.
  std::vector<uint8_t> tag(2880);
  const size_t n = lame_get_lametag_frame(gf, tag.data(), tag.size());
  if (n == 0 || n > out.size()) throw std::runtime_error("no info frame");
  std::copy(tag.begin(), tag.begin() + static_cast<long>(n), out.begin());
  return out;
}

std::vector<uint8_t> read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

const std::vector<uint8_t>& fitting_soundtrack() {
  static const std::vector<uint8_t> track = encode_track(3 * 44100);
  return track;
}

namespace {

// The pictures and the soundtrack, encoded once per process (and per
// picture set) into a folder that lives as long as the process.
std::string write_master_data(PictureSet set) {
  static Scratch master_folders;
  const std::string master = master_folders.path() + "/set" + std::to_string(static_cast<int>(set));
  fs::create_directories(fs::path(master) / "data");
  std::map<std::pair<int32_t, int32_t>, std::vector<uint8_t>> png_cache, jpeg_cache;
  for (int32_t i = 0; i < picture_count; ++i) {
    const Size size = picture_size(i, set);
    const std::string path = picture_paths[i];
    const bool jpeg = path.ends_with(".jpg");
    auto& cache = jpeg ? jpeg_cache : png_cache;
    auto& bytes = cache[{size.width, size.height}];
    if (bytes.empty()) {
      bytes = jpeg ? encode_jpeg_picture(size.width, size.height) : encode_png_picture(size.width, size.height);
    }
    write_bytes((fs::path(master) / path).string(), bytes);
  }
  write_bytes((fs::path(master) / "data/rinnu.mp3").string(), fitting_soundtrack());
  return master;
}

const std::string& master_data(PictureSet set) {
  static std::map<PictureSet, std::string> masters;
  auto found = masters.find(set);
  if (found == masters.end()) found = masters.emplace(set, write_master_data(set)).first;
  return found->second;
}

}  // namespace

void write_fitting_show_data(const std::string& dir, const std::map<std::string, std::vector<uint8_t>>& replace,
                             PictureSet set) {
  const fs::path master = master_data(set);
  const fs::path data = fs::path(dir) / "data";
  fs::create_directories(data);
  for (const auto& entry : fs::directory_iterator(master / "data")) {
    const std::string relative = "data/" + entry.path().filename().string();
    if (replace.count(relative) != 0) continue;
    // Linked where the folders share a file system, copied elsewhere.
    std::error_code error;
    fs::create_hard_link(entry.path(), data / entry.path().filename(), error);
    if (error) fs::copy_file(entry.path(), data / entry.path().filename(), fs::copy_options::overwrite_existing);
  }
  for (const auto& [relative, bytes] : replace) {
    if (!bytes.empty()) write_bytes((fs::path(dir) / relative).string(), bytes);
  }
}

Outcome run(const Launch& launch) {
  ChildLaunch child;
  child.program = launch.program;
  child.args = launch.args;
  child.working_dir = launch.working_dir;
  child.env = launch.env;
  child.signal = launch.signal;
  child.signal_after_ms = launch.signal_after_ms;
  child.signal_when = launch.signal_when;
  child.timeout_ms = launch.timeout_ms;
  const ChildRun done = run_child(child);
  Outcome outcome;
  outcome.exited = done.exited;
  outcome.status = done.exit_status;
  outcome.signal = done.term_signal;
  outcome.timed_out = done.timed_out;
  outcome.out = done.out;
  outcome.err = done.err;
  return outcome;
}

std::vector<std::pair<std::string, std::string>> headless_env(const std::string& dir) {
  const char* lsan = std::getenv("LSAN_OPTIONS");
  return {{"SDL_VIDEODRIVER", "dummy"},
          {"SDL_AUDIODRIVER", "disk"},
          {"SDL_DISKAUDIOFILE", dir + "/audio.raw"},
          {"LSAN_OPTIONS", std::string(lsan != nullptr ? lsan : "") +
                               ":suppressions=" SAVA_SOURCE_DIR "/tests/reliability/lsan_suppressions.txt"}};
}

}  // namespace reliability
