#include "mp3_fixture.h"

#include <unistd.h>

#include <lame/lame.h>
#include <mpg123.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

std::vector<uint8_t> encode_mp3(const std::vector<int16_t>& samples, const Mp3Options& options) {
  std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> lame(lame_init(), lame_close);
  if (!lame) throw std::runtime_error("lame_init failed");
  lame_global_flags* gf = lame.get();
  lame_set_in_samplerate(gf, options.rate);
  lame_set_out_samplerate(gf, options.rate);
  lame_set_num_channels(gf, options.channels);
  lame_set_mode(gf, options.channels == 1 ? MONO : JOINT_STEREO);
  if (options.vbr) {
    lame_set_VBR(gf, vbr_default);
    lame_set_VBR_quality(gf, 4);
  } else {
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, options.kbps);
  }
  lame_set_quality(gf, 7);
  lame_set_bWriteVbrTag(gf, options.info_tag ? 1 : 0);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) throw std::runtime_error("lame_init_params failed");

  const int frames = static_cast<int>(samples.size()) / options.channels;
  std::vector<uint8_t> out(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
  int written = 0;
  if (options.channels == 2) {
    written = lame_encode_buffer_interleaved(gf, const_cast<short*>(samples.data()), frames,
                                             out.data(), static_cast<int>(out.size()));
  } else {
    written = lame_encode_buffer(gf, samples.data(), samples.data(), frames, out.data(),
                                 static_cast<int>(out.size()));
  }
  if (written < 0) throw std::runtime_error("lame_encode_buffer failed");
  const int flushed = lame_encode_flush(gf, out.data() + written, static_cast<int>(out.size()) - written);
  if (flushed < 0) throw std::runtime_error("lame_encode_flush failed");
  out.resize(static_cast<size_t>(written + flushed));
  if (options.info_tag) {
    // The encoder left room for the info frame at the start; fill in the
    // final one now that delay, padding and frame count are known.
    std::vector<uint8_t> tag(4096);
    const size_t n = lame_get_lametag_frame(gf, tag.data(), tag.size());
    if (n == 0 || n > tag.size() || n > out.size()) throw std::runtime_error("no info frame");
    std::copy(tag.begin(), tag.begin() + static_cast<long>(n), out.begin());
  }
  return out;
}

std::vector<int16_t> test_signal(int frames, int channels, int rate) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double left = 0.45 * std::sin(2 * 3.141592653589793 * (220.0 + 400.0 * t) * t) +
                        0.2 * (static_cast<double>(i) / frames - 0.5);
    const double right = 0.4 * std::sin(2 * 3.141592653589793 * (660.0 - 300.0 * t) * t + 1.0);
    samples[static_cast<size_t>(i) * channels] = static_cast<int16_t>(left * 32767);
    if (channels == 2) samples[static_cast<size_t>(i) * 2 + 1] = static_cast<int16_t>(right * 32767);
  }
  return samples;
}

std::vector<uint8_t> id3v2_tag(const std::string& title, int padding) {
  std::vector<uint8_t> frame = {'T', 'I', 'T', '2'};
  const uint32_t frame_size = static_cast<uint32_t>(title.size() + 1);
  for (int shift = 24; shift >= 0; shift -= 8) frame.push_back(static_cast<uint8_t>(frame_size >> shift));
  frame.push_back(0);
  frame.push_back(0);
  frame.push_back(0);  // ISO 8859-1 text
  frame.insert(frame.end(), title.begin(), title.end());
  frame.insert(frame.end(), static_cast<size_t>(padding), 0);

  const uint32_t size = static_cast<uint32_t>(frame.size());
  std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0};
  for (int shift = 21; shift >= 0; shift -= 7) tag.push_back(static_cast<uint8_t>((size >> shift) & 0x7F));
  tag.insert(tag.end(), frame.begin(), frame.end());
  return tag;
}

std::vector<uint8_t> id3v1_tag(const std::string& title) {
  std::vector<uint8_t> tag(128, 0);
  tag[0] = 'T';
  tag[1] = 'A';
  tag[2] = 'G';
  for (size_t i = 0; i < title.size() && i < 30; ++i) tag[3 + i] = static_cast<uint8_t>(title[i]);
  tag[127] = 255;  // no genre
  return tag;
}

namespace {
void put_le32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put_ape_header(std::vector<uint8_t>& out, uint32_t tag_size, bool is_header) {
  const char* id = "APETAGEX";
  out.insert(out.end(), id, id + 8);
  put_le32(out, 2000);
  put_le32(out, tag_size);
  put_le32(out, 1);
  put_le32(out, 0x80000000u | (is_header ? 0x20000000u : 0));
  out.insert(out.end(), 8, 0);
}
}  // namespace

std::vector<uint8_t> ape_tag(const std::string& key, const std::string& value) {
  std::vector<uint8_t> item;
  put_le32(item, static_cast<uint32_t>(value.size()));
  put_le32(item, 0);
  item.insert(item.end(), key.begin(), key.end());
  item.push_back(0);
  item.insert(item.end(), value.begin(), value.end());
  const uint32_t tag_size = static_cast<uint32_t>(item.size() + 32);
  std::vector<uint8_t> tag;
  put_ape_header(tag, tag_size, true);
  tag.insert(tag.end(), item.begin(), item.end());
  put_ape_header(tag, tag_size, false);
  return tag;
}

std::vector<int16_t> reference_decode(const std::string& path) {
  int err = MPG123_OK;
  std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> mh(mpg123_new(nullptr, &err), mpg123_delete);
  if (!mh) throw std::runtime_error("mpg123_new failed");
  mpg123_param(mh.get(), MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
  mpg123_format_none(mh.get());
  mpg123_format(mh.get(), 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(mh.get(), path.c_str()) != MPG123_OK) throw std::runtime_error("mpg123_open failed");
  std::vector<int16_t> pcm;
  std::vector<unsigned char> buf(16384);
  for (;;) {
    size_t done = 0;
    const int r = mpg123_read(mh.get(), buf.data(), buf.size(), &done);
    const auto* s = reinterpret_cast<const int16_t*>(buf.data());
    pcm.insert(pcm.end(), s, s + done / 2);
    if (r == MPG123_DONE) break;
    if (r != MPG123_OK && r != MPG123_NEW_FORMAT) throw std::runtime_error(mpg123_strerror(mh.get()));
  }
  mpg123_close(mh.get());
  return pcm;
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!f || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()))
    throw std::runtime_error("cannot write " + path);
}

std::string fixture_path(const std::string& name) {
  // CTest runs tests in parallel, each in its own process: the process id
  // keeps one test's fixture from being rewritten under another's reader.
  return std::string(SAVA_BINARY_DIR) + "/music_fixture_" + name + "_" + std::to_string(::getpid()) + ".mp3";
}
