#include "show_fixture.h"

#include <cstdlib>

#include "image/image_store.h"
#include "show/cue_table.h"

namespace {

bool in(int32_t i, int32_t lo, int32_t hi) { return i >= lo && i <= hi; }

bool is_wide_photo(int32_t i) {
  return i == 4 || i == 8 || i == 40 || i == 45 || i == 50 || i == 55 || i == 84 || i == 88 ||
         i == 92 || i == 96 || i == 172;
}

bool is_screen_photo(int32_t i) {
  return i == 9 || in(i, 15, 22) || i == 31 || in(i, 60, 76) || i == 81 || i == 83 ||
         in(i, 100, 108) || i == 114 || in(i, 121, 171) || in(i, 185, 195) || in(i, 211, 223);
}

bool is_thumbnail(int32_t i) {
  return in(i, 41, 43) || in(i, 46, 48) || in(i, 51, 53) || in(i, 56, 58) || in(i, 85, 87) ||
         in(i, 89, 91) || in(i, 93, 95) || in(i, 97, 99) || in(i, 173, 184);
}

// A small xorshift generator, independent of rand() so that building the
// store never disturbs the sequence the scenes draw from.
uint32_t next_noise(uint32_t& s) {
  s ^= s << 13;
  s ^= s >> 17;
  s ^= s << 5;
  return s;
}

struct PictureSize {
  int32_t width;
  int32_t height;
};

PictureSize fixture_picture_size(int32_t index) {
  if (is_wide_photo(index)) return {1200, 320};
  if (is_screen_photo(index)) return {400, 300};
  if (is_thumbnail(index)) return {36, 36};
  if (index == 113) return {40, 120};
  if (index == 29 || index == 30) return {140, 24};
  if (index == 32) return {200, 90};  // the cut-out train
  return {80, 20};
}

// Fills an image with the fixture's deterministic content for `seed`.
// With `varied_alpha` the alpha byte takes 0, 255 and values in between;
// otherwise it is always 255.
void fill_fixture_picture(Image* image, uint32_t seed, bool varied_alpha) {
  uint32_t s = seed * 2654435761u + 0x9E3779B9u;
  if (s == 0) s = 1;
  const int32_t n = image->width * image->height;
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t r = next_noise(s);
    uint32_t alpha = 0xFF;
    if (varied_alpha) {
      // A quarter transparent, a quarter opaque, the rest anything.
      switch (r >> 30) {
        case 0: alpha = 0; break;
        case 1: alpha = 0xFF; break;
        default: alpha = (r >> 22) & 0xFF; break;
      }
    }
    image->pixels[i] = (alpha << 24) | (r & 0xFFFFFF);
  }
}

}  // namespace

void ShowFixture::SetUp() {
  screen_buffer.assign(static_cast<size_t>(screen_width) * screen_height, 0);
}

ImageStore ShowFixture::make_pictures() {
  ImageStore pictures;
  for (int32_t i = 0; i < picture_count; ++i) {
    PictureSize size = fixture_picture_size(i);
    const auto resized = resized_.find(i);
    bool varied_alpha = !is_wide_photo(i) && !is_screen_photo(i);
    if (resized != resized_.end()) {
      size = {resized->second.width, resized->second.height};
      varied_alpha = resized->second.varied_alpha;
    }
    Image image = Image::create(size.width, size.height).value();
    fill_fixture_picture(&image, static_cast<uint32_t>(i) + 1, varied_alpha);
    pictures.add(std::move(image));
  }
  return pictures;
}

Show& ShowFixture::show() {
  if (!show_) show_ = std::make_unique<Show>(make_pictures(), screen_buffer.data());
  return *show_;
}

void ShowFixture::resize_picture(int32_t index, int32_t width, int32_t height, bool varied_alpha) {
  ASSERT_EQ(show_, nullptr) << "pictures are resized before the show is made";
  resized_[index] = {width, height, varied_alpha};
}

void ShowFixture::forget_show() {
  show_.reset();
  resized_.clear();
}

void ShowFixture::run(int32_t now) { frame_step(show(), cue_table, now); }

void ShowFixture::run(std::initializer_list<int32_t> times) {
  for (int32_t t : times) run(t);
}

void ShowFixture::run_with(const Cue* table, int32_t now) { frame_step(show(), table, now); }

void ShowFixture::start(int cue, int32_t t) {
  show().next_cue = cue;
  run(cue_table[cue].time_ms + t);
}

int ShowFixture::list_length() {
  int n = 0;
  for (ListNode* node = show().display_list.head(); node != nullptr; node = node->next.get()) ++n;
  return n;
}

EffectObject* ShowFixture::object_at(int n) {
  ListNode* node = show().display_list.head();
  for (int i = 0; i < n && node != nullptr; ++i) node = node->next.get();
  return node == nullptr ? nullptr : node->object.get();
}

std::vector<EffectInitFn> ShowFixture::list_types() {
  std::vector<EffectInitFn> types;
  for (ListNode* node = show().display_list.head(); node != nullptr; node = node->next.get()) {
    types.push_back(node->object->init);
  }
  return types;
}

uint32_t ShowFixture::pixel(const Image* image, int32_t x, int32_t y) {
  EXPECT_TRUE(x >= 0 && x < image->width && y >= 0 && y < image->height) << "pixel (" << x << ", " << y << ")";
  if (x < 0 || x >= image->width || y < 0 || y >= image->height) return 0;
  return image->pixels[y * image->width + x];
}
