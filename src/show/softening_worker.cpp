#include "show/softening_worker.h"

#include <utility>

namespace {
// Frames of the search between publications: a fifth of a second of show.
constexpr int64_t slice_frames = plan_fps / 5;
}  // namespace

SofteningWorker::SofteningWorker(const ImageStore& pictures) : search_(pictures), thread_([this] { work(); }) {}

SofteningWorker::~SofteningWorker() {
  stop_ = true;
  thread_.join();
}

void SofteningWorker::work() {
  bool done = false;
  while (!done && !stop_) {
    done = search_.run(slice_frames);
    SofteningProgress progress = search_.progress();
    const std::lock_guard<std::mutex> lock(mutex_);
    published_ = std::move(progress);
    ++version_;
  }
}

bool SofteningWorker::take(SofteningProgress* progress) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (version_ == taken_) return false;
  taken_ = version_;
  *progress = published_;
  return true;
}
