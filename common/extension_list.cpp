#include "common/extension_list.h"

#include <cstring>

namespace veltrane {

bool ExtensionListHas(const char* list, const char* name) {
  if (list == nullptr || name == nullptr || *name == '\0') return false;
  const size_t length = std::strlen(name);
  for (const char* at = list; (at = std::strstr(at, name)) != nullptr; at += length) {
    const bool starts = at == list || at[-1] == ' ';
    const bool ends = at[length] == ' ' || at[length] == '\0';
    if (starts && ends) return true;
  }
  return false;
}

}  // namespace veltrane
