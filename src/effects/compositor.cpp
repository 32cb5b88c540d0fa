// Compositor: one rectangle of a source image put onto a rectangle of a
// destination image, one to one through a blend rule or scaled.
//
// Geometry is computed in 64-bit integers so that no sum of positions and
// sizes can overflow. Beyond the destination clipping every caller relies
// on, the source is guarded too, so that no input reads outside an image:
// on the one-to-one path, pixels whose source lies outside the source image
// are not drawn (the others keep their places); on the scaled path, sample
// positions and bilinear neighbours outside the source image take the
// nearest edge pixel. Inputs that stay inside the source image, as all of
// the show's do, draw exactly as without these guards.
//
// Drawing an image onto itself must look as if every pixel were read and
// written one after the other, row by row from the top and left to right in
// each row. The row kernels process blocks, so the rows where that order
// would be visible go through the per-pixel rules instead.
#include "effects/compositor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "effects/blend_kernels.h"
#include "effects/pixel_ops.h"
#include "effects/scale_kernels.h"

namespace {

using i64 = int64_t;

inline uint32_t* pixel_at(const Image& image, i64 x, i64 y) {
  return image.pixels + y * image.width + x;
}

inline i64 clamp_index(i64 v, i64 size) { return v < 0 ? 0 : (v >= size ? size - 1 : v); }

void clear_rect(const Image& dst, i64 x, i64 y, i64 w, i64 h) {
  for (i64 j = 0; j < h; ++j) {
    std::memset(pixel_at(dst, x, y + j), 0, static_cast<std::size_t>(w) * sizeof(uint32_t));
  }
}

inline bool is_rule(blend::Rule rule) {
  return rule == blend::alpha || rule == blend::add || rule == blend::replace;
}

// One pixel of the one-to-one rules, k = 2..256.
inline uint32_t blend_pixel(blend::Rule rule, uint32_t k, uint32_t s, uint32_t d) {
  switch (rule) {
    case blend::alpha: return alpha_blend(s, d, k);
    case blend::add: return additive_blend(s, d, k);
    default: return k == 256 ? s : scaled_replace(s, k);
  }
}

void draw_one_to_one(const CompositorState& st, uint32_t k) {
  const Image& dst = *st.dst;
  i64 w = st.src_w;
  i64 h = st.src_h;
  if (st.dst_x + w > dst.width) w = dst.width - i64{st.dst_x};
  if (st.dst_y + h > dst.height) h = dst.height - i64{st.dst_y};
  if (w <= 0 || h <= 0) return;

  // Pixel (i, j) of the rectangle lands on (dst_x + i, dst_y + j); pixels
  // left of or above the destination are skipped.
  i64 i0 = std::max<i64>(0, -i64{st.dst_x});
  i64 j0 = std::max<i64>(0, -i64{st.dst_y});
  i64 i1 = w;
  i64 j1 = h;

  if (st.blend == blend::replace && k == 1) {
    if (i1 > i0 && j1 > j0) clear_rect(dst, st.dst_x + i0, st.dst_y + j0, i1 - i0, j1 - j0);
    return;
  }
  if (!is_rule(st.blend) || k == 1 || st.src == nullptr) return;

  const Image& src = *st.src;
  i0 = std::max<i64>(i0, -i64{st.src_x});
  j0 = std::max<i64>(j0, -i64{st.src_y});
  i1 = std::min<i64>(i1, src.width - i64{st.src_x});
  j1 = std::min<i64>(j1, src.height - i64{st.src_y});
  if (i1 <= i0 || j1 <= j0) return;
  const i64 n = i1 - i0;

  // With shared pixels, a row can read what the same call wrote only where
  // a source row is the destination row being written and the destination
  // lies after the source in it (0 < dst_x - src_x < n); block kernels would
  // read too early there. Source rows above or below the written row are
  // either fully written already or not yet touched, which block kernels
  // reproduce row by row. Images sharing pixels with different widths get
  // the per-pixel order everywhere.
  bool ordered = false;
  if (src.pixels == dst.pixels) {
    ordered = src.width != dst.width ||
              (st.src_y == st.dst_y && st.dst_x > st.src_x && i64{st.dst_x} - st.src_x < n);
  }

  // Whole rows of two separate images are contiguous in both: one long row.
  i64 row_length = n;
  i64 rows = j1 - j0;
  if (src.pixels != dst.pixels && n == src.width && n == dst.width && n * rows <= INT32_MAX) {
    row_length = n * rows;
    rows = 1;
  }

  const BlendKernels& kernels = blend_kernels();
  for (i64 j = j0; j < j0 + rows; ++j) {
    uint32_t* d = pixel_at(dst, st.dst_x + i0, st.dst_y + j);
    const uint32_t* s = pixel_at(src, st.src_x + i0, st.src_y + j);
    if (ordered) {
      for (i64 i = 0; i < n; ++i) d[i] = blend_pixel(st.blend, k, s[i], d[i]);
      continue;
    }
    const int32_t count = static_cast<int32_t>(row_length);
    switch (st.blend) {
      case blend::alpha: kernels.alpha_row(d, s, count, k); break;
      case blend::add: kernels.add_row(d, s, count, k); break;
      default:
        if (k == 256) {
          std::memmove(d, s, static_cast<std::size_t>(row_length) * sizeof(uint32_t));
        } else {
          kernels.replace_row(d, s, count, k);
        }
        break;
    }
  }
}

// Per-call tables of the scaled path, kept between calls to avoid
// allocating every frame.
struct ScaleScratch {
  std::vector<int32_t> col0, col1;
  std::vector<uint32_t> fx;  // weight * 0x10001, see ScaleKernels
  std::vector<i64> row0, row1;
  std::vector<uint32_t> fy;
  std::vector<uint32_t> mixed[2];  // source rows mixed horizontally
};

thread_local ScaleScratch scratch;

// Horizontally mixed source rows, two at a time, tagged by source row.
class MixedRows {
 public:
  MixedRows(const Image& src, const ScaleScratch& tables, std::vector<uint32_t>* buffers, i64 n)
      : src_(src), tables_(tables), buffers_(buffers), n_(n) {}

