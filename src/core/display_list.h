// The display list: the effect objects of the scene on screen, in the order
// the frame step processes them, and the scene's record that their update
// functions share. It owns the objects and the record; they go together,
// when the next scene replaces them or the list itself goes.
#pragma once

#include <memory>

#include "core/effect.h"
#include "core/scene_record.h"

struct ListNode {
  EffectPtr object;
  std::unique_ptr<ListNode> next;  // null at the end
};

class DisplayList {
 public:
  DisplayList() = default;
  DisplayList(const DisplayList&) = delete;
  DisplayList& operator=(const DisplayList&) = delete;
  ~DisplayList() { clear(); }

  ListNode* head() const { return head_.get(); }
  bool empty() const { return head_ == nullptr; }

  // Puts `object` at the end: it is processed after every object already in
  // the list, so a scene is built in drawing order.
  void append(EffectPtr object);

  // The scene record handed to every update function; a record set before
  // is freed.
  void set_scene(std::unique_ptr<SceneRecord> scene) { scene_ = std::move(scene); }
  SceneRecord* scene() const { return scene_.get(); }

  // Frees every object in list order (each through its destroy), the nodes
  // and the scene record; the list is empty afterwards.
  void clear();

 private:
  std::unique_ptr<ListNode> head_;
  ListNode* tail_ = nullptr;
  std::unique_ptr<SceneRecord> scene_;
};
