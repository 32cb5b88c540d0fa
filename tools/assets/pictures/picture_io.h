// Writing canvases as PNG and JPEG files. The files hold no time stamps or
// other varying data, so the same canvas always gives the same bytes.
#pragma once

#include <string>

#include "canvas.h"

namespace assets {

// 8-bit RGBA (alpha = coverage) or RGB, zlib level 9.
bool write_png(const std::string& path, const Canvas& canvas, bool with_alpha,
               std::string* error);
// Baseline JPEG, 4:2:0, the given quality.
bool write_jpeg(const std::string& path, const Canvas& canvas, int quality, std::string* error);

}  // namespace assets
