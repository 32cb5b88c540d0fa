#include "progress.h"

#include <cstdio>

#include "base/platform.h"

Progress::Progress(int64_t total_frames)
    : total_(total_frames > 0 ? total_frames : 1),
      enabled_(platform::stderr_is_terminal()),
      start_(Clock::now()),
      last_draw_(start_) {}

void Progress::update(int64_t done) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (done < total_ && now - last_draw_ < std::chrono::milliseconds(100)) return;
  last_draw_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double fps = seconds > 0 ? done / seconds : 0.0;
  const double left = fps > 0 ? (total_ - done) / fps : 0.0;
  const int width = 30;
  const int filled = static_cast<int>(width * done / total_);
  char bar[width + 1];
  for (int i = 0; i < width; ++i) bar[i] = i < filled ? '#' : '.';
  bar[width] = '\0';
  const int left_s = static_cast<int>(left + 0.5);
  std::fprintf(stderr, "\r[%s] %3d%%  %7.1f fps  %d:%02d left ", bar, static_cast<int>(100 * done / total_), fps,
               left_s / 60, left_s % 60);
  std::fflush(stderr);
}

void Progress::finish() {
  if (enabled_) std::fputc('\n', stderr);
}
