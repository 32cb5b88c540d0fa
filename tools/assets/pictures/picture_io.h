// Writing canvases as PNG and JPEG files. The files hold no time stamps or
// other varying data, so the same canvas always gives the same bytes.
#pragma once

#include <string>

#include "base/result.h"
#include "canvas.h"

namespace assets {

// 8-bit RGBA (alpha = coverage) or RGB, zlib level 9.
Result<void> write_png(const std::string& path, const Canvas& canvas, bool with_alpha);
// Baseline JPEG, 4:2:0, the given quality.
Result<void> write_jpeg(const std::string& path, const Canvas& canvas, int quality);

}  // namespace assets
