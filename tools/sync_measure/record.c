/* Records a PulseAudio source (the sink's monitor) as 44100 Hz stereo s16le:
 * the samples to OUT.raw, and per block of 441 frames the monotonic time (ns)
 * at which its last frame was played, to OUT.times, for the given seconds. */
#include <pulse/error.h>
#include <pulse/simple.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static long long now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: record SOURCE OUT SECONDS\n");
    return 2;
  }
  const pa_sample_spec spec = {PA_SAMPLE_S16LE, 44100, 2};
  const pa_buffer_attr attr = {(uint32_t)-1, (uint32_t)-1, (uint32_t)-1, (uint32_t)-1, 441 * 4};
  int error = 0;
  pa_simple* s = pa_simple_new(NULL, "sync-measure", PA_STREAM_RECORD, argv[1], "monitor", &spec, NULL, &attr, &error);
  if (!s) {
    fprintf(stderr, "record: %s\n", pa_strerror(error));
    return 1;
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
  const long long end = now_ns() + (long long)(atof(argv[3]) * 1e9);
  static unsigned char block[441 * 4];
  while (now_ns() < end) {
    if (pa_simple_read(s, block, sizeof block, &error) < 0) {
      fprintf(stderr, "record: %s\n", pa_strerror(error));
      return 1;
    }
    const long long t = now_ns();
    const pa_usec_t latency = pa_simple_get_latency(s, &error);
    fwrite(block, 1, sizeof block, raw);
    fprintf(times, "%lld\n", t - (long long)latency * 1000);
  }
  fclose(raw);
  fclose(times);
  pa_simple_free(s);
  return 0;
}
