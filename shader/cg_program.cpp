// Programs: a GLSL source file compiled for the stage its profile names, as a separable
// program.
#include <algorithm>
#include <cstdio>

#include "shader/cg_objects.h"
#include "shader/glsl_separable.h"

using veltrane::cg::RaiseError;

namespace {

// Shader sources are small; anything larger is not one.
constexpr size_t kMaxSourceBytes = 16u << 20;

bool ReadSourceFile(const char* path, std::string* source) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  char block[4096];
  bool ok = true;
  for (;;) {
    size_t got = std::fread(block, 1, sizeof block, file);
    source->append(block, got);
    if (source->size() > kMaxSourceBytes) {
      ok = false;
      break;
    }
    if (got < sizeof block) {
      ok = std::ferror(file) == 0;
      break;
    }
  }
  std::fclose(file);
  return ok;
}

}  // namespace

namespace {

// The checks both ways of making a program share: the stage of the profile (0 vertex, 1
// fragment), or -1 with the error raised.
int CheckedStage(CGcontext context, CGenum program_type, CGprofile profile) {
  if (!veltrane::cg::IsLiveContext(context)) {
    RaiseError(CG_INVALID_CONTEXT_HANDLE_ERROR);
    return -1;
  }
  if (program_type != CG_SOURCE) {
    RaiseError(CG_INVALID_ENUMERANT_ERROR);
    return -1;
  }
  int stage = veltrane::cg::StageOfProfile(profile);
  if (stage < 0) {
    RaiseError(CG_INVALID_PROFILE_ERROR);
    return -1;
  }
  if (!veltrane::cg::SeparableProgramsAvailable()) {
    RaiseError(CG_UNSUPPORTED_GL_EXTENSION_ERROR);
    return -1;
  }
  return stage;
}

// Compiles and links source for the stage; the log, headed by `name` where there is one,
// becomes the context's listing.
CGprogram BuildProgram(CGcontext context, CGprofile profile, int stage, const std::string& source,
                       const std::string& name) {
  std::string log;
  GLuint gl_program = veltrane::cg::BuildSeparableProgram(
      stage == 0 ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER, source, &log);
  context->listing = log.empty() || name.empty() ? log : name + ":\n" + log;
  if (gl_program == 0) {
    RaiseError(CG_COMPILER_ERROR);
    return nullptr;
  }

  auto program = std::make_unique<_CGprogram>();
  program->context = context;
  program->profile = profile;
  program->gl_program = gl_program;
  veltrane::cg::CollectParameters(program.get());
  veltrane::cg::AddLive(program.get(), veltrane::cg::HandleKind::kProgram);
  context->programs.push_back(std::move(program));
  return context->programs.back().get();
}

}  // namespace

CGprogram cgCreateProgramFromFile(CGcontext context, CGenum program_type, const char* program_file,
                                  CGprofile profile, const char* entry, const char** args) {
  const int stage = CheckedStage(context, program_type, profile);
  if (stage < 0) return nullptr;
  std::string path = program_file != nullptr ? program_file : "";
  std::string source;
  if (program_file == nullptr || !ReadSourceFile(program_file, &source)) {
    context->listing = path + ": cannot read the file\n";
    RaiseError(CG_FILE_READ_ERROR);
    return nullptr;
  }
  return BuildProgram(context, profile, stage, source, path);
}

CGprogram cgCreateProgram(CGcontext context, CGenum program_type, const char* program, CGprofile profile,
                          const char* entry, const char** args) {
  const int stage = CheckedStage(context, program_type, profile);
  if (stage < 0) return nullptr;
  if (program == nullptr) {
    RaiseError(CG_INVALID_PARAMETER_ERROR);
    return nullptr;
  }
  return BuildProgram(context, profile, stage, program, "");
}

void cgDestroyProgram(CGprogram program) {
  if (!veltrane::cg::IsLiveProgram(program)) {
    RaiseError(CG_INVALID_PROGRAM_HANDLE_ERROR);
    return;
  }
  veltrane::cg::ForgetBoundProgram(program);
  for (const auto& param : program->parameters) veltrane::cg::RemoveLive(param.get());
  veltrane::cg::RemoveLive(program);
  glDeleteProgram(program->gl_program);
  auto& programs = program->context->programs;
  programs.erase(std::find_if(programs.begin(), programs.end(),
                              [program](const auto& p) { return p.get() == program; }));
}

// Compiling and linking happened at creation; loading only marks the program ready to bind.
void cgGLLoadProgram(CGprogram program) {
  if (!veltrane::cg::IsLiveProgram(program)) {
    RaiseError(CG_INVALID_PROGRAM_HANDLE_ERROR);
    return;
  }
  program->loaded = true;
}
