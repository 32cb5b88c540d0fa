#include <gtest/gtest.h>

#include "core_test_support.h"

namespace core_test {
namespace {

using Log = std::vector<std::string>;

TEST_F(CoreTest, CreateStoresTheGivenUpdateOverWhatInitLeft) {
  EffectObject* without = effect_create(probe_init, nullptr);
  EffectObject* with = effect_create(probe_init, probe_update);
  EXPECT_EQ(without->update, nullptr);
  EXPECT_EQ(with->update, probe_update);
  EXPECT_EQ(with->init, probe_init);
  EXPECT_NE(with->state, nullptr);
  EXPECT_EQ(display_list, nullptr);  // creating does not touch the list
  effect_free(without);
  effect_free(with);
}

TEST_F(CoreTest, FreeingReleasesEachObjectThroughDestroyExactlyOnce) {
  // Null is accepted by both.
  effect_free(nullptr);
  list_free(nullptr);

  // A one-node list: destroy frees the owned buffer and the state; list_free
  // frees the object and the node (double frees and leaks show up under the
  // sanitizers).
  list_free(list_prepend(make_probe(1, nullptr), nullptr));
  EXPECT_EQ(destroy_count[1], 1);

  // A longer list is freed in list order, every object once.
  ListNode* list = nullptr;
  for (int id = 2; id <= 5; ++id) list = list_prepend(make_probe(id, nullptr), list);
  list_free(list);
  for (int id = 2; id <= 5; ++id) EXPECT_EQ(destroy_count[id], 1) << id;

  // An object without destroy is freed as a bare record.
  EffectObject* bare = effect_create([](EffectObject*) {}, nullptr);
  EXPECT_EQ(bare->destroy, nullptr);
  effect_free(bare);
}

// A two-object scene built as every scene builder does.
void build_probe_scene() {
  clear_display_list();
  for (int id : {10, 11}) display_list = list_prepend(make_probe(id, probe_update), display_list);
}

TEST_F(CoreTest, SceneBuilderRunTwiceFreesTheFirstScene) {
  build_probe_scene();
  EXPECT_EQ(destroy_count[10] + destroy_count[11], 0);
  build_probe_scene();
  EXPECT_EQ(destroy_count[10], 1);
  EXPECT_EQ(destroy_count[11], 1);
  ASSERT_NE(display_list, nullptr);
  ASSERT_NE(display_list->next, nullptr);
  EXPECT_EQ(display_list->next->next, nullptr);
}

TEST_F(CoreTest, WalkUpdatesEachObjectRightBeforeItsRenderLastPrependedFirst) {
  display_list = list_prepend(make_probe(1, probe_update), display_list);
  display_list = list_prepend(make_probe(2, nullptr), display_list);  // only rendered
  EffectObject* no_render = make_probe(3, probe_update);
  no_render->render = nullptr;  // only updated
  display_list = list_prepend(no_render, display_list);
  display_list = list_prepend(make_probe(4, probe_update), display_list);

  walk_display_list(-7);
  EXPECT_EQ(call_log, (Log{"u4@-7", "r4@-7", "u3@-7", "r2@-7", "u1@-7", "r1@-7"}));
  EXPECT_EQ(wrong_state_calls, 0);
}

TEST_F(CoreTest, WalkOfAnEmptyListCallsNothing) {
  walk_display_list(5);
  EXPECT_TRUE(call_log.empty());
}

}  // namespace
}  // namespace core_test
