// The runtime's own objects behind the opaque Cg handles, and the bookkeeping that tells a
// live handle from a stale one. Only the runtime (and its tests) look inside.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shader/cg_runtime.h"

struct _CGparameter {
  CGprogram program = nullptr;
  std::string name;
  GLenum gl_type = 0;          // the GLSL type as GL reports it (GL_FLOAT_VEC3, GL_SAMPLER_2D_RECT, ...)
  GLint location = -1;
  int float_count = 0;         // float, vecN: N; mat4: 16; anything else: 0
  float value[16] = {};        // the values last set (at first, the program's own initial values)
  GLenum texture_target = 0;   // samplers: the texture target the sampler type implies, else 0
  GLint unit = -1;             // samplers: the texture unit fixed for it when the program was made
  GLuint texture = 0;          // samplers: the texture given by cgGLSetTextureParameter
};

struct _CGprogram {
  CGcontext context = nullptr;
  CGprofile profile = CG_PROFILE_UNKNOWN;
  GLuint gl_program = 0;       // separable GL program object, shared by contexts that share objects
  bool loaded = false;
  std::vector<std::unique_ptr<_CGparameter>> parameters;
};

struct _CGcontext {
  std::vector<std::unique_ptr<_CGprogram>> programs;
  std::string listing;         // compile and link log of the last program created in it
};

namespace veltrane::cg {

// Records the error as the last one and runs the error callback, if one is set. The callback
// does not run again for errors raised while it runs.
void RaiseError(CGerror error);

// Handle book-keeping: a handle is live from its creation until it is destroyed.
enum class HandleKind { kContext, kProgram, kParameter };
void AddLive(const void* handle, HandleKind kind);
void RemoveLive(const void* handle);
bool IsLiveContext(CGcontext context);
bool IsLiveProgram(CGprogram program);
bool IsLiveParameter(CGparameter param);

// 0 for the vertex profile, 1 for the fragment profile, -1 for anything else.
int StageOfProfile(CGprofile profile);

// Drops a program that is being destroyed from every context's stages.
void ForgetBoundProgram(CGprogram program);

// Whether the GL entry points the runtime calls are there (separate shader objects).
bool SeparableProgramsAvailable();

// Reads the program's active uniforms into parameters, gives each sampler its own texture unit
// (0, 1, ... in the order GL lists them) and reads every float value's initial value.
void CollectParameters(CGprogram program);

// Sends a float, vector or matrix parameter's value to its program.
void UploadValue(CGparameter param);

// Makes sure the current context draws with the program's latest values, also those set while
// another context was current (see cg_parameters.cpp).
void RefreshValuesInCurrentContext(CGprogram program);

// Checks a parameter handle for a value operation: nullptr is quietly refused (false, no
// error); a stale handle raises CG_INVALID_PARAM_HANDLE_ERROR.
bool UsableParameter(CGparameter param);

}  // namespace veltrane::cg
