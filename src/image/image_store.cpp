#include "image/image_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/frame.h"
#include "image/picture_decode.h"
#include "image/picture_limits.h"
#include "image/picture_load.h"

const char* const picture_paths[picture_count + 1] = {
    "data/convexa.png",            // 0
    "data/colon.png",              // 1
    "data/2002.png",               // 2
    "data/helsinki.png",           // 3
    "data/shipyard1.jpg",          // 4
    "data/yrh.png",                // 5
    "data/tolvas.png",             // 6
    "data/present.png",            // 7
    "data/factory1.jpg",           // 8
    "data/factory1.png",           // 9
    "data/design1.png",            // 10
    "data/design2.png",            // 11
    "data/crossplatform.png",      // 12
    "data/demo.png",               // 13
    "data/sava.png",               // 14
    "data/traffic1.jpg",           // 15
    "data/traffic2.jpg",           // 16
    "data/traffic3.jpg",           // 17
    "data/traffic4.jpg",           // 18
    "data/traffic5.jpg",           // 19
    "data/traffic6.jpg",           // 20
    "data/traffic7.jpg",           // 21
    "data/traffic8.jpg",           // 22
    "data/traffic.png",            // 23
    "data/jam.png",                // 24
    "data/instant.png",            // 25
    "data/mobility.png",           // 26
    "data/trafficbullshit1.png",   // 27
    "data/trafficbullshit2.png",   // 28
    "data/bullshitwhite.png",      // 29
    "data/bullshitblack.png",      // 30
    "data/train.jpg",              // 31
    "data/train.png",              // 32
    "data/straightelectric.png",   // 33
    "data/locomotives.png",        // 34
    "data/take.png",               // 35
    "data/you.png",                // 36
    "data/there.png",              // 37
    "data/but.png",                // 38
    "data/where.png",              // 39
    "data/factory2.jpg",           // 40
    "data/factory2small1.png",     // 41
    "data/factory2small2.png",     // 42
    "data/factory2small3.png",     // 43
    "data/energy.png",             // 44
    "data/crane1.jpg",             // 45
    "data/crane1small1.png",       // 46
    "data/crane1small2.png",       // 47
    "data/crane1small3.png",       // 48
    "data/machinery.png",          // 49
    "data/factory3.jpg",           // 50
    "data/factory3small1.png",     // 51
    "data/factory3small2.png",     // 52
    "data/factory3small3.png",     // 53
    "data/electricity.png",        // 54
    "data/traffic9.jpg",           // 55
    "data/traffic9small1.png",     // 56
    "data/traffic9small2.png",     // 57
    "data/traffic9small3.png",     // 58
    "data/technology.png",         // 59
    "data/laptop1.jpg",            // 60
    "data/laptop2.jpg",            // 61
    "data/laptop3.jpg",            // 62
    "data/laptop4.jpg",            // 63
    "data/laptop5.jpg",            // 64
    "data/laptop6.jpg",            // 65
    "data/laptop7.jpg",            // 66
    "data/laptop8.jpg",            // 67
    "data/laptop9.jpg",            // 68
    "data/laptop10.jpg",           // 69
    "data/laptop11.jpg",           // 70
    "data/laptop12.jpg",           // 71
    "data/laptop13.jpg",           // 72
    "data/laptop14.jpg",           // 73
    "data/laptop15.jpg",           // 74
    "data/laptop16.jpg",           // 75
    "data/motherboard.jpg",        // 76
    "data/mobile.png",             // 77
    "data/computing.png",          // 78
    "data/whenever.png",           // 79
    "data/whereever.png",          // 80
    "data/phone.jpg",              // 81
    "data/phonebox.png",           // 82
    "data/globalcoverage.png",     // 83
    "data/factory4.jpg",           // 84
    "data/factory4small1.png",     // 85
    "data/factory4small2.png",     // 86
    "data/factory4small3.png",     // 87
    "data/crane2.jpg",             // 88
    "data/crane2small1.png",       // 89
    "data/crane2small2.png",       // 90
    "data/crane2small3.png",       // 91
    "data/powerstation.jpg",       // 92
    "data/powerstationsmall1.png", // 93
    "data/powerstationsmall2.png", // 94
    "data/powerstationsmall3.png", // 95
    "data/traffic10.jpg",          // 96
    "data/traffic10small1.png",    // 97
    "data/traffic10small2.png",    // 98
    "data/traffic10small3.png",    // 99
    "data/fuel1.jpg",              // 100
    "data/fuel2.jpg",              // 101
    "data/fuel3.jpg",              // 102
    "data/fuel4.jpg",              // 103
    "data/fuel5.jpg",              // 104
    "data/fuel6.jpg",              // 105
    "data/fuel7.jpg",              // 106
    "data/fuel8.jpg",              // 107
    "data/fuel9.jpg",              // 108
    "data/technology2.png",        // 109
    "data/possibility.png",        // 110
    "data/answer.png",             // 111
    "data/problems.png",           // 112
    "data/binary.png",             // 113
    "data/eye.jpg",                // 114
    "data/what.png",               // 115
    "data/about.png",              // 116
    "data/the.png",                // 117
    "data/problems2.png",          // 118
    "data/ofthe.png",              // 119
    "data/mind.png",               // 120
    "data/stairs1.jpg",            // 121
    "data/stairs2.jpg",            // 122
    "data/stairs3.jpg",            // 123
    "data/stairs4.jpg",            // 124
    "data/stairs5.jpg",            // 125
    "data/stairs6.jpg",            // 126
    "data/stairs7.jpg",            // 127
    "data/stairs8.jpg",            // 128
    "data/stairs9.jpg",            // 129
    "data/stairs10.jpg",           // 130
    "data/stairs11.jpg",           // 131
    "data/stairs12.jpg",           // 132
    "data/stairs13.jpg",           // 133
    "data/stairs14.jpg",           // 134
    "data/stairs15.jpg",           // 135
    "data/fear.png",               // 136
    "data/insecurity.png",         // 137
    "data/loneliness.png",         // 138
    "data/insanity.png",           // 139
    "data/basement1.jpg",          // 140
    "data/basement2.jpg",          // 141
    "data/basement3.jpg",          // 142
    "data/basement4.jpg",          // 143
    "data/basement5.jpg",          // 144
    "data/basement6.jpg",          // 145
    "data/basement7.jpg",          // 146
    "data/basement8.jpg",          // 147
    "data/basement9.jpg",          // 148
    "data/basement10.jpg",         // 149
    "data/basement11.jpg",         // 150
    "data/basement12.jpg",         // 151
    "data/basement13.jpg",         // 152
    "data/basement14.jpg",         // 153
    "data/basement15.jpg",         // 154
    "data/elevator1.jpg",          // 155
    "data/elevator2.jpg",          // 156
    "data/elevator3.jpg",          // 157
    "data/elevator4.jpg",          // 158
    "data/elevator5.jpg",          // 159
    "data/elevator6.jpg",          // 160
    "data/elevator7.jpg",          // 161
    "data/elevator8.jpg",          // 162
    "data/elevator9.jpg",          // 163
    "data/pelsi1.jpg",             // 164
    "data/pelsi2.jpg",             // 165
    "data/pelsi3.jpg",             // 166
    "data/pelsi4.jpg",             // 167
    "data/pelsi5.jpg",             // 168
    "data/pelsi6.jpg",             // 169
    "data/pelsi7.jpg",             // 170
    "data/pelsi8.jpg",             // 171
    "data/lapinkulta.jpg",         // 172
    "data/lapinkultasmall1.png",   // 173
    "data/lapinkultasmall2.png",   // 174
    "data/lapinkultasmall3.png",   // 175
    "data/lapinkultasmall4.png",   // 176
    "data/lapinkultasmall5.png",   // 177
    "data/lapinkultasmall6.png",   // 178
    "data/lapinkultasmall7.png",   // 179
    "data/lapinkultasmall8.png",   // 180
    "data/lapinkultasmall9.png",   // 181
    "data/lapinkultasmall10.png",  // 182
    "data/lapinkultasmall11.png",  // 183
    "data/lapinkultasmall12.png",  // 184
    "data/beer.jpg",               // 185
    "data/water1.jpg",             // 186
    "data/water2.jpg",             // 187
    "data/water3.jpg",             // 188
    "data/water4.jpg",             // 189
    "data/peaceofmind.png",        // 190
    "data/escapingreality.png",    // 191
    "data/help1.jpg",              // 192
    "data/help2.jpg",              // 193
    "data/help3.jpg",              // 194
    "data/help4.jpg",              // 195
    "data/credits.png",            // 196
    "data/kode.png",               // 197
    "data/gfx.png",                // 198
    "data/musik.png",              // 199
    "data/design.png",             // 200
    "data/pelsi.png",              // 201
    "data/thanks.png",             // 202
    "data/inspiration.png",        // 203
    "data/vaskel.png",             // 204
    "data/brannik.png",            // 205
    "data/support.png",            // 206
    "data/tolmar.png",             // 207
    "data/pkt.png",                // 208
    "data/design3.png",            // 209
    "data/design4.png",            // 210
    "data/design5.jpg",            // 211
    "data/design6.jpg",            // 212
    "data/design7.jpg",            // 213
    "data/design8.jpg",            // 214
    "data/symbol.png",             // 215
    "data/mixer1.jpg",             // 216
    "data/mixer2.jpg",             // 217
    "data/mixer3.jpg",             // 218
    "data/mixer4.jpg",             // 219
    "data/eps.jpg",                // 220
    "data/x51.jpg",                // 221
    "data/x52.jpg",                // 222
    "data/endscreen.png",          // 223
    nullptr,
};

