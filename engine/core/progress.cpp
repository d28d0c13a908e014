#include "core/progress.h"

namespace vellum::core {
namespace {

VellumProgressCallback current_callback = nullptr;

}  // namespace

void SetProgressCallback(VellumProgressCallback callback) { current_callback = callback; }

Progress::Progress(int32_t kind, int32_t total, const char* target)
    : callback_(current_callback), kind_(kind), total_(total), target_(target) {}

bool Progress::Ask(const char* item) {
  if (!Call(item)) return false;
  ++done_;
  return true;
}

bool Progress::Tick() {
  if (callback_ == nullptr || stopped_) return !stopped_;
  if (std::chrono::steady_clock::now() - called_ < kTickInterval) return true;
  return Call(nullptr);
}

bool Progress::Call(const char* item) {
  if (stopped_) return false;
  const VellumProgress progress{kind_, done_, total_, item, target_, failed_};
  called_ = std::chrono::steady_clock::now();
  stopped_ = callback_(&progress) != 0;
  return !stopped_;
}

}  // namespace vellum::core
