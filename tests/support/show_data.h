// Show data for runs of the real programs: a data/ folder with a picture at
// every path of the show's picture table and a short soundtrack, written
// here, the pictures at sizes the scenes accept (or, for the refusals, one
// pixel short of a need).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct PictureSize {
  int32_t width;
  int32_t height;
};

// Picture sets the show accepts, each a size for every picture.
enum class PictureSet {
  // The least size the show needs of each picture, but at least 64x24.
  fitting,
  // The least size the show needs, 1x1 where it needs nothing: the tightest
  // rectangles the scenes can meet.
  smallest,
  // Sizes another maker might choose and our generator never does: words
  // larger than their places, a title larger than its bar, keyword
  // photographs of exactly 400x300, traffic photographs of 480x360 (scaled),
  // laptops larger than the first, thumbnails each of its own size, a
  // 150-row strip, an end picture of 640x480.
  roomy,
};

PictureSize picture_size(int32_t index, PictureSet set = PictureSet::fitting);

// A picture set that misses one of the show's needs by one pixel: the
// smallest set, with `sizes` in place of some pictures' sizes, among them
// picture `index`, one pixel narrower or lower than `need` allows (or, for
// a need of an exact width, one pixel wider).
struct ShortPicture {
  int32_t need;  // index into picture_needs()
  int32_t index;
  PictureSize size;  // picture `index`'s size in the set
  std::map<int32_t, PictureSize> sizes;
};

// One such set for every picture of every need and every side the need
// bounds, derived from the table of needs.
std::vector<ShortPicture> short_pictures();

// The picture `index` of a set as a file: a PNG or a JPEG as its path says.
std::vector<uint8_t> picture_file(int32_t index, PictureSize size);

// Writes `dir`/data/ with every picture at the sizes of `set` and the
// soundtrack. The files are encoded once per process and linked into each
// directory, so a fresh data directory costs little. `replace` maps paths
// under data/ ("data/fuel1.jpg", "data/rinnu.mp3") to the bytes to write
// there instead; an entry with no bytes leaves the file out.
void write_show_data(const std::string& dir, const std::map<std::string, std::vector<uint8_t>>& replace = {},
                     PictureSet set = PictureSet::fitting);

// The soundtrack every data directory gets: 3 s of the test signal at
// 44100 Hz stereo.
const std::vector<uint8_t>& show_soundtrack();
