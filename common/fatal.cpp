#include "common/fatal.h"

#include <cstdio>
#include <cstdlib>

namespace veltrane {
namespace {
FatalHandler g_handler = nullptr;
}

FatalHandler SetFatalHandler(FatalHandler handler) {
  FatalHandler previous = g_handler;
  g_handler = handler;
  return previous;
}

void FatalExit(int status) {
  if (g_handler) g_handler(status);
  std::exit(status);
}

}  // namespace veltrane
