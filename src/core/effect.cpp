#include "core/effect.h"

EffectPtr effect_create(EffectInitFn init, EffectUpdateFn update) {
  EffectPtr object(new EffectObject{});
  init(object.get());
  object->update = update;
  return object;
}

void effect_free(EffectObject* object) {
  if (object == nullptr) return;
  if (object->destroy != nullptr) object->destroy(object);
  delete object;
}
