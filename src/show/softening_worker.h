// The search for what to soften (SofteningSearch) on a thread of its own,
// beside the show: the player starts at once and holds only where the
// search has not yet settled what to show.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "image/image_store.h"
#include "show/flash_plan.h"
#include "show/softening_feed.h"

class SofteningWorker : public SofteningFeed {
 public:
  // Starts the search over `pictures`, which outlive the worker and which
  // only shows read.
  explicit SofteningWorker(const ImageStore& pictures);
  // Stops the search where it is and waits for its thread.
  ~SofteningWorker() override;
  SofteningWorker(const SofteningWorker&) = delete;
  SofteningWorker& operator=(const SofteningWorker&) = delete;

  bool take(SofteningProgress* progress) override;

 private:
  void work();

  SofteningSearch search_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  SofteningProgress published_;  // under mutex_
  int64_t version_ = 0;          // under mutex_: one more with every publication
  int64_t taken_ = 0;            // the version take() handed out last (the taker's own)
  std::thread thread_;           // last: started once the rest is made
};
