// Effect types made from their state record and their render function.
// A type is written once, next to its state record:
//
//   struct XState { ... };
//   void x_render(const XState& s, int32_t now_ms);
//   template <>
//   struct EffectType<XState> : EffectTypeOf<XState, x_render> {};
//
// and gets its object functions from here: init (which also identifies the
// type), the render slot and destroy. Every object's state goes through these
// templates, so scene code and tests reach states typed (effect_state) and
// write update functions over typed states (typed_update).
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/effect.h"
#include "core/scene_record.h"

template <class State, void (*Render)(const State& s, int32_t now_ms)>
struct EffectTypeOf {
  // Fills every slot of a fresh object: the type's render, no update, this
  // init, its destroy, and a new zero-filled state record.
  static void init(EffectObject* object) {
    object->render = render;
    object->update = nullptr;
    object->init = init;
    object->destroy = destroy;
    object->state = new State{};
  }

  // The render slot: an object without a state record draws nothing.
  static void render(void* state, int32_t now_ms) {
    if (state != nullptr) Render(*static_cast<const State*>(state), now_ms);
  }

  // Releases the state record and whatever it owns.
  static void destroy(EffectObject* object) {
    delete static_cast<State*>(object->state);
    object->state = nullptr;
  }
};

// The effect type whose state record is State (specialised next to it).
template <class State>
struct EffectType;

// The state record of `object` if it is of State's effect type, else null.
template <class State>
State* effect_state(const EffectObject& object) {
  return object.init == EffectType<State>::init ? static_cast<State*>(object.state) : nullptr;
}

// Fn, an update over a typed state and scene record, for an update slot of
// an object of State's type in a display list whose scene record is a Record.
template <class State, class Record, void (*Fn)(State& s, Record& scene, int32_t now_ms)>
void typed_update(void* state, SceneRecord* scene, int32_t now_ms) {
  static_assert(std::is_base_of_v<SceneRecord, Record>);
  Fn(*static_cast<State*>(state), static_cast<Record&>(*scene), now_ms);
}
