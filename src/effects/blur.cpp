#include "effects/blur.h"

#include <cstring>
#include <functional>
#include <memory>
#include <new>

#include "effects/blur_kernels.h"

namespace {

using BlurKernel = void (*)(const uint32_t*, uint32_t*, int32_t, int32_t, int32_t);

// Shared render of both blur directions. The size comes from dst and src
// is read with dst's row length, so src must hold at least W * H words;
// a src that is smaller (or a missing image) would be read out of bounds,
// and the render then leaves dst as it is.
void render_blur(const Image* src, Image* dst, int32_t size, BlurKernel kernel) {
  if (src == nullptr || dst == nullptr || src->pixels == nullptr || dst->pixels == nullptr) return;
  const int32_t w = dst->width;
  const int32_t h = dst->height;
  if (w <= 0 || h <= 0) return;
  const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  const int64_t src_count = int64_t{src->width > 0 ? src->width : 0} * (src->height > 0 ? src->height : 0);
  if (static_cast<std::size_t>(src_count) < count) return;

  if (size <= 2) {
    // Plain copy; memmove because src and dst may share pixels.
    if (src->pixels != dst->pixels) std::memmove(dst->pixels, src->pixels, count * sizeof(uint32_t));
    return;
  }

  // The kernels read src while writing dst; if the two share any pixel,
  // blur from a snapshot of src so that the result is the same average of
  // the original pixels as for separate images.
  const uint32_t* from = src->pixels;
  std::unique_ptr<uint32_t[]> snapshot;
  const auto* src_begin = src->pixels;
  const auto* dst_begin = dst->pixels;
  const bool overlap = std::less<const uint32_t*>()(src_begin, dst_begin + count) &&
                       std::less<const uint32_t*>()(dst_begin, src_begin + count);
  if (overlap) {
    // Render functions have no failure path: without memory for the
    // snapshot the frame keeps its old dst.
    snapshot.reset(new (std::nothrow) uint32_t[count]);
    if (!snapshot) return;
    std::memcpy(snapshot.get(), src->pixels, count * sizeof(uint32_t));
    from = snapshot.get();
  }
  kernel(from, dst->pixels, w, h, size);
}

}  // namespace

void horizontal_blur_render(const HorizontalBlurState& s, int32_t /*now_ms*/) {
  render_blur(s.src, s.dst, s.size, horizontal_blur_apply);
}

void vertical_blur_render(const VerticalBlurState& s, int32_t /*now_ms*/) {
  render_blur(s.src, s.dst, s.size, vertical_blur_apply);
}
