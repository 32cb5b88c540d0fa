#include "core/display_list.h"

void DisplayList::append(EffectPtr object) {
  auto node = std::make_unique<ListNode>(ListNode{std::move(object), nullptr});
  ListNode* added = node.get();
  if (tail_ == nullptr) {
    head_ = std::move(node);
  } else {
    tail_->next = std::move(node);
  }
  tail_ = added;
}

void DisplayList::clear() {
  // Node by node from the head, each object before its node: a chain left
  // to its destructors would go recursively, from the tail.
  std::unique_ptr<ListNode> node = std::move(head_);
  tail_ = nullptr;
  while (node != nullptr) {
    node->object.reset();
    node = std::move(node->next);
  }
  scene_.reset();
}
