// An instrumented effect type and a fresh run state for the core tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/effect.h"
#include "core/frame.h"

namespace core_test {

// State of the instrumented type: an id for the call log and an owned buffer
// like the mask arrays some real types own.
struct ProbeState {
  int id;
  uint8_t* owned;
};

// What happened, in order: "u<id>@<now>", "r<id>@<now>", "cue<id>", ...
extern std::vector<std::string> call_log;
// Calls that received something other than their object's state record (or,
// for updates, other than the display list's scene record).
extern int wrong_state_calls;
// destroy calls per id (ids 0-63).
extern int destroy_count[64];

void probe_init(EffectObject* object);
void probe_update(void* state, SceneRecord* scene, int32_t now);

// Creates a probe object with the given id, remembering its state pointer so
// update and render can check what they were handed.
EffectPtr make_probe(int id, EffectUpdateFn update);

// Each test gets a fresh run state and clean probe records.
class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // The scene record the probes' updates must be handed.
  void expect_scene(SceneRecord* scene);

  RunState run;
};

}  // namespace core_test
