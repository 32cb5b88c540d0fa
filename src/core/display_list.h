// The display list: the effect objects of the scene on screen, in the order
// the frame step processes them, and the scene's record that their update
// functions share. It owns the objects and the record; they go together,
// when the next scene replaces them or the list itself goes.
#pragma once

#include "core/effect.h"

struct ListNode {
  EffectObject* object;  // owned by the node
  ListNode* next;        // null at the end
};

class DisplayList {
 public:
  DisplayList() = default;
  DisplayList(const DisplayList&) = delete;
  DisplayList& operator=(const DisplayList&) = delete;
  ~DisplayList() { clear(); }

  ListNode* head() const { return head_; }
  bool empty() const { return head_ == nullptr; }

  // Puts `object` (owned from now on) at the end: it is processed after
  // every object already in the list, so a scene is built in drawing order.
  void append(EffectObject* object);

  // The scene record handed to every update function; freed with
  // free_scene(scene) when the list is cleared.
  void set_scene(void* scene, void (*free_scene)(void* scene));
  void* scene() const { return scene_; }

  // Frees every object in list order (each through its destroy), the nodes
  // and the scene record; the list is empty afterwards.
  void clear();

 private:
  ListNode* head_ = nullptr;
  ListNode* tail_ = nullptr;
  void* scene_ = nullptr;
  void (*free_scene_)(void*) = nullptr;
};
