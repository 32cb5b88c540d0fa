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
