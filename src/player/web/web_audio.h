// What the web SDL's audio does not tell by itself: when the first decoded
// sample is actually heard. The web SDL schedules each buffer of the
// callback on the page's audio context, several buffers and a safety delay
// ahead, so the first callback comes about 280 ms before its sound plays.
#pragma once

// Script functions (defined with EM_JS), so with C linkage.
extern "C" {

// Call right after SDL_OpenAudio: from then on the context time at which the
// first scheduled buffer starts is kept, and the sound is decoded and queued
// in tasks of its own, never inside an animation frame.
void web_audio_watch_first_start();

// The moment (in emscripten_get_now() milliseconds) at which the first
// scheduled sample reaches the output, from the audio context's output
// clock; negative while not yet known (nothing scheduled, or the context not
// running yet).
double web_audio_first_sound_ms();

// The sound was moved (a seek, a resume): every buffer scheduled so far is
// dropped, and the first sound is watched for afresh, as after
// web_audio_watch_first_start.
void web_audio_sound_moved();

// Silences the page's audio at once (buffers already scheduled included).
void web_audio_stop();

}  // extern "C"
