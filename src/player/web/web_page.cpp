#include "player/web/web_page.h"

#include <emscripten.h>

EM_JS(void, page_picture_decoded, (int index, int done, int total), {
  if (Module.onPictureDecoded) Module.onPictureDecoded(index, done, total);
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

EM_JS(void, page_show_ended, (), {
  if (Module.onShowEnded) Module.onShowEnded();
});

EM_JS(void, page_capture_frame, (const void* frame, int size), {
  if (Module.onCaptureFrame) Module.onCaptureFrame(HEAPU8.slice(frame, frame + size));
});

EM_JS(void, page_capture_done, (), {
  if (Module.onCaptureDone) Module.onCaptureDone();
});
