// The last error, its text and the error callback.
#include "shader/cg_objects.h"

namespace {

CGerror last_error = CG_NO_ERROR;
CGerrorCallbackFunc error_callback = nullptr;
bool in_callback = false;

// Clears the flag however the callback ends, including a fatal exit that unwinds.
struct CallbackGuard {
  CallbackGuard() { in_callback = true; }
  ~CallbackGuard() { in_callback = false; }
  CallbackGuard(const CallbackGuard&) = delete;
  CallbackGuard& operator=(const CallbackGuard&) = delete;
};

}  // namespace

namespace veltrane::cg {

void RaiseError(CGerror error) {
  last_error = error;
  if (error_callback == nullptr || in_callback) return;
  CallbackGuard guard;
  error_callback();
}

}  // namespace veltrane::cg

CGerror cgGetError(void) {
  CGerror error = last_error;
  last_error = CG_NO_ERROR;
  return error;
}

const char* cgGetErrorString(CGerror error) {
  switch (error) {
    case CG_NO_ERROR: return "No error has occurred.";
    case CG_COMPILER_ERROR: return "The compile returned an error.";
    case CG_INVALID_PARAMETER_ERROR: return "The parameter used is invalid.";
    case CG_INVALID_PROFILE_ERROR: return "The profile is not supported.";
    case CG_FILE_READ_ERROR: return "The file could not be read.";
    case CG_PROGRAM_LOAD_ERROR: return "The program could not load.";
    case CG_PROGRAM_BIND_ERROR: return "The program could not be bound.";
    case CG_PROGRAM_NOT_LOADED_ERROR: return "The program must be loaded before this operation may be used.";
    case CG_UNSUPPORTED_GL_EXTENSION_ERROR: return "An unsupported GL extension was required to perform this operation.";
    case CG_INVALID_ENUMERANT_ERROR: return "Invalid enumerant.";
    case CG_INVALID_CONTEXT_HANDLE_ERROR: return "Invalid context handle.";
    case CG_INVALID_PROGRAM_HANDLE_ERROR: return "Invalid program handle.";
    case CG_INVALID_PARAM_HANDLE_ERROR: return "Invalid parameter handle.";
    case CG_INVALID_PARAMETER_TYPE_ERROR: return "The parameter is not of the type this operation needs.";
    default: return "Unknown error.";
  }
}

void cgSetErrorCallback(CGerrorCallbackFunc func) { error_callback = func; }

CGerrorCallbackFunc cgGetErrorCallback(void) { return error_callback; }
