#include "render/gl_debug_output.h"

#include <GL/glew.h>

#include <cstdio>

namespace veltrane {
namespace {

GlErrorSink g_sink = nullptr;
int g_errors = 0;
bool g_debug_contexts = false;

void GLAPIENTRY OnMessage(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message,
                          const void*) {
  if (type != GL_DEBUG_TYPE_ERROR) return;
  ++g_errors;
  if (g_sink != nullptr)
    g_sink(message);
  else
    std::fprintf(stderr, "GL error: %s\n", message);
}

}  // namespace

bool EnableGlDebugOutput(GlErrorSink sink) {
  g_sink = sink;
  if ((GLEW_VERSION_4_3 || GLEW_KHR_debug) && glDebugMessageCallback != nullptr) {
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(&OnMessage, nullptr);
    // Errors only: every other message stays in the driver instead of reaching the callback.
    glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_FALSE);
    glDebugMessageControl(GL_DONT_CARE, GL_DEBUG_TYPE_ERROR, GL_DONT_CARE, 0, nullptr, GL_TRUE);
    return true;
  }
  if (GLEW_ARB_debug_output && glDebugMessageCallbackARB != nullptr) {
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS_ARB);
    glDebugMessageCallbackARB(&OnMessage, nullptr);
    glDebugMessageControlARB(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_FALSE);
    glDebugMessageControlARB(GL_DONT_CARE, GL_DEBUG_TYPE_ERROR_ARB, GL_DONT_CARE, 0, nullptr,
                             GL_TRUE);
    return true;
  }
  return false;
}

int GlDebugErrorCount() { return g_errors; }

void SetDebugContexts(bool debug) { g_debug_contexts = debug; }

bool DebugContexts() { return g_debug_contexts; }

}  // namespace veltrane