  // The mixed row for source row q, computed unless cached; never evicts
  // the row `keep`.
  const uint32_t* get(i64 q, i64 keep) {
    for (int b = 0; b < 2; ++b) {
      if (tag_[b] == q) return buffers_[b].data();
    }
    const int victim = tag_[0] == keep ? 1 : 0;
    scale_kernels().mix_columns_row(buffers_[victim].data(), pixel_at(src_, 0, q),
                                    tables_.col0.data(), tables_.col1.data(), tables_.fx.data(),
                                    static_cast<int32_t>(n_));
    tag_[victim] = q;
    return buffers_[victim].data();
  }

  // Row q of the source was written: its mixed copy is stale.
  void invalidate(i64 q) {
    for (i64& t : tag_) {
      if (t == q) t = -1;
    }
  }

 private:
  const Image& src_;
  const ScaleScratch& tables_;
  std::vector<uint32_t>* buffers_;
  i64 n_;
  i64 tag_[2] = {-1, -1};
};

void draw_scaled(const CompositorState& st, uint32_t k) {
  const Image& dst = *st.dst;
  i64 w = st.src_w;
  i64 h = st.src_h;
  i64 dw = st.dst_w;
  i64 dh = st.dst_h;
  // A rectangle cut at the right or bottom edge keeps its scale: the source
  // extent is cut in the same proportion.
  if (st.dst_x + dw > dst.width) {
    const i64 cut = dst.width - i64{st.dst_x};
    w = static_cast<i64>(static_cast<double>(cut) / st.dst_w * st.src_w);
    dw = cut;
  }
  if (st.dst_y + dh > dst.height) {
    const i64 cut = dst.height - i64{st.dst_y};
    h = static_cast<i64>(static_cast<double>(cut) / st.dst_h * st.src_h);
    dh = cut;
  }
  if (dw <= 0 || dh <= 0 || k <= 1 || st.src == nullptr) return;
  const Image& src = *st.src;
  if (src.width <= 0 || src.height <= 0) return;
  const double step_x = static_cast<double>(w) / static_cast<double>(dw);
  const double step_y = static_cast<double>(h) / static_cast<double>(dh);

  const i64 c0 = std::max<i64>(0, -i64{st.dst_x});
  const i64 r0 = std::max<i64>(0, -i64{st.dst_y});
  if (c0 >= dw || r0 >= dh) return;
  const i64 nc = dw - c0;
  const i64 nr = dh - r0;
  const bool smooth = st.smooth != 0;

  // Sample positions advance by repeated addition, also across the skipped
  // columns and rows; the sequence is the same for every row, so columns are
  // resolved once. Positions are converted through 64 bits (they stay within
  // a few times 2^31) and the weight is the low byte of trunc(p * 256),
  // which for the non-negative positions of real use is trunc(p * 256) mod 256.
  ScaleScratch& t = scratch;
  t.col0.resize(nc);
  t.col1.resize(nc);
  t.fx.resize(nc);
  double sx = st.src_x;
  for (i64 c = 0; c < c0; ++c) sx += step_x;
  i64 read_left = src.width, read_right = -1;
  for (i64 c = 0; c < nc; ++c) {
    const i64 ix = static_cast<i64>(sx);
    const i64 a = clamp_index(ix, src.width);
    const i64 b = clamp_index(ix + 1, src.width);
    t.col0[c] = static_cast<int32_t>(a);
    t.col1[c] = static_cast<int32_t>(b);
    t.fx[c] = static_cast<uint32_t>(static_cast<i64>(sx * 256.0) & 0xFF) * 0x10001u;
    read_left = std::min(read_left, a);
    read_right = std::max(read_right, smooth ? b : a);
    sx += step_x;
  }
  t.row0.resize(nr);
  t.row1.resize(nr);
  t.fy.resize(nr);
  double sy = st.src_y;
  for (i64 r = 0; r < r0; ++r) sy += step_y;
  i64 read_top = src.height, read_bottom = -1;
  for (i64 r = 0; r < nr; ++r) {
    const i64 iy = static_cast<i64>(sy);
    t.row0[r] = clamp_index(iy, src.height);
    t.row1[r] = clamp_index(iy + 1, src.height);
    t.fy[r] = static_cast<uint32_t>(static_cast<i64>(sy * 256.0) & 0xFF);
    read_top = std::min(read_top, t.row0[r]);
    read_bottom = std::max(read_bottom, smooth ? t.row1[r] : t.row0[r]);
    sy += step_y;
  }

  // Drawing onto itself matters only where what is read meets what is
  // written; otherwise the source is left alone during the call.
  const i64 left = st.dst_x + c0;
  const i64 top = st.dst_y + r0;
  bool same = false;
  bool all_ordered = false;
  if (src.pixels == dst.pixels) {
    if (src.width != dst.width) {
      same = all_ordered = true;
    } else {
      same = read_left < left + nc && left <= read_right && read_top < top + nr &&
             top <= read_bottom;
    }
  }

  const ScaleKernels& kernels = scale_kernels();
  for (int b = 0; b < 2 && smooth; ++b) t.mixed[b].resize(nc);
  MixedRows mixed(src, t, t.mixed, nc);
  const int32_t count = static_cast<int32_t>(nc);
  const uint32_t* prev_out = nullptr;
  i64 prev_q0 = -1, prev_q1 = -1;
  uint32_t prev_fy = 0;

  for (i64 r = 0; r < nr; ++r) {
    const i64 row = top + r;
    const i64 q0 = t.row0[r];
    const i64 q1 = smooth ? t.row1[r] : q0;
    const uint32_t fy = smooth ? t.fy[r] : 0;
    uint32_t* out = pixel_at(dst, left, row);

    // A row sampled like the previous one repeats it, unless writing the
    // previous row changed what this one reads, or this row reads itself.
    const bool repeat = prev_out != nullptr && !all_ordered && q0 == prev_q0 && q1 == prev_q1 &&
                        fy == prev_fy &&
                        !(same && (q0 == row - 1 || q1 == row - 1 || q0 == row || q1 == row));
    if (repeat) {
      std::memcpy(out, prev_out, static_cast<std::size_t>(nc) * sizeof(uint32_t));
    } else if (all_ordered || (same && (q0 == row || q1 == row))) {
      // The row reads itself: pixel by pixel, each read after the writes before it.
      const uint32_t* s0 = pixel_at(src, 0, q0);
      const uint32_t* s1 = pixel_at(src, 0, q1);
      for (i64 c = 0; c < nc; ++c) {
        if (smooth) {
          out[c] = bilinear_sample(s0[t.col0[c]], s0[t.col1[c]], s1[t.col0[c]], s1[t.col1[c]],
                                   t.fx[c] & 0xFFu, fy);
        } else {
          out[c] = s0[t.col0[c]];
        }
      }
    } else if (smooth) {
      const uint32_t* upper = mixed.get(q0, q1);
      const uint32_t* lower = mixed.get(q1, q0);
      kernels.mix_rows_row(out, upper, lower, count, fy);
    } else {
      kernels.nearest_row(out, pixel_at(src, 0, q0), t.col0.data(), count);
    }
    if (same) mixed.invalidate(row);
    prev_out = out;
    prev_q0 = q0;
    prev_q1 = q1;
    prev_fy = fy;
  }
}

}  // namespace

void compositor_render(const CompositorState& s, int32_t /*now_ms*/) {
  if (s.dst == nullptr) return;
  if (s.dst_x >= s.dst->width || s.dst_y >= s.dst->height) return;
  const uint32_t k = s.opacity + 1u;
  if (s.src_w == s.dst_w && s.src_h == s.dst_h) {
    draw_one_to_one(s, k);
  } else {
    draw_scaled(s, k);
  }
}
