// Contexts, profiles and the compiler listing.
#include "shader/cg_objects.h"

using veltrane::cg::RaiseError;

CGcontext cgCreateContext(void) {
  auto context = std::make_unique<_CGcontext>();
  veltrane::cg::AddLive(context.get(), veltrane::cg::HandleKind::kContext);
  return context.release();
}

void cgDestroyContext(CGcontext context) {
  if (!veltrane::cg::IsLiveContext(context)) {
    RaiseError(CG_INVALID_CONTEXT_HANDLE_ERROR);
    return;
  }
  while (!context->programs.empty()) cgDestroyProgram(context->programs.back().get());
  veltrane::cg::RemoveLive(context);
  delete context;
}

CGprofile cgGLGetLatestProfile(CGGLenum profile_type) {
  if (profile_type != CG_GL_VERTEX && profile_type != CG_GL_FRAGMENT) {
    RaiseError(CG_INVALID_ENUMERANT_ERROR);
    return CG_PROFILE_UNKNOWN;
  }
  if (!veltrane::cg::SeparableProgramsAvailable()) {
    RaiseError(CG_UNSUPPORTED_GL_EXTENSION_ERROR);
    return CG_PROFILE_UNKNOWN;
  }
  return profile_type == CG_GL_VERTEX ? CG_PROFILE_GLSLV : CG_PROFILE_GLSLF;
}

// GLSL has no options to tune; only the profile is checked.
void cgGLSetOptimalOptions(CGprofile profile) {
  if (veltrane::cg::StageOfProfile(profile) < 0) RaiseError(CG_INVALID_PROFILE_ERROR);
}

// Never raises an error: the error callback calls it while reporting one. An unknown context
// has an empty listing.
const char* cgGetLastListing(CGcontext context) {
  if (!veltrane::cg::IsLiveContext(context)) return "";
  return context->listing.c_str();
}
