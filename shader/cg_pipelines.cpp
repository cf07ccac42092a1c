// Which stages are programmable and which program each runs, kept per GL context.
//
// Programs are shared between contexts that share objects, but program pipeline objects are
// not, and a program may draw in several contexts (the tests make more than one). So every GL
// context gets its own pipeline and its own record of enabled profiles and bound programs; the
// record of the context that is current at the call is the one changed and applied. A context
// that is destroyed takes its record along (common/gl_context_events.h), so a context made
// later at the same address starts afresh; nothing here asks GL about its own objects.
#include <GL/glew.h>

#include <unordered_map>

#include "common/gl_context_events.h"
#include "render/current_gl_context.h"
#include "shader/cg_objects.h"

using veltrane::cg::RaiseError;

namespace {

struct ContextStages {
  GLuint pipeline = 0;
  bool enabled[2] = {false, false};     // by stage: vertex, fragment
  CGprogram bound[2] = {nullptr, nullptr};
};

std::unordered_map<const void*, ContextStages>& AllStages();

// The pipeline object went with the context.
void ForgetContext(const void* context) {
  AllStages().erase(context);
}

std::unordered_map<const void*, ContextStages>& AllStages() {
  static std::unordered_map<const void*, ContextStages> stages;
  static const bool listening = (veltrane::AddGlContextDestroyedListener(&ForgetContext), true);
  (void)listening;
  return stages;
}

ContextStages& CurrentStages() { return AllStages()[veltrane::CurrentGlContext()]; }

// With a program on an enabled stage: the context's pipeline, bound, running the bound
// program on each enabled stage and nothing (fixed function) on the others. Otherwise no
// pipeline at all: GL refuses to draw with an empty one.
void ApplyStages(ContextStages& stages) {
  if (veltrane::CurrentGlContext() == nullptr) return;
  CGprogram running[2] = {stages.enabled[0] ? stages.bound[0] : nullptr,
                          stages.enabled[1] ? stages.bound[1] : nullptr};
  if (running[0] == nullptr && running[1] == nullptr) {
    glBindProgramPipeline(0);
    return;
  }
  if (stages.pipeline == 0) glGenProgramPipelines(1, &stages.pipeline);
  glUseProgram(0);
  glBindProgramPipeline(stages.pipeline);
  static const GLbitfield kStageBits[2] = {GL_VERTEX_SHADER_BIT, GL_FRAGMENT_SHADER_BIT};
  for (int s = 0; s < 2; ++s) {
    glUseProgramStages(stages.pipeline, kStageBits[s], running[s] ? running[s]->gl_program : 0);
    if (running[s] != nullptr) veltrane::cg::RefreshValuesInCurrentContext(running[s]);
  }
}

void SetProfileEnabled(CGprofile profile, bool enabled) {
  int stage = veltrane::cg::StageOfProfile(profile);
  if (stage < 0) {
    RaiseError(CG_INVALID_PROFILE_ERROR);
    return;
  }
  if (!veltrane::cg::SeparableProgramsAvailable()) {
    RaiseError(CG_UNSUPPORTED_GL_EXTENSION_ERROR);
    return;
  }
  ContextStages& stages = CurrentStages();
  stages.enabled[stage] = enabled;
  ApplyStages(stages);
}

}  // namespace

namespace veltrane::cg {

void ForgetBoundProgram(CGprogram program) {
  const void* current = veltrane::CurrentGlContext();
  for (auto& [context, stages] : AllStages()) {
    bool changed = false;
    for (CGprogram& bound : stages.bound) {
      if (bound == program) {
        bound = nullptr;
        changed = true;
      }
    }
    if (changed && context == current) ApplyStages(stages);
  }
}

}  // namespace veltrane::cg

void cgGLEnableProfile(CGprofile profile) { SetProfileEnabled(profile, true); }

void cgGLDisableProfile(CGprofile profile) { SetProfileEnabled(profile, false); }

void cgGLBindProgram(CGprogram program) {
  if (!veltrane::cg::IsLiveProgram(program)) {
    RaiseError(CG_INVALID_PROGRAM_HANDLE_ERROR);
    return;
  }
  if (!program->loaded) {
    RaiseError(CG_PROGRAM_NOT_LOADED_ERROR);
    return;
  }
  ContextStages& stages = CurrentStages();
  stages.bound[veltrane::cg::StageOfProfile(program->profile)] = program;
  ApplyStages(stages);
}
