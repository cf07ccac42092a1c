// Extension lists as GL, GLX and EGL give them: names separated by blanks.
#pragma once

namespace veltrane {

// Whether the list holds the name as a whole word; false for a null list.
bool ExtensionListHas(const char* list, const char* name);

}  // namespace veltrane
