#include "core/runtime.h"

int32_t now_ms = 0;
std::atomic<uint32_t> start_tick{0};
int32_t quit_requested = 0;
int32_t next_cue = 0;
ListNode* display_list = nullptr;
Image screen_image = {nullptr, screen_width, screen_height};


uint8_t* pcm_queue = nullptr;