Image** image_store = nullptr;
int32_t image_count = 0;

const char image_store_all_pictures[] = "the pictures";
const char image_store_stopped[] = "(stopped)";

namespace {

void free_images(Image** images, int32_t count) {
  for (int32_t i = 0; i < count; ++i) image_free(images[i]);
  std::free(images);
}

// Whether `total_pixels` is within the store's limit; records the reason if not.
bool total_within_limit(uint64_t total_pixels) {
  if (total_pixels <= picture_store_max_pixels) return true;
  // No picture is at fault on its own; the message names none.
  const uint64_t mib = uint64_t{1} << 20;
  const uint64_t bytes = total_pixels * sizeof(uint32_t);
  picture_set_error("they need at least %llu MiB together, more than the limit of %llu MiB",
                    static_cast<unsigned long long>((bytes + mib - 1) / mib),
                    static_cast<unsigned long long>(picture_store_max_pixels * sizeof(uint32_t) / mib));
  return false;
}

// The pictures' total size from their headers, before anything is decoded:
// pictures of small files can ask for far more memory than they take. Returns
// the index of the picture with which the total passes the limit (the reason
// recorded), or -1. The look stops at a header that cannot be read or that
// is too large on its own: that picture is refused when it is decoded, in
// table order, and no later file is opened.
int32_t first_picture_past_total(int32_t count) {
  uint64_t total_pixels = 0;
  for (int32_t i = 0; i < count; ++i) {
    uint32_t width = 0;
    uint32_t height = 0;
    if (!picture_read_size(picture_paths[i], &width, &height)) break;
    // A picture too large on its own is refused by name when it is decoded.
    if (!picture_size_acceptable(width, height)) break;
    total_pixels += static_cast<uint64_t>(width) * height;
    if (!total_within_limit(total_pixels)) return i;
  }
  return -1;
}

}  // namespace

