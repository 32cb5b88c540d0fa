#include "core/effect.h"

#include <cstdlib>

EffectObject* effect_create(EffectInitFn init, EffectUpdateFn update) {
  auto* object = static_cast<EffectObject*>(std::calloc(1, sizeof(EffectObject)));
  init(object);
  object->update = update;
  return object;
}

void effect_free(EffectObject* object) {
  if (object == nullptr) return;
  if (object->destroy != nullptr) object->destroy(object);
  std::free(object);
}

ListNode* list_prepend(EffectObject* object, ListNode* next) {
  auto* node = static_cast<ListNode*>(std::calloc(1, sizeof(ListNode)));
  node->object = object;
  node->next = next;
  return node;
}

void list_free(ListNode* node) {
  while (node != nullptr) {
    effect_free(node->object);
    ListNode* next = node->next;
    std::free(node);
    node = next;
  }
}
