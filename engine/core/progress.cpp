#include "core/progress.h"

#include "core/messages.h"

namespace vellum::core {
namespace {

ProgressCallback current_callback;

}  // namespace

void SetProgressCallback(const ProgressCallback& callback) { current_callback = callback; }

Progress::Progress(int32_t kind, int32_t total, const char* target)
    : callback_(current_callback), kind_(kind), total_(total), target_(target) {}

bool Progress::Ask(const char* item) {
  if (!Call(item)) return false;
  ++done_;
  return true;
}

bool Progress::Tick() {
  if (!callback_.set() || stopped_) return !stopped_;
  if (std::chrono::steady_clock::now() - called_ < kTickInterval) return true;
  return Call(nullptr);
}

bool Progress::Call(const char* item) {
  if (stopped_) return false;
  const VellumProgress progress{
      sizeof(VellumProgress), kind_, done_, total_, item, target_, failed_};
  called_ = std::chrono::steady_clock::now();
  const CallbackScope scope;
  stopped_ = (callback_.handler != nullptr ? callback_.handler(&progress, callback_.user_data)
                                           : callback_.plain(&progress)) != 0;
  return !stopped_;
}

}  // namespace vellum::core
