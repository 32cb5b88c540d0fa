// How much sound the sound server holds ahead of the sound the audio
// callback hands out: its buffer for this process's stream and its card's
// latency, asked of the server itself (PulseAudio, and PipeWire through its
// PulseAudio service), since the video library cannot tell. The video
// library's stream there asks for one chunk of latency in all, the card's
// included, and is topped up in pieces, so when the callback comes the server
// holds less than the chunk the clock would otherwise count: the picture
// would trail the sound by the difference.
//
// The server's client library is loaded when asked for, so the player needs
// it neither to build nor to run; without it, or on another driver, the
// clock counts one chunk.
#pragma once

#include <cstdint>
#include <memory>

#include "core/clock.h"
#include "music/soundtrack.h"

class ServerLatency {
 public:
  ServerLatency();
  ~ServerLatency();
  ServerLatency(const ServerLatency&) = delete;
  ServerLatency& operator=(const ServerLatency&) = delete;

  // Connects to the server and finds this process's playback stream (open
  // the audio device first); false when there is no server, no client
  // library or no such stream. On the thread that starts the sound, before
  // it starts.
  bool open();
  bool is_open() const;
  // On the audio thread, within a callback (before the sound it hands out
  // reaches the server): the ms the server holds ahead of that sound, or
  // -1 when it does not answer within a few ms.
  double held_ms();

  struct Connection;

 private:
  std::unique_ptr<Connection> connection_;
};

// The soundtrack's listener for the show clock, which tells the clock before
// each report how much the server holds (when it can).
class ServerClockListener {
 public:
  ServerClockListener(ShowClock& clock, ServerLatency& latency) : clock_(clock), latency_(latency) {}
  SoundListener listener() { return {first_sound, sound_from, this}; }

 private:
  static void first_sound(void* self, uint32_t delay_ms, int64_t sound_ms);
  static void sound_from(void* self, int64_t sound_ms);
  void tell_held();

  ShowClock& clock_;
  ServerLatency& latency_;
};
