#include "player/web/web_page.h"

#include <emscripten.h>

EM_JS(void, page_picture_decoded, (int index, int done, int total), {
  if (Module.onPictureDecoded) Module.onPictureDecoded(index, done, total);
});

// The browser's idle callbacks do not come while every frame keeps the page
// busy, so the time is found here: a task posted from the next animation
// frame runs once that frame is drawn, and has until the frame after it is
// due (one frame interval after this one's callbacks began, less what the
// browser needs to put it on screen; the frame's time stamp may lie long
// before them on a busy machine).
EM_JS(void, page_decode_when_idle, (), {
  if (Module.savaDecodeAsked) return;
  Module.savaDecodeAsked = true;
  if (!Module.savaAfterFrame) {
    var channel = new MessageChannel();
    channel.port1.onmessage = function() {
      Module.savaDecodeAsked = false;
      var next = Module.savaFrameBegun + 1000 / 60 - 3;
      try {
        Module._sava_web_decode(Math.max(next - performance.now(), 0));
      } catch (e) {
        // A picture refused ends the program, which the page has said.
        if (!(e instanceof ExitStatus)) throw e;
      }
    };
    Module.savaAfterFrame = function() {
      Module.savaFrameBegun = performance.now();
      channel.port2.postMessage(0);
    };
  }
  requestAnimationFrame(Module.savaAfterFrame);
});

EM_JS(void, page_waiting, (int on, int at_ms), {
  if (Module.onWaiting) Module.onWaiting(on !== 0, at_ms);
});

EM_JS(void, page_program_started, (), {
  if (Module.onProgramStarted) Module.onProgramStarted();
});

EM_JS(void, page_pictures_listed, (const char* caption), {
  if (Module.onPicturesListed) Module.onPicturesListed(UTF8ToString(caption));
});

EM_JS(void, page_moved, (int ms), {
  if (Module.onMoved) Module.onMoved(ms);
});

EM_JS(void, page_audio_delay_changed, (int ms), {
  if (Module.onAudioDelay) Module.onAudioDelay(ms);
});

EM_JS(void, page_show_ended, (int finished), {
  if (Module.onShowEnded) Module.onShowEnded(finished !== 0);
});

EM_JS(void, page_capture_frame, (const void* frame, int size), {
  if (Module.onCaptureFrame) Module.onCaptureFrame(HEAPU8.slice(frame, frame + size));
});

EM_JS(void, page_capture_done, (), {
  if (Module.onCaptureDone) Module.onCaptureDone();
});
