// The image store's pictures loaded on worker threads: started at once, so
// that the caller can go on with other work, and collected with finish().
//
// The outcome is the one ImageStore::load gives for the same files, however
// the work is shared out: the headers' total size is checked before any
// picture is decoded; a refused picture is the first in list order that
// fails (a later one that failed first is not reported); the total is
// checked again as pictures are decoded. Workers stop early where the
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

class PictureLoading {
 public:
  // Starts loading the pictures of `paths` (ended by a null entry; the
  // array and its texts must outlive this object) on `threads` worker
  // threads (at least one). The workers take the signal mask of the calling
  // thread.
  PictureLoading(const char* const* paths, int threads);
  PictureLoading(const PictureLoading&) = delete;
  PictureLoading& operator=(const PictureLoading&) = delete;
  // Stops the workers and waits for them; pictures not handed to a store
  // are freed.
  ~PictureLoading();

  // Waits for the workers. While it waits, and once when it starts, it asks
  // picture_stop_requested (on this thread only) at most every few
  // milliseconds; a stop request ends the loading (status `stopped`). On
  // `loaded` the store holds the pictures in list order; otherwise it is
  // left empty. Call once.
  StoreLoadResult finish(ImageStore* store);

  // The number of workers that uses every core.
  static int threads_for_this_machine();

 private:
  struct Slot;
  void work();
  void read_headers();
  void check_headers_total();
  void decode_pictures();
  bool decode_should_stop(int32_t index) const;
  void stop_all() { stop_.store(true, std::memory_order_relaxed); }
  void wait_for_workers();

  const char* const* paths_;
  int32_t count_ = 0;
  std::unique_ptr<Slot[]> slots_;

  std::atomic<int32_t> next_header_{0};
  std::atomic<int32_t> next_decode_{0};
  // Lowest index whose picture failed so far (count_ when none).
  std::atomic<int32_t> first_failure_{0};
  std::atomic<uint64_t> decoded_pixels_{0};
  std::atomic<bool> stop_{false};
  // Set by the last worker through the header phase: the refusal of the
  // headers' total, or the block the pictures are decoded into.
  std::string headers_refusal_;
  std::unique_ptr<PixelBlock> block_;

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
