/* Records a PulseAudio source (a sink's monitor) as 44100 Hz stereo s16le for
 * the given number of seconds: the samples to OUT.raw, and after every piece
 * read a line "frames nanoseconds" to OUT.times: the monotonic time at which
 * the frame with that index (counted from the recording's first) is heard.
 *
 * A monitor gets the sound when its sink takes it in, which for a sink that
 * plays ahead of time (a null sink renders up to its latency in advance) is
 * before it is heard: the monitor then reports a negative latency. The time
 * stamps keep its sign (the simple API would clamp it to 0 and date every
 * frame up to the sink's latency too early). */
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>
#include <pulse/context.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "arguments.h"

static long long now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static int fail(const char* what, pa_context* context) {
  fprintf(stderr, "record: %s: %s\n", what, pa_strerror(context ? pa_context_errno(context) : PA_ERR_UNKNOWN));
  return 1;
}

int main(int argc, char** argv) {
  if (argc != 4 || !all_positional(argc, argv) || seconds_argument(argv[3]) < 0) {
    fprintf(stderr, "usage: record SOURCE OUT SECONDS\n");
    return 2;
  }
  char name[4096];
  snprintf(name, sizeof name, "%s.raw", argv[2]);
  FILE* raw = fopen(name, "wb");
  snprintf(name, sizeof name, "%s.times", argv[2]);
  FILE* times = fopen(name, "w");
  if (!raw || !times) {
    fprintf(stderr, "record: cannot write %s\n", argv[2]);
    return 1;
  }
  pa_mainloop* loop = pa_mainloop_new();
  pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "sync-measure");
  if (!context || pa_context_connect(context, NULL, PA_CONTEXT_NOFLAGS, NULL) < 0) return fail("connect", context);
  for (pa_context_state_t state; (state = pa_context_get_state(context)) != PA_CONTEXT_READY;) {
    if (!PA_CONTEXT_IS_GOOD(state) || pa_mainloop_iterate(loop, 1, NULL) < 0) return fail("connect", context);
  }
  const pa_sample_spec spec = {PA_SAMPLE_S16LE, 44100, 2};
  /* Pieces of 5 ms: the sound comes in soon after the sink takes it. */
  const pa_buffer_attr attr = {(uint32_t)-1, (uint32_t)-1, (uint32_t)-1, (uint32_t)-1, 221 * 4};
  pa_stream* stream = pa_stream_new(context, "monitor", &spec, NULL);
  const pa_stream_flags_t flags = PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY;
  if (!stream || pa_stream_connect_record(stream, argv[1], &attr, flags) < 0) return fail("record", context);
  for (pa_stream_state_t state; (state = pa_stream_get_state(stream)) != PA_STREAM_READY;) {
    if (!PA_STREAM_IS_GOOD(state) || pa_mainloop_iterate(loop, 1, NULL) < 0) return fail("record", context);
  }
  const long long end = now_ns() + (long long)(seconds_argument(argv[3]) * 1e9);
  long long frames = 0;
  while (now_ns() < end) {
    if (pa_mainloop_iterate(loop, 1, NULL) < 0) return fail("read", context);
    const void* data = NULL;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0) {
      if (pa_stream_peek(stream, &data, &bytes) < 0) return fail("read", context);
      if (bytes == 0) break;
      static const unsigned char silence[4096];
      for (size_t done = 0; data == NULL && done < bytes; done += sizeof silence) {
        fwrite(silence, 1, bytes - done < sizeof silence ? bytes - done : sizeof silence, raw); /* a hole */
      }
      if (data != NULL) fwrite(data, 1, bytes, raw);
      pa_stream_drop(stream);
      frames += (long long)(bytes / 4);
      /* The latency is from the frame heard now to the next one read: that
       * one (index `frames`) is heard `latency` after now, negative or not. */
      pa_usec_t latency = 0;
      int negative = 0;
      if (pa_stream_get_latency(stream, &latency, &negative) < 0) continue;
      const long long t = now_ns();
      fprintf(times, "%lld %lld\n", frames, t + (negative ? 1 : -1) * (long long)latency * 1000);
    }
  }
  fclose(raw);
  fclose(times);
  pa_stream_disconnect(stream);
  pa_stream_unref(stream);
  pa_context_disconnect(context);
  pa_context_unref(context);
  pa_mainloop_free(loop);
  return 0;
}
