// Limit on the pictures of the store taken together. Each picture is already
// limited on its own (picture_load.h: 64 Mi pixels), but 224 such pictures,
// each a small file of well-compressed data, would ask for 56 GiB. The
// show's own pictures hold about 30 million pixels; the store refuses to go
// past four times as many again, 128 Mi pixels (512 MiB of pixel words).
#pragma once

#include <cstdint>
#include <string>

inline constexpr uint64_t picture_store_max_pixels = uint64_t{1} << 27;

// Why pictures of `total_pixels` together are refused; empty when they are
// within the limit.
std::string store_total_refusal(uint64_t total_pixels);
