#include "player/web/web_screen.h"

#include <emscripten.h>

#include <algorithm>

#include "player/time_overlay.h"
#include "player/web/surface_layout.h"

namespace {

// The canvas shows `width` x `height` RGBA pixels at `pixels` in the
// program's memory. The image over that memory is made once and again only
// when the memory has grown (which replaces its buffer): no copy per frame.
EM_JS(void, canvas_put_pixels, (const void* pixels, int width, int height), {
  var shown = Module.savaCanvasImage;
  if (!shown || shown.pixels !== pixels || shown.image.data.buffer !== HEAPU8.buffer) {
    shown = Module.savaCanvasImage = {
      pixels: pixels,
      context: Module['canvas'].getContext('2d'),
      image: new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height),
    };
  }
  shown.context.putImageData(shown.image, 0, 0);
});

}  // namespace

WebScreen::WebScreen(const SDL_Surface* surface, int32_t width, int32_t height)
    : width_(width),
      height_(height),
      layout_(layout_from_masks(surface->format->BytesPerPixel, surface->format->Rmask, surface->format->Gmask,
                                surface->format->Bmask)),
      buffer_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u),
      canvas_pixels_(buffer_.size(), 0u) {}

void WebScreen::present(const uint32_t* frame, const std::vector<std::string>* overlay) {
  convert_to_layout(frame, width_, height_, reinterpret_cast<uint8_t*>(canvas_pixels_.data()), width_ * 4, layout_);
  if (overlay != nullptr) draw_overlay_on_canvas_pixels(frame, *overlay);
  canvas_put_pixels(canvas_pixels_.data(), width_, height_);
}

void WebScreen::draw_overlay_on_canvas_pixels(const uint32_t* frame, const std::vector<std::string>& lines) {
  const OverlayBox box = overlay_box(lines, width_, height_);
  overlay_pixels_.resize(static_cast<std::size_t>(box.width) * box.height);
  for (int32_t y = 0; y < box.height; ++y) {
    std::copy_n(frame + static_cast<std::size_t>(box.y + y) * width_ + box.x, box.width,
                overlay_pixels_.data() + static_cast<std::size_t>(y) * box.width);
  }
  draw_overlay(lines, overlay_pixels_.data(), box);
  uint32_t* const first = canvas_pixels_.data() + static_cast<std::size_t>(box.y) * width_ + box.x;
  convert_to_layout(overlay_pixels_.data(), box.width, box.height, reinterpret_cast<uint8_t*>(first), width_ * 4,
                    layout_);
}
