#include "platform/core/uUiRuntime.h"

#include <atomic>

#include "platform/core/uApplication.h"

namespace qvt {

namespace {
std::atomic<TUiRuntimeProvider> GProvider{nullptr};
} // namespace

void SetUiRuntimeProvider(TUiRuntimeProvider provider) { GProvider.store(provider); }

std::shared_ptr<TUiRuntime> AcquireUiRuntime() {
  const TUiRuntimeProvider provider = GProvider.load();
  return provider ? provider() : nullptr;
}

bool TInlineUiRuntime::Call(const std::function<void()>& work, unsigned) {
  work();
  return true;
}

void TInlineUiRuntime::Post(std::function<void()> work) {
  Application->QueueFromAnyThread(std::move(work));
}

} // namespace qvt
