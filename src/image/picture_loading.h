// The loading of the image store's pictures from a list of paths: the one
// place of its rules, whether the work is shared out among worker threads
// (started at once, so that the caller can go on with other work, and
// collected with finish()) or done by finish() itself on the calling thread
// (no workers; ImageStore::load).
//
// The outcome is the same however the work is shared out: every header is
// read first, up to the first that cannot be read or is too large on its own,
// and their total size is checked (more than picture_store_max_pixels
// together are refused as a whole) before any picture is decoded; the
// pictures are then decoded in list order into one block of memory (huge
// pages where the system has them, PixelBlock); a refused picture is the
// first in list order that fails (a later one that failed first is not
// reported); the total is checked again as pictures are decoded, in case a
// file changed since its header was read. Work stops early where the
// outcome is settled: past a failed picture, or once the total passes the
// limit.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "image/image_store.h"
#include "image/pixel_block.h"
#include "image/stop_hook.h"

class PictureLoading {
 public:
  // Starts loading the pictures of `paths` (ended by a null entry; the
  // array and its texts must outlive this object) on `threads` worker
  // threads; with 0 (or when no thread can be made) nothing starts before
  // finish(). The workers take the signal mask of the calling thread.
  PictureLoading(const char* const* paths, int threads);
  PictureLoading(const PictureLoading&) = delete;
  PictureLoading& operator=(const PictureLoading&) = delete;
  // Stops the workers and waits for them; pictures not handed to a store
  // go with it.
  ~PictureLoading();

  // Waits for the workers, or does the work itself when there are none.
  // `stop` is asked on this thread only: while waiting, once when it starts
  // and then at most every few milliseconds; without workers, before every
  // picture and during long decodes (at least once per row or scan). Once it
  // returns true the loading ends (status `stopped`) and it is not asked
  // again. On `loaded` the store holds the pictures in list order;
  // otherwise it is left empty. Call once.
  StoreLoadResult finish(ImageStore* store, StopHook stop = {});

  // The number of workers that uses every core.
  static int threads_for_this_machine();

 private:
  struct Slot;
  void work();
  void read_headers();
  void check_headers_total();
  void decode_pictures();
  bool decode_should_stop(int32_t index);
  void stop_all() { stop_.store(true, std::memory_order_relaxed); }
  void lower_to(std::atomic<int32_t>* lowest, int32_t index);
  StoreLoadResult outcome(ImageStore* store);

  const char* const* paths_;
  int32_t count_ = 0;
  std::unique_ptr<Slot[]> slots_;

  std::atomic<int32_t> next_header_{0};
  std::atomic<int32_t> next_decode_{0};
  // Lowest index whose header could not be had, and lowest whose picture
  // failed, so far (count_ when none).
  std::atomic<int32_t> first_bad_header_{0};
  std::atomic<int32_t> first_failure_{0};
  std::atomic<uint64_t> decoded_pixels_{0};
  std::atomic<bool> stop_{false};
  // Set by the last worker through the header phase: the refusal of the
  // headers' total, or the block the pictures are decoded into.
  std::string headers_refusal_;
  std::shared_ptr<const PixelBlock> block_;

  // The caller's stop hook while finish() works on the calling thread
  // itself (only then); whether it has asked to stop.
  const StopHook* caller_stop_ = nullptr;
  bool caller_stopped_ = false;

  // Guarded by mutex_: the workers wait for `started_` (set once all are
  // made), meet when every header is read, and count down when done.
  std::mutex mutex_;
  std::condition_variable changed_;
  bool started_ = false;
  int headers_left_ = 0;
  bool headers_checked_ = false;
  int workers_left_ = 0;
  std::vector<std::thread> workers_;
};
