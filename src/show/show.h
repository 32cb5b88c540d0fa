// One run of the show: the run state the frame step works on (clock anchor,
// next cue, display list, quit request), the pictures, the back buffer, the
// screen it draws into and its random numbers. The player, the offline renderer and the tests
// each make one; starting afresh is making a new one.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "base/reference_rand.h"
#include "core/frame.h"
#include "image/image.h"
#include "image/image_store.h"

inline constexpr int32_t screen_width = 400;
inline constexpr int32_t screen_height = 300;

class Show : public RunState {
 public:
  // A show drawing from `pictures` (the picture table's pictures in order)
  // into `screen_pixels`: screen_width x screen_height words of 0xAARRGGBB,
  // rows without gaps, owned by the caller and valid while the show runs.
  Show(ImageStore pictures, uint32_t* screen_pixels);
  // The same drawing from `*pictures`, which outlive the show: shows on
  // other threads may read them meanwhile (a show only ever reads its
  // pictures).
  Show(const ImageStore* pictures, uint32_t* screen_pixels);
  Show(const Show&) = delete;
  Show& operator=(const Show&) = delete;
  // The scene's objects point at the pictures: they go first.
  ~Show() { display_list.clear(); }

  // Ends this run and hands its pictures on, to the next run's Show (the
  // pictures are never drawn into, so a new run finds them as loaded; a
  // show over pictures it does not own hands on none). The scene's objects
  // go first; this show draws nothing after it.
  ImageStore take_pictures() {
    display_list.clear();
    return std::move(owned_);
  }

  Image* picture(int32_t id) const {
    if (seen_ != nullptr) (*seen_)[static_cast<std::size_t>(id)] = true;
    return (*pictures_)[id];
  }
  // From now on every picture the show reaches for (store index) is marked
  // in `seen`, which holds an entry for each and outlives the show; null:
  // none is marked. It tells which scene uses which pictures.
  void watch_pictures(std::vector<bool>* seen) { seen_ = seen; }
  const ImageStore& pictures() const { return *pictures_; }
  // A blank screen-sized image, initially all zero, for drawing off screen.
  Image* back_buffer() { return &back_buffer_; }
  // The screen as a drawing target.
  Image* screen() { return &screen_; }
  // The next of the show's random numbers (0 .. 2^31 - 1): the reference
  // sequence from seed 1, drawn by the scenes in the order their update
  // functions run. Every run starts the sequence afresh.
  int32_t random() { return random_.next(); }
  // Where the sequence stands: a copy draws the numbers the show draws next.
  const ReferenceRand& random_numbers() const { return random_; }

 private:
  ImageStore owned_;
  const ImageStore* pictures_;
  Image back_buffer_;
  Image screen_;
  ReferenceRand random_;
  std::vector<bool>* seen_ = nullptr;
};
