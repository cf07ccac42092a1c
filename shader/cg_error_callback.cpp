#include "shader/cg_error_callback.h"

#include <cstdio>

#include "common/fatal.h"

CGcontext cg_context = nullptr;

void CgErrorCallback(void) {
  CGerror error = cgGetError();
  if (error == CG_NO_ERROR) return;
  std::printf("%s\n\n", cgGetErrorString(error));
  std::printf("Dir Shader: %s\n", cgGetLastListing(cg_context));
  std::printf("Cg error, exiting...\n");
  veltrane::FatalExit(1);
}
