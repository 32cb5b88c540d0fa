#include "image/picture_size_check.h"

#include "show/show_files.h"
#include "image/picture_sizes.h"

namespace {

// One side's range: "exactly 300", "at least 401", "at most 126", "60 to 235".
std::string side_range(int32_t min, int32_t max) {
  if (max <= 0) return "at least " + std::to_string(min);
  if (min == max) return "exactly " + std::to_string(min);
  if (min <= 1) return "at most " + std::to_string(max);
  return std::to_string(min) + " to " + std::to_string(max);
}

std::string size_text(int32_t width, int32_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

std::string needed_size(const PictureSizeRule& rule, const Image* reference, int32_t reference_index) {
  if (reference != nullptr) {
    return "exactly " + size_text(reference->width, reference->height) + " (the size of " +
           picture_paths[reference_index] + ")";
  }
  const bool exact = rule.min_width == rule.max_width && rule.min_height == rule.max_height;
  const bool at_least = rule.max_width <= 0 && rule.max_height <= 0;
  const bool at_most = rule.min_width <= 1 && rule.min_height <= 1 && rule.max_width > 0 && rule.max_height > 0;
  std::string text;
  if (exact) {
    text = "exactly " + size_text(rule.min_width, rule.min_height);
  } else if (at_least) {
    text = "at least " + size_text(rule.min_width, rule.min_height);
  } else if (at_most) {
    text = "at most " + size_text(rule.max_width, rule.max_height);
  } else {
    text = "a width of " + side_range(rule.min_width, rule.max_width) + " and a height of " +
           side_range(rule.min_height, rule.max_height);
  }
  return text + " (" + rule.reason + ")";
}

}  // namespace

std::string picture_size_problem(int32_t index, const Image* const* pictures) {
  if (index < 0 || index >= picture_count) return {};
  const PictureSizeRule& rule = picture_size_rule(index);
  const Image* picture = pictures[index];
  const Image* reference = rule.same_size_as >= 0 ? pictures[rule.same_size_as] : nullptr;
  const int32_t ref_width = reference != nullptr ? reference->width : 0;
  const int32_t ref_height = reference != nullptr ? reference->height : 0;
  if (picture_size_fits(index, picture->width, picture->height, ref_width, ref_height)) return {};
  return "Picture " + std::string(picture_paths[index]) + " is " +
         size_text(picture->width, picture->height) + " pixels; the show needs " +
         needed_size(rule, reference, rule.same_size_as);
}

std::string picture_size_check(const Image* const* pictures) {
  for (int32_t i = 0; i < picture_count; ++i) {
    std::string problem = picture_size_problem(i, pictures);
    if (!problem.empty()) return problem;
  }
  return {};
}
