// Where a session following a search for what to soften learns how far it
// has come (SofteningWorker, or a test driving a search itself).
#pragma once

#include "show/flash_plan.h"

class SofteningFeed {
 public:
  virtual ~SofteningFeed() = default;
  // What the search has found since the last call, if anything: true with
  // `progress` filled in, false with it untouched.
  virtual bool take(SofteningProgress* progress) = 0;
};
