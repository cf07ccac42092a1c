// Which handles are live, kept by kind so that a handle of one kind passed as another is
// refused too.
#include <unordered_map>

#include "shader/cg_objects.h"

namespace veltrane::cg {
namespace {

std::unordered_map<const void*, HandleKind>& LiveHandles() {
  static std::unordered_map<const void*, HandleKind> live;
  return live;
}

bool IsLive(const void* handle, HandleKind kind) {
  if (handle == nullptr) return false;
  auto it = LiveHandles().find(handle);
  return it != LiveHandles().end() && it->second == kind;
}

}  // namespace

void AddLive(const void* handle, HandleKind kind) { LiveHandles()[handle] = kind; }
void RemoveLive(const void* handle) { LiveHandles().erase(handle); }

bool IsLiveContext(CGcontext context) { return IsLive(context, HandleKind::kContext); }
bool IsLiveProgram(CGprogram program) { return IsLive(program, HandleKind::kProgram); }
bool IsLiveParameter(CGparameter param) { return IsLive(param, HandleKind::kParameter); }

int StageOfProfile(CGprofile profile) {
  switch (profile) {
    case CG_PROFILE_GLSLV: return 0;
    case CG_PROFILE_GLSLF: return 1;
    default: return -1;
  }
}

bool UsableParameter(CGparameter param) {
  if (param == nullptr) return false;
  if (!IsLiveParameter(param)) {
    RaiseError(CG_INVALID_PARAM_HANDLE_ERROR);
    return false;
  }
  return true;
}

}  // namespace veltrane::cg
