#include "mp3_tags.h"

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
