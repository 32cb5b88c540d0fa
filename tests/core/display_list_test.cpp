#include <gtest/gtest.h>

#include <memory>

#include "core_test_support.h"

namespace core_test {
namespace {

using Log = std::vector<std::string>;

TEST_F(CoreTest, CreateStoresTheGivenUpdateOverWhatInitLeft) {
  EffectPtr without = effect_create(probe_init, nullptr);
  EffectPtr with = effect_create(probe_init, probe_update);
  EXPECT_EQ(without->update, nullptr);
  EXPECT_EQ(with->update, probe_update);
  EXPECT_EQ(with->init, probe_init);
  EXPECT_NE(with->state, nullptr);
}

// A scene record that counts its own destruction.
int scene_frees = 0;
struct CountedScene : SceneRecord {
  ~CountedScene() override { ++scene_frees; }
};

TEST_F(CoreTest, ClearingReleasesEachObjectAndTheSceneRecordExactlyOnce) {
  effect_free(nullptr);  // accepted

  // A one-object list: destroy frees the owned buffer and the state; the
  // list frees the object and the node (double frees and leaks show up under
  // the sanitizers).
  run.display_list.append(make_probe(1, nullptr));
  run.display_list.clear();
  EXPECT_EQ(destroy_count[1], 1);
  EXPECT_TRUE(run.display_list.empty());

  // A longer list with a scene record: every object once, and the record.
  scene_frees = 0;
  run.display_list.set_scene(std::make_unique<CountedScene>());
  for (int id = 2; id <= 5; ++id) run.display_list.append(make_probe(id, nullptr));
  run.display_list.clear();
  for (int id = 2; id <= 5; ++id) EXPECT_EQ(destroy_count[id], 1) << id;
  EXPECT_EQ(scene_frees, 1);
  EXPECT_EQ(run.display_list.scene(), nullptr);
  run.display_list.clear();
  EXPECT_EQ(scene_frees, 1);

  // A record replaced by the next one is freed then; the last goes with the list.
  run.display_list.set_scene(std::make_unique<CountedScene>());
  run.display_list.set_scene(std::make_unique<CountedScene>());
  EXPECT_EQ(scene_frees, 2);

  // An object without destroy is freed as a bare record.
  EffectPtr bare = effect_create([](EffectObject*) {}, nullptr);
  EXPECT_EQ(bare->destroy, nullptr);
  run.display_list.append(std::move(bare));
}

TEST_F(CoreTest, WalkUpdatesEachObjectRightBeforeItsRenderInListOrder) {
  run.display_list.set_scene(std::make_unique<SceneRecord>());
  expect_scene(run.display_list.scene());
  run.display_list.append(make_probe(1, probe_update));
  run.display_list.append(make_probe(2, nullptr));  // only rendered
  EffectPtr no_render = make_probe(3, probe_update);
  no_render->render = nullptr;  // only updated
  run.display_list.append(std::move(no_render));
  run.display_list.append(make_probe(4, probe_update));

  walk_display_list(run, -7);
  EXPECT_EQ(call_log, (Log{"u1@-7", "r1@-7", "r2@-7", "u3@-7", "u4@-7", "r4@-7"}));
  EXPECT_EQ(wrong_state_calls, 0);

  call_log.clear();
  run.display_list.clear();
  walk_display_list(run, 5);
  EXPECT_TRUE(call_log.empty());
}

}  // namespace
}  // namespace core_test
