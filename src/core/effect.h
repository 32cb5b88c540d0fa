// Effect objects: a plain record of function slots plus a private state
// record. Effect types supply render, init, destroy and the state layout
// (core/effect_type.h makes them from a state record and a render
// function); scenes supply update functions and put the objects in the
// display list.
#pragma once

#include <cstdint>
#include <memory>

#include "core/scene_record.h"

struct EffectObject;

// Render receives the object's state record, never the object.
using EffectRenderFn = void (*)(void* state, int32_t now_ms);
// Update receives the state record and the record of the scene the object
// belongs to (the display list's scene record, shared by all its objects).
using EffectUpdateFn = void (*)(void* state, SceneRecord* scene, int32_t now_ms);
// Init and destroy receive the object.
using EffectInitFn = void (*)(EffectObject* object);
using EffectDestroyFn = void (*)(EffectObject* object);

struct EffectObject {
  EffectRenderFn render;    // null: draws nothing
  EffectUpdateFn update;    // null: no animation
  EffectInitFn init;        // the type's own init function; identifies the type
  EffectDestroyFn destroy;  // releases the state and what it owns; may be null
  void* state;              // zero-filled at creation, owned by the object
};

// Null does nothing; otherwise destroy(object) when set, then frees the record.
void effect_free(EffectObject* object);

struct EffectFree {
  void operator()(EffectObject* object) const { effect_free(object); }
};
// The owner of an effect object (and so of its state record).
using EffectPtr = std::unique_ptr<EffectObject, EffectFree>;

// Makes a zero-filled object, calls init(object), then stores `update`
// (possibly null) over whatever init left in the update slot.
EffectPtr effect_create(EffectInitFn init, EffectUpdateFn update);
