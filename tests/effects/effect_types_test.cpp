// The object contract, the same for every effect type: what init puts in the
// slots, a fresh state drawing nothing, typed access to the state, and
// destroy releasing the state.
#include <gtest/gtest.h>

#include <type_traits>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/mask.h"
#include "effects/smear.h"

namespace {

template <class State>
class EffectTypes : public ::testing::Test {};

using AllStates = ::testing::Types<CompositorState, AddFillState, RowMaskState, ColumnMaskState, ColumnSmearState,
                                   RowSmearState, HorizontalBlurState, VerticalBlurState>;
TYPED_TEST_SUITE(EffectTypes, AllStates);

void marker_update(void*, SceneRecord*, int32_t) {}

TYPED_TEST(EffectTypes, ObjectsFollowTheContract) {
  using Type = EffectType<TypeParam>;

  // Init fills every slot, update included, whatever was there before.
  EffectObject object{};
  object.update = marker_update;
  Type::init(&object);
  EXPECT_EQ(object.render, &Type::render);
  EXPECT_EQ(object.update, nullptr);
  EXPECT_EQ(object.init, &Type::init);
  EXPECT_EQ(object.destroy, &Type::destroy);
  ASSERT_NE(object.state, nullptr);
  // A fresh state has no images: drawing it, or drawing no state, does nothing.
  object.render(object.state, 0);
  object.render(nullptr, 0);
  object.destroy(&object);
  EXPECT_EQ(object.state, nullptr);

  // Through effect_create the given update stays; the state is reached typed,
  // and only as the object's own type.
  EffectPtr created = effect_create(Type::init, marker_update);
  EXPECT_EQ(created->update, marker_update);
  EXPECT_EQ(effect_state<TypeParam>(*created), created->state);
  const bool compositor = std::is_same_v<TypeParam, CompositorState>;
  EXPECT_EQ(effect_state<CompositorState>(*created) != nullptr, compositor);
}

}  // namespace
