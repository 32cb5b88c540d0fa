#include "core_test_support.h"

#include <cstdlib>
#include <cstring>

namespace core_test {

std::vector<std::string> call_log;
int wrong_state_calls = 0;
int destroy_count[64];

namespace {

// Every probe state created, by id, so calls can be checked against it.
void* state_of[64];
SceneRecord* scene_expected = nullptr;

// "<tag><id>@<now>", built by appending (concatenating temporaries trips a
// false -Wrestrict in this compiler).
std::string entry(const char* tag, int id, int32_t now) {
  std::string text = tag;
  if (id >= 0) text += std::to_string(id);
  text += '@';
  text += std::to_string(now);
  return text;
}

void check_state(void* state) {
  auto* probe = static_cast<ProbeState*>(state);
  if (probe == nullptr || probe->id < 0 || probe->id >= 64 || state_of[probe->id] != state) ++wrong_state_calls;
}

void probe_render(void* state, int32_t now) {
  check_state(state);
  call_log.push_back(entry("r", static_cast<ProbeState*>(state)->id, now));
}

// A type whose init leaves an update behind; effect_create must override it.
void probe_other_update(void*, SceneRecord*, int32_t now) { call_log.push_back(entry("init-update", -1, now)); }

void probe_destroy(EffectObject* object) {
  auto* state = static_cast<ProbeState*>(object->state);
  ++destroy_count[state->id];
  std::free(state->owned);
  std::free(state);
}

}  // namespace

void probe_init(EffectObject* object) {
  object->render = probe_render;
  object->init = probe_init;
  object->destroy = probe_destroy;
  object->update = probe_other_update;
  auto* state = static_cast<ProbeState*>(std::calloc(1, sizeof(ProbeState)));
  state->owned = static_cast<uint8_t*>(std::calloc(32, 1));
  object->state = state;
}

void probe_update(void* state, SceneRecord* scene, int32_t now) {
  check_state(state);
  if (scene != scene_expected) ++wrong_state_calls;
  call_log.push_back(entry("u", static_cast<ProbeState*>(state)->id, now));
}

EffectPtr make_probe(int id, EffectUpdateFn update) {
  EffectPtr object = effect_create(probe_init, update);
  static_cast<ProbeState*>(object->state)->id = id;
  state_of[id] = object->state;
  return object;
}

void CoreTest::SetUp() {
  call_log.clear();
  wrong_state_calls = 0;
  std::memset(destroy_count, 0, sizeof destroy_count);
  std::memset(state_of, 0, sizeof state_of);
  scene_expected = nullptr;
}

void CoreTest::expect_scene(SceneRecord* scene) { scene_expected = scene; }

}  // namespace core_test
