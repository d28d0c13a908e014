// The progress callback: the application's way to watch a long call (a
// scan, an upload) item by item and to ask it to stop. Unlike the message
// callbacks it is optional work for the engine: without one a call counts
// nothing and asks nothing.
#pragma once

#include <chrono>
#include <cstdint>

#include "vellum/vellum.h"

namespace vellum::core {

// The application's callback: either kind, or none.
struct ProgressCallback {
  VellumProgressCallback plain = nullptr;
  VellumProgressHandler handler = nullptr;
  void* user_data = nullptr;

  bool set() const { return plain != nullptr || handler != nullptr; }
};

// Stores the application's callback, replacing the one before.
void SetProgressCallback(const ProgressCallback& callback);

// The progress of one call of kind (VELLUM_PROGRESS_...). The callback is
// the one set when the call began.
class Progress {
 public:
  explicit Progress(int32_t kind, int32_t total = 0, const char* target = nullptr);
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Before the next item: false when the call is to stop, now or since an
  // earlier item. Without a callback always true, and nothing is counted.
  bool Next(const char* item) { return !callback_.set() || Ask(item); }

  // While the call waits between items: gives the callback the counts so
  // far with no item, at most every kTickInterval, so that it can repaint
  // and ask to stop. False when the call is to stop.
  bool Tick();
  static constexpr std::chrono::milliseconds kTickInterval{100};

  // The items the call will handle in all, for a call that knows it before
  // its first item.
  void set_total(int32_t total) { total_ = total; }
  // Of a scan: the items that failed so far.
  void set_failed(int32_t failed) { failed_ = failed; }
  // Where the next items go (an upload's target); the text must outlive
  // them.
  void set_target(const char* target) { target_ = target; }
  // Counts items that the call passes over without handling them, as
  // handled and without announcing them, so that the count still reaches
  // the total.
  void PassOver(int32_t count) { done_ += count; }

  // Whether the callback asked the call to stop.
  bool stopped() const { return stopped_; }
  // The items announced and let through, with those passed over; only
  // counted while a callback is set.
  int32_t done() const { return done_; }
  int32_t total() const { return total_; }

 private:
  bool Ask(const char* item);
  bool Call(const char* item);

  ProgressCallback callback_;
  int32_t kind_;
  int32_t total_;
  const char* target_;
  int32_t done_ = 0;
  int32_t failed_ = 0;
  bool stopped_ = false;
  std::chrono::steady_clock::time_point called_{};
};

}  // namespace vellum::core
