// Global state of the running show, shared by the frame loop, the scenes and
// the soundtrack.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/effect.h"
#include "image/image.h"

// The show clock: milliseconds since start_tick, recomputed once per frame.
extern int32_t now_ms;
// Tick at which the show clock reads 0. Written before the audio starts and
// once more by the first audio callback (on the audio thread), read every
// frame; after that only the frame loop moves it, when the clock has run
// ahead of the sound (core/sound_clock.h).
extern std::atomic<uint32_t> start_tick;
// Non-zero ends the frame loop after the current frame.
extern int32_t quit_requested;
// Index of the next cue to fire.
extern int32_t next_cue;
// Head of the display list; null when empty.
extern ListNode* display_list;

inline constexpr int32_t screen_width = 400;
inline constexpr int32_t screen_height = 300;
// The visible screen as a drawing target; its pixels belong to the platform
// (or to whoever drives the frame step without one).
extern Image screen_image;

// "yrH ToLVaS: Sävä" in ISO 8859-1 (each ä is the byte 0xE4).
extern const char* const window_caption;
extern const char* const soundtrack_path;

// The PCM queue, 16384 bytes, allocated zero-filled at start-up.
inline constexpr int32_t pcm_queue_size = 16384;
extern uint8_t* pcm_queue;
