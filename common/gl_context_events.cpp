#include "common/gl_context_events.h"

#include <algorithm>
#include <vector>

namespace veltrane {
namespace {

std::vector<GlContextListener>& Listeners() {
  static std::vector<GlContextListener> listeners;
  return listeners;
}

}  // namespace

void AddGlContextDestroyedListener(GlContextListener listener) {
  auto& listeners = Listeners();
  if (listener != nullptr && std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
    listeners.push_back(listener);
}

void NotifyGlContextDestroyed(const void* context) {
  for (GlContextListener listener : Listeners()) listener(context);
}

}  // namespace veltrane
