#include "player/web/web_audio.h"

#include <emscripten.h>

// The web SDL keeps its state in the script object SDL: SDL.audio (the open
// device, with pushAudio scheduling each filled buffer at nextPlayTime) and
// SDL.audioContext.

EM_JS(void, web_audio_watch_first_start, (), {
  var audio = SDL.audio;
  if (!audio || audio.savaWatched) return;
  audio.savaWatched = true;
  // The buffers scheduled last (a few are ahead at any time), so that a move
  // of the sound can drop them.
  var context = SDL.audioContext;
  var create = context.createBufferSource.bind(context);
  audio.savaSources = [];
  context.createBufferSource = function() {
    var source = create();
    audio.savaSources.push(source);
    if (audio.savaSources.length > 16) audio.savaSources.shift();
    return source;
  };
  // The web SDL fills its queue of sound right after every animation frame
  // of the program (and on its timers), so that the sound's decoding would
  // lengthen the frames it lands in, several buffers of it at the start. It
  // is done instead in a task of its own, which runs once the frame is drawn.
  var queue = audio.queueNewAudioData;
  var channel = new MessageChannel();
  var asked = false;
  channel.port1.onmessage = function() {
    asked = false;
    queue();
  };
  audio.queueNewAudioData = function() {
    if (asked) return;
    asked = true;
    channel.port2.postMessage(0);
  };
  var push = audio.pushAudio;
  audio.pushAudio = function(ptr, size) {
    push(ptr, size);
    if (audio.firstStart === undefined && !audio.paused && audio.nextPlayTime > 0) {
      audio.firstStart = audio.nextPlayTime - audio.bufferDurationSecs;
    }
  };
});

EM_JS(double, web_audio_first_sound_ms, (), {
  var audio = SDL.audio;
  var context = SDL.audioContext;
  if (!audio || audio.firstStart === undefined || !context || context.state !== 'running') return -1;
  // The output timestamp pairs the context time being heard right now with
  // the page clock; without one, the context's own latencies stand in.
  var stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
  if (stamp && stamp.contextTime > 0 && stamp.performanceTime > 0) {
    return stamp.performanceTime + (audio.firstStart - stamp.contextTime) * 1000;
  }
  if (context.currentTime > 0) {
    var latency = (context.baseLatency || 0) + (context.outputLatency || 0);
    return performance.now() + (audio.firstStart - context.currentTime + latency) * 1000;
  }
  return -1;
});

EM_JS(void, web_audio_sound_moved, (), {
  var audio = SDL.audio;
  if (!audio) return;
  (audio.savaSources || []).forEach(function(source) {
    try { source.stop(); } catch (e) {}
  });
  audio.savaSources = [];
  // The next buffer starts as the first one did: as soon as the output can
  // take it.
  audio.nextPlayTime = 0;
  audio.firstStart = undefined;
});

EM_JS(void, web_audio_stop, (), {
  if (SDL.audioContext && SDL.audioContext.state === 'running') SDL.audioContext.suspend();
});
