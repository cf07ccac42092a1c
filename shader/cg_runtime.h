// The shader runtime: the operations of NVIDIA's Cg runtime that the viewer uses, built on
// GLSL. Programs are GLSL source files (vertex or fragment), compiled as separable programs
// and bound into per-context program pipelines; a stage without a program (profile disabled)
// falls back to fixed-function processing.
//
//   CGcontext ctx = cgCreateContext();
//   CGprofile fp = cgGLGetLatestProfile(CG_GL_FRAGMENT);
//   cgGLSetOptimalOptions(fp);
//   CGprogram prog = cgCreateProgramFromFile(ctx, CG_SOURCE, "shader/dir/x.cg", fp, nullptr, nullptr);
//   cgGLLoadProgram(prog);
//   CGparameter p = cgGetNamedParameter(prog, "lightcolor");
//   cgGLSetParameter3f(p, 1, 1, 1);
//   cgGLEnableProfile(fp); cgGLBindProgram(prog);  ... draw ...  cgGLDisableProfile(fp);
//
// Handles are small opaque values; nullptr is the invalid handle. cgGetNamedParameter returns
// it for a name the program does not have (GLSL also drops uniforms that a shader never
// reads), and every operation on it does nothing and raises no error: callers never test
// parameter handles. Any other handle that is not (or no longer) live is refused with the
// matching CG_INVALID_*_HANDLE_ERROR.
//
// Per GL context: which profiles are enabled and which program each stage runs; binding a
// program in one context does not touch another's stages. (The render targets draw in the
// window's own context, so the frame's passes share one record: each disables what it enabled.)
// Parameter values and texture choices belong to the program and hold in every context.
//
// Errors: each failing operation records its error (cgGetError takes and clears it) and then
// runs the callback set with cgSetErrorCallback, if any; an error raised while the callback
// runs is recorded but does not run it again.
#pragma once

#include <GL/glew.h>

typedef struct _CGcontext* CGcontext;
typedef struct _CGprogram* CGprogram;
typedef struct _CGparameter* CGparameter;

typedef int CGenum;
typedef int CGerror;
typedef int CGbool;

typedef enum {
  CG_PROFILE_UNKNOWN = 6145,
  CG_PROFILE_GLSLV = 7007,  // GLSL vertex stage
  CG_PROFILE_GLSLF = 7008,  // GLSL fragment stage
} CGprofile;

typedef enum {
  CG_GL_MATRIX_IDENTITY = 0,
  CG_GL_MATRIX_TRANSPOSE = 1,
  CG_GL_MATRIX_INVERSE = 2,
  CG_GL_MATRIX_INVERSE_TRANSPOSE = 3,
  CG_GL_MODELVIEW_MATRIX = 4,
  CG_GL_PROJECTION_MATRIX = 5,
  CG_GL_TEXTURE_MATRIX = 6,
  CG_GL_MODELVIEW_PROJECTION_MATRIX = 7,
  CG_GL_VERTEX = 8,
  CG_GL_FRAGMENT = 9,
} CGGLenum;

enum : CGenum { CG_SOURCE = 4112, CG_OBJECT = 4113 };

enum : CGerror {
  CG_NO_ERROR = 0,
  CG_COMPILER_ERROR = 1,
  CG_INVALID_PARAMETER_ERROR = 2,
  CG_INVALID_PROFILE_ERROR = 3,
  CG_FILE_READ_ERROR = 4,
  CG_INVALID_CONTEXT_HANDLE_ERROR = 16,
  CG_INVALID_PROGRAM_HANDLE_ERROR = 17,
  CG_INVALID_PARAM_HANDLE_ERROR = 18,
  CG_INVALID_ENUMERANT_ERROR = 12,
  CG_INVALID_PARAMETER_TYPE_ERROR = 26,
  CG_PROGRAM_LOAD_ERROR = 5,
  CG_PROGRAM_BIND_ERROR = 6,
  CG_PROGRAM_NOT_LOADED_ERROR = 7,
  CG_UNSUPPORTED_GL_EXTENSION_ERROR = 8,
};

typedef void (*CGerrorCallbackFunc)(void);

CGcontext cgCreateContext(void);
void cgDestroyContext(CGcontext context);

CGprofile cgGLGetLatestProfile(CGGLenum profile_type);
void cgGLSetOptimalOptions(CGprofile profile);

// program_type must be CG_SOURCE; entry and args are accepted and ignored (GLSL's entry is main).
// The file is read, compiled for the profile's stage and linked before this returns; the compile
// and link log becomes the context's listing. Returns nullptr on failure (CG_FILE_READ_ERROR,
// CG_COMPILER_ERROR, ...). Each sampler of the program gets a texture unit of its own.
CGprogram cgCreateProgramFromFile(CGcontext context, CGenum program_type, const char* program_file,
                                  CGprofile profile, const char* entry, const char** args);
// The same from source held in memory (program: the source text; CG_INVALID_PARAMETER_ERROR when
// null); the listing is the log alone, with no file name.
CGprogram cgCreateProgram(CGcontext context, CGenum program_type, const char* program, CGprofile profile,
                          const char* entry, const char** args);
void cgDestroyProgram(CGprogram program);
void cgGLLoadProgram(CGprogram program);
// Enabled profiles and bound programs are kept per GL context (the one current at the call).
// Code that destroys a context in which it used them calls veltrane::NotifyGlContextDestroyed
// (common/gl_context_events.h), so that a later context at the same address starts afresh.
void cgGLBindProgram(CGprogram program);
void cgGLEnableProfile(CGprofile profile);
void cgGLDisableProfile(CGprofile profile);

CGparameter cgGetNamedParameter(CGprogram program, const char* name);
// Float and vector parameters: the values given set the first components, the rest keep theirs.
void cgGLSetParameter1f(CGparameter param, float x);
void cgGLSetParameter3f(CGparameter param, float x, float y, float z);
void cgGLSetParameter4f(CGparameter param, float x, float y, float z, float w);
// Reads the GL matrix now (modelview, projection, texture, or projection * modelview) and sets
// it, transformed, into a mat4 parameter. A singular matrix asked for with an inverse raises
// CG_INVALID_PARAMETER_ERROR and leaves the value as it was.
void cgGLSetStateMatrixParameter(CGparameter param, CGGLenum matrix, CGGLenum transform);
// Sampler parameters: Set remembers the texture; Enable binds it on the sampler's own unit
// (target from the sampler's type: 2D, rectangle, ...) in the current context, Disable unbinds
// that unit. Both leave texture unit 0 active.
void cgGLSetTextureParameter(CGparameter param, GLuint texture);
void cgGLEnableTextureParameter(CGparameter param);
void cgGLDisableTextureParameter(CGparameter param);
// The texture unit of a sampler parameter, as GL_TEXTURE0 + unit; GL_INVALID_OPERATION (and
// CG_INVALID_PARAMETER_TYPE_ERROR) for a parameter that is no sampler.
GLenum cgGLGetTextureEnum(CGparameter param);

CGerror cgGetError(void);
const char* cgGetErrorString(CGerror error);
const char* cgGetLastListing(CGcontext context);  // never null; "" for an unknown context
void cgSetErrorCallback(CGerrorCallbackFunc func);
CGerrorCallbackFunc cgGetErrorCallback(void);
