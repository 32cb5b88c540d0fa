#include "catalogue.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "show/show_files.h"
#include "picture_io.h"

namespace assets {

namespace {

constexpr int jpeg_quality = 90;
constexpr int thumb = 36;  // thumbnails sit 41 pixels apart

constexpr Recipe photo(Maker make, int w, int h, int variant = 0, int frame = 0, int frames = 1) {
  Recipe s;
  s.make = make;
  s.width = w;
  s.height = h;
  s.variant = variant;
  s.frame = frame;
  s.frames = frames;
  return s;
}

constexpr Recipe word(const char* text, int box_w, int box_h, WordLook look = WordLook::light,
                    int min_width = 0) {
  Recipe s;
  s.make = make_word;
  s.width = box_w;
  s.height = box_h;
  s.text = text;
  s.look = look;
  s.min_width = min_width;
  return s;
}

// A word of a line of words: fixed size, its baseline at a given row.
constexpr Recipe line_word(const char* text, int pixel_size, int baseline, int box_w, int box_h,
                         WordLook look = WordLook::light, int indent = 0) {
  Recipe s = word(text, box_w, box_h, look);
  s.pixel_size = pixel_size;
  s.baseline = baseline;
  s.indent = indent;
  return s;
}

constexpr Recipe thumbnail(int parent, int frame) {
  Recipe s = photo(make_thumbnail, thumb, thumb, 0, frame);
  s.parent = parent;
  return s;
}

struct Entry {
  int first;
  int count;  // a run of `count` pictures; frame = position in the run
  Recipe recipe;
};

constexpr WordLook bare = WordLook::light_bare;
constexpr int keyword_w = 640;  // keyword photographs: the view cuts to the right end

constexpr Entry entries[] = {
    // "convexa : 2002" at rest at (8, 150), (135, 161), (140, 151): one line
    // with its baseline on screen row 176, just above the lower light line;
    // the year starts a space after the colon.
    {0, 1, line_word("convexa", 24, 26, 126, 32, bare)},
    {1, 1, line_word(":", 24, 15, 5, 24, bare)},
    {2, 1, line_word("2002", 24, 25, 200, 32, bare, 8)},
    {3, 1, word("helsinki", 58, 20, bare)},
    {4, 1, photo(make_industry, 560, 300, 6)},
    // "yrH ToLVaS" at (180, 84) and (205, 78): baselines on screen row 101.
    {5, 1, line_word("yrH", 10, 17, 28, 24)},
    {6, 1, line_word("ToLVaS", 28, 23, 160, 28)},
    {7, 1, word("present", 130, 20)},
    {8, 1, photo(make_industry, 520, 300, 0)},
    {9, 1, photo(make_industry, 400, 300, 8)},
    {10, 1, word("design", 400, 110, WordLook::faint_big)},
    {11, 1, word("engineering", 400, 90, WordLook::faint_big)},
    {12, 1, word("crossplatform", 215, 36)},
    {13, 1, word("demo", 60, 30)},
    {14, 1, word("s\xC3\xA4v\xC3\xA4", 196, 38, WordLook::title)},
    {15, 8, photo(make_traffic, 400, 300)},
    {23, 1, word("traffic", 84, 26)},
    {24, 1, word("jam", 114, 26)},
    {25, 1, word("instant", 70, 33)},
    {26, 1, word("mobility", 160, 33)},
    {27, 1, word("traffic bullshit", 199, 40)},
    {28, 1, word("traffic bullshit", 142, 40, WordLook::warm)},
    {29, 1, word("bullshit", 100, 26, WordLook::light, 140)},
    {30, 1, word("bullshit", 100, 26, WordLook::dark, 140)},
    {31, 1, photo(make_train_photo, 400, 300)},
    {32, 1, photo(make_train_cutout, 440, 150)},
    {33, 1, word("straight electric", 156, 30)},
    {34, 1, word("locomotives", 152, 30)},
    {35, 1, word("take", 120, 23)},
    {36, 1, word("you", 120, 25)},
    {37, 1, word("there", 140, 30)},
    {38, 1, word("but", 30, 30)},
    {39, 1, word("where", 150, 32)},
    {40, 1, photo(make_industry, keyword_w, 300, 1)},
    {41, 3, thumbnail(40, 0)},
    {44, 1, word("energy", 260, 48)},
    {45, 1, photo(make_industry, keyword_w, 300, 4)},
    {46, 3, thumbnail(45, 0)},
    {49, 1, word("machinery", 260, 48)},
    {50, 1, photo(make_industry, keyword_w, 300, 2)},
    {51, 3, thumbnail(50, 0)},
    {54, 1, word("electricity", 260, 48)},
    {55, 1, photo(make_traffic, keyword_w, 300, 8)},
    {56, 3, thumbnail(55, 0)},
    {59, 1, word("technology", 260, 48)},
    {60, 16, photo(make_laptop, 400, 300)},
    {76, 1, photo(make_motherboard, 400, 300)},
    {77, 1, word("mobile", 200, 40)},
    {78, 1, word("computing", 175, 36)},
    {79, 1, word("whenever", 200, 40)},
    {80, 1, word("whereever", 220, 40)},
    {81, 1, photo(make_phone, 400, 300)},
    {82, 1, photo(make_phonebox, 134, 290)},
    {83, 1, photo(make_coverage, 400, 300)},
    {84, 1, photo(make_industry, keyword_w, 300, 3)},
    {85, 3, thumbnail(84, 0)},
    {88, 1, photo(make_industry, keyword_w, 300, 5)},
    {89, 3, thumbnail(88, 0)},
    {92, 1, photo(make_industry, keyword_w, 300, 7)},
    {93, 3, thumbnail(92, 0)},
    {96, 1, photo(make_traffic, keyword_w, 300, 9)},
    {97, 3, thumbnail(96, 0)},
    {100, 9, photo(make_fuel, 400, 300)},
    {109, 1, word("technology", 200, 23)},
    {110, 1, word("possibility", 200, 28)},
    {111, 1, word("answer", 160, 20)},
    {112, 1, word("problems", 180, 28)},
    {113, 1, photo(make_binary, 110, 77)},
    {114, 1, photo(make_eye, 800, 600)},
    {115, 1, word("what", 68, 28)},
    {116, 1, word("about", 120, 27)},
    {117, 1, word("the", 39, 30)},
    {118, 1, word("problems", 234, 46)},
    {119, 1, word("of the", 53, 24)},
    {120, 1, word("mind", 120, 50)},
    {121, 15, photo(make_stairs, 400, 300)},
    {136, 1, word("fear", 180, 70)},
    {137, 1, word("insecurity", 200, 60)},
    {138, 1, word("loneliness", 200, 60)},
    {139, 1, word("insanity", 250, 70)},
    {140, 15, photo(make_basement, 400, 300)},
    {155, 9, photo(make_elevator, 400, 300)},
    {164, 8, photo(make_series, 400, 300)},
    {172, 1, photo(make_panorama, 1200, 300)},
    {173, 12, thumbnail(172, 0)},
    {185, 1, photo(make_beer, 170, 300)},
    {186, 4, photo(make_water, 400, 300)},
    {190, 1, word("peace of mind", 155, 40, WordLook::warm)},
    {191, 1, word("escaping reality", 380, 50, WordLook::warm)},
    {192, 4, photo(make_stage, 400, 300)},
    {196, 1, word("credits", 230, 50)},
    {197, 1, word("kode", 150, 32)},
    {198, 1, word("gfx", 150, 32)},
    {199, 1, word("musik", 150, 32)},
    {200, 1, word("design", 150, 32)},
    {201, 1, word("pelsi", 150, 32)},
    {202, 1, word("thanks", 230, 50)},
    {203, 1, word("inspiration", 150, 32)},
    {204, 1, word("vaskel", 150, 32)},
    {205, 1, word("brannik", 150, 32)},
    {206, 1, word("support", 150, 32)},
    {207, 1, word("tolmar", 150, 32)},
    {208, 1, word("pkt", 150, 32)},
    {209, 2, photo(make_design_overlay, 400, 300)},
    {211, 4, photo(make_design_print, 400, 300)},
    {215, 1, photo(make_symbol, 56, 56)},
    {216, 4, photo(make_mixer, 400, 300)},
    {220, 3, photo(make_equipment, 400, 300)},
    {223, 1, photo(make_end_screen, 400, 300)},
};

std::array<Recipe, picture_count> expand() {
  std::array<Recipe, picture_count> recipes{};
  std::array<bool, picture_count> seen{};
  for (const Entry& e : entries)
    for (int i = 0; i < e.count; ++i) {
      Recipe s = e.recipe;
      s.frame = i;
      s.frames = e.count;
      // Runs of one family member (traffic 1-8, equipment) step the variant;
      // sequences (laptops, stairs, ...) read the frame.
      s.variant = e.recipe.variant + i;
      recipes[e.first + i] = s;
      seen[e.first + i] = true;
    }
  for (int i = 0; i < picture_count; ++i)
    if (!seen[i]) throw AssetError("picture " + std::to_string(i) + " has no maker");
  return recipes;
}

const std::array<Recipe, picture_count>& recipes() {
  static const std::array<Recipe, picture_count> table = expand();
  return table;
}

bool ends_with(const std::string& s, const char* tail) {
  const std::string t(tail);
  return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

}  // namespace

const Recipe& picture_recipe(int32_t index) { return recipes().at(static_cast<size_t>(index)); }

Canvas render_picture(int32_t index) {
  const Recipe& s = picture_recipe(index);
  Canvas c = s.make(s);
  if (s.min_width > c.width()) {
    // Transparent columns on the right, coloured like the picture's edge.
    Canvas wide(s.min_width, c.height(), {}, 0.0f);
    for (int y = 0; y < c.height(); ++y)
      for (int x = c.width(); x < s.min_width; ++x) {
        const float* edge = c.at(c.width() - 1, y);
        std::copy(edge, edge + 3, wide.at(x, y));
      }
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x) std::copy(c.at(x, y), c.at(x, y) + 4, wide.at(x, y));
    return wide;
  }
  return c;
}

const Canvas& shared_render(int32_t index) {
  struct Slot {
    std::once_flag once;
    Canvas canvas;
  };
  static std::mutex mutex;
  static std::map<int32_t, std::unique_ptr<Slot>> slots;
  Slot* slot;
  {
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<Slot>& entry = slots[index];
    if (!entry) entry = std::make_unique<Slot>();
    slot = entry.get();
  }
  // A throwing render leaves the flag unset, so the next caller retries and
  // gets the same error.
  std::call_once(slot->once, [&] { slot->canvas = render_picture(index); });
  return slot->canvas;
}

Result<void> generate_picture(int32_t index, const std::string& root) {
  const std::string path = root + "/" + picture_paths[index];
  Canvas c;
  try {
    c = render_picture(index);
  } catch (const std::exception& e) {
    return Failure{path + ": " + e.what()};
  }
  if (ends_with(path, ".jpg")) return write_jpeg(path, c, jpeg_quality);
  bool translucent = false;
  for (int y = 0; y < c.height() && !translucent; ++y)
    for (int x = 0; x < c.width(); ++x)
      if (c.at(x, y)[3] < 1.0f) {
        translucent = true;
        break;
      }
  return write_png(path, c, translucent);
}

Result<void> generate_pictures(const std::string& root, unsigned threads) {
  try {
    recipes();
  } catch (const std::exception& e) {
    return Failure{e.what()};
  }
  std::vector<Result<void>> done(picture_count);
  std::atomic<int> next{0};
  auto work = [&] {
    for (int i = next++; i < picture_count; i = next++) done[i] = generate_picture(i, root);
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < std::max(1u, threads); ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  for (const Result<void>& picture : done) {
    if (!picture) return picture;
  }
  return {};
}

}  // namespace assets
