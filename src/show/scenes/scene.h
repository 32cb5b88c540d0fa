// What every scene is built from: the scene record its objects share, the
// builder that puts its objects in the display list in drawing order, typed
// update functions, and cues that start a builder (with a parameter row).
// The vocabulary of scene code itself is in show/scene_helpers.h.
//
// An update function has one of two shapes:
//   void f(XState& s, int32_t t);
//   void f(XState& s, Record& scene, int32_t t);
// where XState is the state record of the object's effect type, t the scene
// time (show time minus the cue's time, raised to 0 if negative) and Record
// the builder's record type (Scene or derived from it) or a base of it.
// update<f> makes it an update for an object of XState's type.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>

#include "core/effect_type.h"
#include "core/frame.h"
#include "core/scene_record.h"
#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/mask.h"
#include "effects/smear.h"
#include "show/show.h"

// Time raised to a floor (scene time raised to a later start).
inline int32_t raised_to(int32_t t, int32_t floor) { return t < floor ? floor : t; }

// Scene time: show time minus the cue's time, raised to 0 if negative.
inline int32_t scene_time(int32_t now, int32_t cue_ms) { return raised_to(now - cue_ms, 0); }

// The record every object of a scene can reach while it is updated: the show
// it draws from and the time of the cue that started it. Scenes that keep
// more (a parameter row, a value passed between objects within a frame)
// derive their own record from it.
struct Scene : SceneRecord {
  Show* show = nullptr;
  int32_t cue_ms = 0;

  Image* picture(int32_t id) const { return show->picture(id); }
  Image* back_buffer() const { return show->back_buffer(); }
  Image* screen() const { return show->screen(); }
  int32_t random() const { return show->random(); }
};

// An update for an object of State's effect type in a scene whose record is
// a Record (or derived from it).
template <class State, class Record = Scene>
struct Update {
  EffectUpdateFn fn;
};

namespace scene_detail {

template <auto Fn>
struct UpdateOf;

template <class State, void (*Fn)(State&, int32_t)>
struct UpdateOf<Fn> {
  static void call(State& s, Scene& scene, int32_t now) { Fn(s, scene_time(now, scene.cue_ms)); }
  static constexpr Update<State, Scene> handle{typed_update<State, Scene, call>};
};

template <class State, class Record, void (*Fn)(State&, Record&, int32_t)>
struct UpdateOf<Fn> {
  using R = std::remove_const_t<Record>;
  static_assert(std::is_base_of_v<Scene, R>);
  static void call(State& s, R& scene, int32_t now) { Fn(s, scene, scene_time(now, scene.cue_ms)); }
  static constexpr Update<State, R> handle{typed_update<State, R, call>};
};

}  // namespace scene_detail

template <auto Fn>
inline constexpr auto update = scene_detail::UpdateOf<Fn>::handle;

// Builds a scene: empties the display list, gives it a fresh scene record of
// type Record, and appends the scene's objects in drawing order (the first
// object added is updated and drawn first, the last on top of everything).
template <class Record = Scene>
class SceneBuilder {
 public:
  SceneBuilder(Show& show, const Cue& cue) : show_(show) {
    show.display_list.clear();
    auto record = std::make_unique<Record>();
    record->show = &show;
    record->cue_ms = cue.time_ms;
    record_ = record.get();
    show.display_list.set_scene(std::move(record));
  }
  SceneBuilder(const SceneBuilder&) = delete;
  SceneBuilder& operator=(const SceneBuilder&) = delete;

  Record& scene() { return *record_; }
  Image* picture(int32_t id) const { return show_.picture(id); }
  Image* back_buffer() const { return show_.back_buffer(); }
  Image* screen() const { return show_.screen(); }

  // Appends an object of State's effect type, animated by `animation` (an
  // update<f>; none by default), and returns its zero-filled state record to
  // fill in.
  template <class State, class R = Scene>
  State& add(Update<State, R> animation = {nullptr}) {
    static_assert(std::is_base_of_v<R, Record>, "the update needs another scene record");
    EffectPtr object = effect_create(EffectType<State>::init, animation.fn);
    State& state = *effect_state<State>(*object);
    show_.display_list.append(std::move(object));
    return state;
  }

  // A white flash over the whole screen: an AddFill whose update sets its
  // colour every frame (see white_flash in show/scene_helpers.h).
  template <class R>
  AddFillState& add_flash(Update<AddFillState, R> animation) {
    Image* target = screen();
    return add(animation) = {.image = target, .colour = 0, .x = 0, .y = 0, .w = target->width, .h = target->height};
  }

 private:
  Show& show_;
  Record* record_;
};

namespace scene_detail {

template <auto Build>
struct BuildOf;

template <class Record, void (*Build)(SceneBuilder<Record>&)>
struct BuildOf<Build> {
  static void start(RunState& run, const Cue& cue) {
    SceneBuilder<Record> builder(static_cast<Show&>(run), cue);
    Build(builder);
  }
};

template <class Record, class Row, void (*Build)(SceneBuilder<Record>&, const Row&)>
struct BuildOf<Build> {
  using RowType = Row;
  static void start(RunState& run, const Cue& cue, const Row& row) {
    SceneBuilder<Record> builder(static_cast<Show&>(run), cue);
    Build(builder, row);
  }
};

}  // namespace scene_detail

// The cue at time_ms that starts scene builder Build, of shape
//   void build(SceneBuilder<Record>& b)  or
//   void build(SceneBuilder<Record>& b, const Row& row)  with its row.
template <auto Build>
constexpr Cue scene_cue(int32_t time_ms) {
  return {time_ms, &scene_detail::BuildOf<Build>::start, nullptr};
}
template <auto Build, class Row>
constexpr Cue scene_cue(int32_t time_ms, const Row& row) {
  using Start = scene_detail::BuildOf<Build>;
  static_assert(std::is_same_v<typename Start::RowType, Row>, "the builder takes another row");
  return cue_with_row<Row, &Start::start>(time_ms, row);
}
