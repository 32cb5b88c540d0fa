// Effect objects and the display list.
//
// An effect object is a plain record of function slots plus a private state
// record. Effect types supply render/init/destroy and the state layout; scenes
// supply update functions and build the display list, a singly linked list
// that the frame loop walks head first every frame.
#pragma once

#include <cstdint>

struct EffectObject;

// Render and update receive the object's state record, never the object.
using EffectRenderFn = void (*)(void* state, int32_t now_ms);
using EffectUpdateFn = void (*)(void* state, int32_t now_ms);
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

struct ListNode {
  EffectObject* object;  // owned by the node
  ListNode* next;        // null at the end
};

// Allocates a zero-filled object, calls init(object), then stores `update`
// (possibly null) over whatever init left in the update slot.
EffectObject* effect_create(EffectInitFn init, EffectUpdateFn update);

// Null does nothing; otherwise destroy(object) when set, then frees the record.
void effect_free(EffectObject* object);

// Allocates a node holding `object` in front of `next`; the caller stores the
// result as the new head.
ListNode* list_prepend(EffectObject* object, ListNode* next);

// Frees every node from `node` to the end, each with its object. Null does nothing.
void list_free(ListNode* node);
