// The tags found around the MP3 data of real files, made by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A 10-byte ID3v2.3 header and one text frame, `padding` zero bytes after it.
std::vector<uint8_t> id3v2_tag(const std::string& title, int padding);
// The 128-byte ID3v1 tag ("TAG", title, ...).
std::vector<uint8_t> id3v1_tag(const std::string& title);
// An APEv2 tag with one item, header and footer.
std::vector<uint8_t> ape_tag(const std::string& key, const std::string& value);
