#include "show_data.h"

#include <algorithm>
#include <filesystem>

#include "show/picture_needs.h"
#include "show/show_files.h"
#include "support/files.h"
#include "support/pictures.h"
#include "support/scratch_dir.h"
#include "support/sound.h"

namespace fs = std::filesystem;

namespace {

PictureSize at_least(PictureSize size, PictureSize floor) {
  return {std::max(size.width, floor.width), std::max(size.height, floor.height)};
}

PictureSize roomy_size(int32_t index) {
  const std::string path = picture_paths[index];
  const NeededSize least = least_needed_size(index);
  PictureSize size{least.width, least.height};
  if (index == 14) {
    size = {320, 90};  // the title, larger than its 200x40 bar
  } else if (index >= 15 && index <= 22) {
    size = {480, 360};  // traffic photographs drawn through the scaled path
  } else if (index == 60) {
    size = {400, 300};
  } else if (index >= 61 && index <= 75) {
    size = {480, 360};  // laptops larger than the first
  } else if (index == 113) {
    size = {60, 150};  // the strip
  } else if (index == 223) {
    size = {640, 480};  // the end picture, scaled
  } else if (path.find("small") != std::string::npos) {
    size = {24 + index % 7 * 5, 20 + index % 5 * 7};  // thumbnails, each its own size
  } else if (least.width == 1 || least.height == 1) {
    // Words, labels and the like, larger than their places.
    size = at_least({180 + index * 37 % 240, 40 + index * 13 % 50}, size);
  }
  // Keyword photographs keep their least size, exactly 400x300.
  for (const PictureNeed& need : picture_needs()) {
    if (need.reference >= 0 && need_covers(need, index)) size = at_least(size, roomy_size(need.reference));
  }
  return size;
}

}  // namespace

std::vector<ShortPicture> short_pictures() {
  std::vector<ShortPicture> cases;
  const auto needs = picture_needs();
  for (int32_t n = 0; n < static_cast<int32_t>(needs.size()); ++n) {
    const PictureNeed& need = needs[n];
    // The pictures of the need, and its reference, all at one size that
    // meets every need of theirs: the bound of this need on each side.
    std::map<int32_t, PictureSize> sizes;
    PictureSize bound{need.width, need.height};
    if (need.reference >= 0) {
      bound = at_least(picture_size(need.reference, PictureSet::smallest), {40, 30});
      for (const PictureRange& range : need.pictures) {
        for (int32_t i = range.first; i <= range.last; ++i) bound = at_least(bound, picture_size(i, PictureSet::smallest));
      }
      sizes[need.reference] = bound;
      for (const PictureRange& range : need.pictures) {
        for (int32_t i = range.first; i <= range.last; ++i) sizes[i] = bound;
      }
    }
    for (const PictureRange& range : need.pictures) {
      for (int32_t i = range.first; i <= range.last; ++i) {
        const PictureSize least = sizes.count(i) != 0 ? sizes[i] : picture_size(i, PictureSet::smallest);
        std::vector<PictureSize> short_sizes;
        if (bound.width > 1) short_sizes.push_back({bound.width - 1, least.height});
        if (bound.height > 1) short_sizes.push_back({least.width, bound.height - 1});
        if (need.exact_width) short_sizes.push_back({bound.width + 1, least.height});
        for (const PictureSize size : short_sizes) {
          ShortPicture c{n, i, size, sizes};
          c.sizes[i] = size;
          cases.push_back(c);
        }
      }
    }
  }
  return cases;
}

PictureSize picture_size(int32_t index, PictureSet set) {
  if (set == PictureSet::roomy) return roomy_size(index);
  const NeededSize least = least_needed_size(index);
  if (set == PictureSet::fitting) return at_least({least.width, least.height}, {64, 24});
  return {least.width, least.height};
}

std::vector<uint8_t> picture_file(int32_t index, PictureSize size) {
  const bool jpeg = std::string(picture_paths[index]).ends_with(".jpg");
  return jpeg ? jpeg_picture(size.width, size.height) : png_picture(size.width, size.height);
}

const std::vector<uint8_t>& show_soundtrack() {
  static const std::vector<uint8_t> track = test_track(3 * 44100);
  return track;
}

namespace {

// The pictures and the soundtrack, encoded once per process (and per
// picture set) into a folder that lives as long as the process.
std::string write_master_data(PictureSet set) {
  const std::string master = scratch_file("set" + std::to_string(static_cast<int>(set)));
  fs::create_directories(fs::path(master) / "data");
  std::map<std::pair<bool, std::pair<int32_t, int32_t>>, std::vector<uint8_t>> files;
  for (int32_t i = 0; i < picture_count; ++i) {
    const PictureSize size = picture_size(i, set);
    const bool jpeg = std::string(picture_paths[i]).ends_with(".jpg");
    auto& bytes = files[{jpeg, {size.width, size.height}}];
    if (bytes.empty()) bytes = picture_file(i, size);
    write_file((fs::path(master) / picture_paths[i]).string(), bytes);
  }
  write_file((fs::path(master) / "data/rinnu.mp3").string(), show_soundtrack());
  return master;
}

const std::string& master_data(PictureSet set) {
  static std::map<PictureSet, std::string> masters;
  auto found = masters.find(set);
  if (found == masters.end()) found = masters.emplace(set, write_master_data(set)).first;
  return found->second;
}

}  // namespace

void write_show_data(const std::string& dir, const std::map<std::string, std::vector<uint8_t>>& replace,
                     PictureSet set) {
  const fs::path master = master_data(set);
  const fs::path data = fs::path(dir) / "data";
  fs::create_directories(data);
  for (const auto& entry : fs::directory_iterator(master / "data")) {
    const std::string relative = "data/" + entry.path().filename().string();
    if (replace.count(relative) != 0) continue;
    // Linked where the folders share a file system, copied elsewhere.
    std::error_code error;
    fs::create_hard_link(entry.path(), data / entry.path().filename(), error);
    if (error) fs::copy_file(entry.path(), data / entry.path().filename(), fs::copy_options::overwrite_existing);
  }
  for (const auto& [relative, bytes] : replace) {
    if (!bytes.empty()) write_file((fs::path(dir) / relative).string(), bytes);
  }
}
