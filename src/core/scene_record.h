// The record of the scene on screen, which the display list hands to every
// update function of the scene's objects. Scenes derive their own records
// from it; the display list owns the one of the scene it holds.
#pragma once

struct SceneRecord {
  SceneRecord() = default;
  SceneRecord(const SceneRecord&) = delete;
  SceneRecord& operator=(const SceneRecord&) = delete;
  virtual ~SceneRecord() = default;
};
