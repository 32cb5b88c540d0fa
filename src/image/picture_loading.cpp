#include "image/picture_loading.h"

#include <chrono>
#include <system_error>

#include "image/picture_limits.h"
#include "image/picture_load.h"

struct PictureLoading::Slot {
  bool header_ok = false;  // the size below was read and is acceptable on its own
  uint64_t pixels = 0;
  uint32_t* place = nullptr;  // its pixels' place in the block, if it has one
  Image image;  // without pixels until decoded
  PictureFailure failure = PictureFailure::none;
  std::string reason;
};

namespace {

constexpr auto poll_interval = std::chrono::milliseconds(5);

StoreLoadResult refused(const char* culprit, std::string reason, bool unreadable = false) {
  return {StoreLoadResult::Status::refused, culprit, std::move(reason), unreadable};
}

}  // namespace

int PictureLoading::threads_for_this_machine() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

PictureLoading::PictureLoading(const char* const* paths, int threads) : paths_(paths) {
  while (paths_[count_] != nullptr) ++count_;
  slots_ = std::make_unique<Slot[]>(static_cast<size_t>(count_));
  first_bad_header_.store(count_);
  first_failure_.store(count_);
  const int wanted = threads < 1 ? 0 : (threads > count_ ? count_ : threads);
  for (int i = 0; i < wanted; ++i) {
    try {
      workers_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
      break;  // fewer workers (or none: finish() does the work itself)
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  headers_left_ = workers_left_ = static_cast<int>(workers_.size());
  started_ = true;
  changed_.notify_all();
}

PictureLoading::~PictureLoading() {
  stop_all();
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
}

void PictureLoading::work() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return started_; });
  }
  read_headers();
  {
    // The last worker through the headers checks their total for all.
    std::unique_lock<std::mutex> lock(mutex_);
    if (--headers_left_ == 0) {
      check_headers_total();
      headers_checked_ = true;
      changed_.notify_all();
    } else {
      changed_.wait(lock, [this] { return headers_checked_; });
    }
  }
  decode_pictures();
  std::lock_guard<std::mutex> lock(mutex_);
  if (--workers_left_ == 0) changed_.notify_all();
}

void PictureLoading::lower_to(std::atomic<int32_t>* lowest, int32_t index) {
  for (int32_t now = lowest->load(); index < now && !lowest->compare_exchange_weak(now, index);) {
  }
}

void PictureLoading::read_headers() {
  while (!stop_.load(std::memory_order_relaxed)) {
    const int32_t i = next_header_.fetch_add(1);
    // Indices come in increasing order: the headers past the first that
    // cannot be had count for nothing, and their files are not opened.
    if (i >= count_ || i > first_bad_header_.load(std::memory_order_relaxed)) break;
    const PictureHeader header = picture_read_size(paths_[i]);
    Slot& slot = slots_[i];
    slot.header_ok = header.ok();
    slot.pixels = header.pixels();
    if (!header.ok()) lower_to(&first_bad_header_, i);
  }
}

// The headers' total up to the first that cannot be read or is too large on
// its own (that picture is then refused when it is decoded). Within the
// limit, those pictures get their places in one block of memory; a picture
// whose size changed since its header was read is decoded elsewhere.
void PictureLoading::check_headers_total() {
  if (stop_.load(std::memory_order_relaxed)) return;
  uint64_t total = 0;
  int32_t with_header = 0;
  for (; with_header < count_ && slots_[with_header].header_ok; ++with_header) {
    total += slots_[with_header].pixels;
    // Refused with the total at the first picture that passes the limit.
    headers_refusal_ = store_total_refusal(total);
    if (!headers_refusal_.empty()) {
      stop_all();
      return;
    }
  }
  if (!PixelBlock::wanted()) return;
  auto block = std::make_shared<PixelBlock>(static_cast<size_t>(total));
  if (block->data() == nullptr) return;  // each picture then gets its own memory
  block_ = std::move(block);
  uint32_t* next = block_->data();
  for (int32_t i = 0; i < with_header; ++i) {
    slots_[i].place = next;
    next += slots_[i].pixels;
  }
}

bool PictureLoading::decode_should_stop(int32_t index) {
  if (stop_.load(std::memory_order_relaxed) || index > first_failure_.load(std::memory_order_relaxed)) return true;
  // Set only while finish() works on the calling thread, with no worker;
  // asked only while the outcome is still open.
  if (caller_stop_ == nullptr || !(*caller_stop_)()) return false;
  caller_stopped_ = true;
  stop_all();
  return true;
}

void PictureLoading::decode_pictures() {
  int32_t i = 0;
  const auto should_stop = [this, &i] { return decode_should_stop(i); };
  for (;;) {
    i = next_decode_.fetch_add(1);
    // Indices come in increasing order: once one is past the end or past a
    // failed picture, so are all that follow.
    if (i >= count_ || decode_should_stop(i)) break;
    Slot& slot = slots_[i];
    PictureResult decoded = picture_load(paths_[i], {should_stop, block_, slot.place, slot.pixels});
    if (decoded.failure == PictureFailure::stopped) continue;  // abandoned, not refused
    if (!decoded.ok()) {
      slot.failure = decoded.failure;
      slot.reason = std::move(decoded.reason);
      lower_to(&first_failure_, i);
      continue;
    }
    slot.image = std::move(decoded.image);
    slot.pixels = static_cast<uint64_t>(slot.image.width) * static_cast<uint64_t>(slot.image.height);
    // Checked again as decoded, in case a file changed since its header was read.
    if (decoded_pixels_.fetch_add(slot.pixels) + slot.pixels > picture_store_max_pixels) {
      stop_all();
    }
  }
}

StoreLoadResult PictureLoading::finish(ImageStore* store, StopHook stop) {
  store->clear();
  if (workers_.empty()) {
    // No worker: the work is done here, and the decodes ask `stop` themselves.
    if (count_ > 0) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        headers_left_ = workers_left_ = 1;
      }
      caller_stop_ = &stop;
      work();
      caller_stop_ = nullptr;
    }
  } else {
    caller_stopped_ = stop();
    if (caller_stopped_) stop_all();
    std::unique_lock<std::mutex> lock(mutex_);
    while (!changed_.wait_for(lock, poll_interval, [this] { return workers_left_ == 0; })) {
      if (caller_stopped_) continue;
      lock.unlock();
      caller_stopped_ = stop();
      if (caller_stopped_) stop_all();
      lock.lock();
    }
  }
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
  if (caller_stopped_) return {StoreLoadResult::Status::stopped, nullptr, {}, false};
  return outcome(store);
}

// The outcome in list order: the refusal of the headers' total, else the
// first failed picture, unless the total passed the limit before it.
StoreLoadResult PictureLoading::outcome(ImageStore* store) {
  if (!headers_refusal_.empty()) return refused(image_store_all_pictures, headers_refusal_);
  uint64_t total = 0;
  for (int32_t i = 0; i < count_; ++i) {
    Slot& slot = slots_[i];
    if (slot.failure != PictureFailure::none) {
      return refused(paths_[i], std::move(slot.reason), slot.failure == PictureFailure::unreadable);
    }
    if (slot.image.pixels == nullptr) {
      // Left undecoded only when the work stopped over the limit.
      return refused(image_store_all_pictures, store_total_refusal(decoded_pixels_.load()));
    }
    total += slot.pixels;
    const std::string refusal = store_total_refusal(total);
    if (!refusal.empty()) return refused(image_store_all_pictures, refusal);
  }
  for (int32_t i = 0; i < count_; ++i) store->add(std::move(slots_[i].image));
  return {};
}
