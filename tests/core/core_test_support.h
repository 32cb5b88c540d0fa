// Instrumented effect type and a clean slate of the show's globals for the
// core tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/effect.h"
#include "core/frame.h"
#include "core/runtime.h"
#include "core/sound_clock.h"
#include "core/tick.h"

namespace core_test {

// State of the instrumented type: an id for the call log and an owned buffer
// like the mask arrays some real types own.
struct ProbeState {
  int id;
  uint8_t* owned;
};

// What happened, in order: "u<id>@<now>", "r<id>@<now>", "cue:<name>", ...
extern std::vector<std::string> call_log;
// Calls that received something other than their object's state record.
extern int wrong_state_calls;
// destroy calls per id (ids 0-63).
extern int destroy_count[64];

void probe_init(EffectObject* object);
void probe_update(void* state, int32_t now);
void probe_other_update(void* state, int32_t now);

// Creates a probe object with the given id, remembering its state pointer so
// update and render can check what they were handed.
EffectObject* make_probe(int id, EffectUpdateFn update);

// Resets the globals of the show and the probe records before each test.
class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  TickSource saved_tick_source_ = nullptr;
};

}  // namespace core_test