const char* image_store_try_load() {
  // Loading again replaces the store; whatever pointed into it goes first.
  if (image_store != nullptr) image_store_free();

  int32_t n = 0;
  while (picture_paths[n] != nullptr) ++n;

  // The globals are only set once every picture is in, so a failed load
  // leaves the store empty rather than half filled.
  auto* images = static_cast<Image**>(std::calloc(static_cast<std::size_t>(n) + 1, sizeof(Image*)));
  if (images == nullptr) {
    picture_set_error("out of memory for the image store");
    return image_store_all_pictures;
  }
  const int32_t too_many = first_picture_past_total(n);
  if (too_many >= 0) {
    std::free(images);
    return image_store_all_pictures;
  }
  uint64_t total_pixels = 0;
  for (int32_t i = 0; i < n; ++i) {
    images[i] = picture_should_stop() ? nullptr : picture_load(picture_paths[i]);
    if (images[i] == nullptr) {
      free_images(images, i);
      return std::strcmp(picture_load_error(), "stopped") == 0 ? image_store_stopped : picture_paths[i];
    }
    // Checked again as decoded, in case a file changed since its header was read.
    total_pixels += static_cast<uint64_t>(images[i]->width) * static_cast<uint64_t>(images[i]->height);
    if (!total_within_limit(total_pixels)) {
      free_images(images, i + 1);
      return image_store_all_pictures;
    }
  }
  images[n] = image_create(back_buffer_width, back_buffer_height);

  image_store = images;
  image_count = n + 1;
  return nullptr;
}

void image_store_load() {
  const char* failed = image_store_try_load();
  if (failed == nullptr || failed == image_store_stopped) return;
  const char* reason = picture_load_error();
  if (failed == image_store_all_pictures) {
    std::fprintf(stderr, "Couldn't load %s: %s\n", failed, reason);
    std::exit(1);
  }
  // For a file that was read but not decoded, the decoder's reason first;
  // a missing or unreadable file gets the start-up message alone.
  if (reason[0] != '\0' && !picture_load_unreadable()) std::fprintf(stderr, "%s: %s\n", failed, reason);
  std::fprintf(stderr, "Couldn't load %s\n", failed);
  std::exit(1);
}

void image_store_free() {
  // State records of the display list point at the images: they go first.
  clear_display_list();
  if (image_store != nullptr) free_images(image_store, image_count);
  image_store = nullptr;
  image_count = 0;
}
