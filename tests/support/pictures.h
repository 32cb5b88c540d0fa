// Picture fixtures: files written through the project's PNG and JPEG
// writers, and hand-made files the writers would never make.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jpeg_write.h"
#include "png_write.h"

// A width x height RGB picture with a pattern in every channel, as a PNG, or
// as a JPEG (quality 90, 4:2:0).
std::vector<uint8_t> png_picture(int32_t width, int32_t height);
std::vector<uint8_t> jpeg_picture(int32_t width, int32_t height);

// A PNG of `format` whose samples (channels per pixel times width times
// height, row by row, each below 2^bit_depth) are given one value a sample.
std::vector<uint8_t> encode_png(uint32_t width, uint32_t height, const PngFormat& format,
                                const std::vector<uint16_t>& samples);
// An 8-bit RGB PNG of 0xRRGGBB words.
std::vector<uint8_t> encode_rgb_png(uint32_t width, uint32_t height, const std::vector<uint32_t>& rgb);
// A JPEG of `format` of width x height x samples-per-pixel bytes.
std::vector<uint8_t> encode_jpeg(uint32_t width, uint32_t height, const JpegFormat& format,
                                 const std::vector<uint8_t>& samples);

// JPEGs of the colour models a decoder meets, at quality 100 with every
// component at full resolution: as near to the samples as the format comes.
enum class JpegKind { ycbcr, rgb, grey, cmyk, ycck };
JpegFormat faithful_jpeg(JpegKind kind);

// An 8-bit grey PNG of width x height zero samples, a small file however
// large the picture, whose image data holds `extra_rows` more rows than the
// header announces.
std::vector<uint8_t> zero_png(uint32_t width, uint32_t height, uint32_t extra_rows = 0);
// A PNG of a signature, a header claiming the size (valid CRC), a token of
// image data and the end: enough for a reader to learn the size.
std::vector<uint8_t> png_claiming(uint32_t width, uint32_t height);
// A real 8 x 8 baseline JPEG whose frame header claims the size; its scan
// data is far too short for that size.
std::vector<uint8_t> jpeg_claiming(uint16_t width, uint16_t height);
// Offset of the first frame header marker (SOF0, SOF1 or SOF2) of a JPEG;
// its size fields follow at +5 (height) and +7 (width), the component count
// at +9. Throws if there is none.
size_t jpeg_frame_header(const std::vector<uint8_t>& jpeg);
