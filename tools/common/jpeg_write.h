// JPEG files through libjpeg, for the tools and the tests' fixtures: one
// place for the library's error handling. A failure comes back as its
// one-line reason. The same samples give the same bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/result.h"

// What the rows hold: 1, 3 or 4 samples a pixel.
enum class JpegSamples { grey, rgb, cmyk };

// How the file stores them: the library's usual choice (YCbCr for RGB, grey
// for grey, CMYK for CMYK), or RGB as it is, or CMYK as YCCK.
enum class JpegStorage { usual, rgb, ycck };

struct JpegFormat {
  JpegSamples samples = JpegSamples::rgb;
  JpegStorage storage = JpegStorage::usual;
  int quality = 75;          // 1 to 100
  bool full_chroma = false;  // every component at full resolution (else the usual 4:2:0)
  bool optimize = false;     // Huffman tables made for this picture
  bool progressive = false;  // the library's simple progression
  bool arithmetic = false;   // arithmetic coding instead of Huffman
};

// `height` rows of width x samples-per-pixel bytes.
Result<void> jpeg_write(std::FILE* file, const JpegFormat& format, uint32_t width, uint32_t height,
                        const uint8_t* const* rows);
Result<void> jpeg_write(std::vector<uint8_t>* out, const JpegFormat& format, uint32_t width, uint32_t height,
                        const uint8_t* const* rows);
