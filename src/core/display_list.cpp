#include "core/display_list.h"

void DisplayList::append(EffectObject* object) {
  auto* node = new ListNode{object, nullptr};
  if (tail_ == nullptr) {
    head_ = node;
  } else {
    tail_->next = node;
  }
  tail_ = node;
}

void DisplayList::set_scene(void* scene, void (*free_scene)(void*)) {
  if (scene_ != nullptr && free_scene_ != nullptr) free_scene_(scene_);
  scene_ = scene;
  free_scene_ = free_scene;
}

void DisplayList::clear() {
  ListNode* node = head_;
  head_ = tail_ = nullptr;
  while (node != nullptr) {
    effect_free(node->object);
    ListNode* next = node->next;
    delete node;
    node = next;
  }
  set_scene(nullptr, nullptr);
}
