#include "music/sound_index.h"

#include <algorithm>
#include <charconv>

namespace {

// Frames the decoder reads ahead of a seek's target: its lead-in and
// preroll, and two more in case the target's own frame is reached through
// one that straddles it.
constexpr int64_t frames_read_ahead = sound_index_lead_in_frames + sound_index_preroll_frames + 2;

constexpr int64_t max_index_entries = int64_t{1} << 24;
constexpr int64_t max_file_bytes = int64_t{1} << 40;

}  // namespace

int64_t SoundIndex::first_byte_for(int64_t sample) const {
  if (offsets.empty() || frame_samples <= 0 || step <= 0) return 0;
  const int64_t frame = std::max<int64_t>(0, (std::max<int64_t>(sample, 0) + lead) / frame_samples - frames_read_ahead);
  const size_t entry = std::min(static_cast<size_t>(frame / step), offsets.size() - 1);
  return offsets[entry];
}

int64_t SoundIndex::samples_before_byte(int64_t end) const {
  if (end >= file_bytes) return pass_frames;
  if (offsets.empty() || frame_samples <= 0 || step <= 0) return 0;
  // Entry k starts frame k x step: every frame before it is whole. The last
  // whole frame is left out too, since the decoder may look at the header
  // after a frame before it takes the frame.
  const auto after = std::upper_bound(offsets.begin(), offsets.end(), end);
  const int64_t whole = static_cast<int64_t>(after - offsets.begin()) - 1;
  if (whole <= 0) return 0;
  const int64_t samples = (whole * step - 1) * frame_samples - lead;
  return std::clamp<int64_t>(samples, 0, pass_frames);
}

std::string sound_index_text(const SoundIndex& index) {
  std::string out = "sound-index 1";
  for (const int64_t n : {index.file_bytes, int64_t{index.frame_samples}, index.lead, index.pass_frames,
                          int64_t{index.own_trim}, index.trim_begin, index.trim_end, int64_t{index.step},
                          static_cast<int64_t>(index.offsets.size())}) {
    out += ' ' + std::to_string(n);
  }
  int64_t previous = 0;
  for (const int64_t offset : index.offsets) {
    out += ' ' + std::to_string(offset - previous);
    previous = offset;
  }
  return out;
}

std::optional<SoundIndex> sound_index_parse(std::string_view text) {
  const std::string_view tag = "sound-index 1";
  if (text.substr(0, tag.size()) != tag) return std::nullopt;
  const char* at = text.data() + tag.size();
  const char* const end = text.data() + text.size();
  auto next = [&](int64_t* value) {
    while (at < end && (*at == ' ' || *at == '\n')) ++at;
    const auto [stop, error] = std::from_chars(at, end, *value);
    if (error != std::errc() || *value < 0) return false;
    at = stop;
    return true;
  };
  SoundIndex index;
  int64_t fields[9];
  for (int64_t& field : fields)
    if (!next(&field)) return std::nullopt;
  const auto [bytes, frame_samples, lead, pass, own_trim, trim_begin, trim_end, step, count] = fields;
  if (frame_samples == 0 || frame_samples > 4608 || own_trim > 1 || step == 0 || step > (1 << 20) || count == 0 ||
      count > max_index_entries || bytes > max_file_bytes || trim_end < trim_begin || pass == 0 ||
      count > static_cast<int64_t>(text.size()) / 2) {  // an entry takes a space and a digit at least
    return std::nullopt;
  }
  index.file_bytes = bytes;
  index.frame_samples = static_cast<int32_t>(frame_samples);
  index.lead = lead;
  index.pass_frames = pass;
  index.own_trim = static_cast<int32_t>(own_trim);
  index.trim_begin = trim_begin;
  index.trim_end = trim_end;
  index.step = static_cast<int32_t>(step);
  index.offsets.reserve(static_cast<size_t>(count));
  int64_t offset = 0;
  for (int64_t k = 0; k < count; ++k) {
    int64_t delta = 0;
    if (!next(&delta) || (k > 0 && delta == 0)) return std::nullopt;
    offset += delta;
    if (offset >= bytes) return std::nullopt;
    index.offsets.push_back(offset);
  }
  while (at < end && (*at == ' ' || *at == '\n')) ++at;
  if (at != end) return std::nullopt;
  return index;
}
