// A steady frame asks the driver nothing back and switches no context: on a driver that runs GL
// on a thread of its own every query waits for that thread, and a context switch flushes. The
// entry points GL exports itself (OpenGL 1.1's queries) are this test program's own here,
// counting and forwarding (the program's definitions come before libGL's); every query pointer
// GLEW loads (all __glewGet* and __glewIs*, listed from glew.h at build time) is swapped for a
// counting one while the frames run; so are the window systems' make-current calls.
#include <GL/glew.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/display.h"
#include "viewer_scene_fixture.h"

namespace {

bool g_counting = false;
std::map<std::string, int> g_queries;
int g_make_current = 0;

void Count(const char* name) {
  if (g_counting) ++g_queries[name];
}

// A GLEW pointer, swapped for one that counts and forwards.
template <auto Slot>
struct Counting;
template <typename R, typename... A, R (GLAPIENTRY** Slot)(A...)>
struct Counting<Slot> {
  static inline R(GLAPIENTRY* real)(A...) = nullptr;
  static inline const char* name = nullptr;
  static R GLAPIENTRY Call(A... args) {
    Count(name);
    return real(args...);
  }
  static void Install(const char* label) {
    name = label;
    real = *Slot;
    if (real != nullptr) *Slot = &Call;
  }
  static void Restore() {
    if (real != nullptr) *Slot = real;
  }
};

struct GlewQuery {
  void (*install)(const char*);
  void (*restore)();
  const char* name;
};

#define QUERY(slot) {&Counting<&slot>::Install, &Counting<&slot>::Restore, #slot},
const GlewQuery kGlewQueries[] = {
#include "glew_queries.inc"
};
#undef QUERY

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// OpenGL 1.1's queries, which libGL exports and our code calls directly.
#define FORWARD(ret, name, params, args)                         \
  extern "C" ret GLAPIENTRY name params {                        \
    static const auto real = Next<ret(GLAPIENTRY*) params>(#name); \
    Count(#name);                                                \
    return real args;                                            \
  }
FORWARD(void, glGetBooleanv, (GLenum p, GLboolean* v), (p, v))
FORWARD(void, glGetDoublev, (GLenum p, GLdouble* v), (p, v))
FORWARD(void, glGetFloatv, (GLenum p, GLfloat* v), (p, v))
FORWARD(void, glGetIntegerv, (GLenum p, GLint* v), (p, v))
FORWARD(GLenum, glGetError, (void), ())
FORWARD(const GLubyte*, glGetString, (GLenum p), (p))
FORWARD(void, glGetPointerv, (GLenum p, void** v), (p, v))
FORWARD(void, glGetClipPlane, (GLenum p, GLdouble* v), (p, v))
FORWARD(void, glGetLightfv, (GLenum l, GLenum p, GLfloat* v), (l, p, v))
FORWARD(void, glGetLightiv, (GLenum l, GLenum p, GLint* v), (l, p, v))
FORWARD(void, glGetMaterialfv, (GLenum f, GLenum p, GLfloat* v), (f, p, v))
FORWARD(void, glGetMaterialiv, (GLenum f, GLenum p, GLint* v), (f, p, v))
FORWARD(void, glGetMapdv, (GLenum t, GLenum q, GLdouble* v), (t, q, v))
FORWARD(void, glGetMapfv, (GLenum t, GLenum q, GLfloat* v), (t, q, v))
FORWARD(void, glGetMapiv, (GLenum t, GLenum q, GLint* v), (t, q, v))
FORWARD(void, glGetPixelMapfv, (GLenum m, GLfloat* v), (m, v))
FORWARD(void, glGetPixelMapuiv, (GLenum m, GLuint* v), (m, v))
FORWARD(void, glGetPixelMapusv, (GLenum m, GLushort* v), (m, v))
FORWARD(void, glGetPolygonStipple, (GLubyte* v), (v))
FORWARD(void, glGetTexEnvfv, (GLenum t, GLenum p, GLfloat* v), (t, p, v))
FORWARD(void, glGetTexEnviv, (GLenum t, GLenum p, GLint* v), (t, p, v))
FORWARD(void, glGetTexGendv, (GLenum c, GLenum p, GLdouble* v), (c, p, v))
FORWARD(void, glGetTexGenfv, (GLenum c, GLenum p, GLfloat* v), (c, p, v))
FORWARD(void, glGetTexGeniv, (GLenum c, GLenum p, GLint* v), (c, p, v))
FORWARD(void, glGetTexImage, (GLenum t, GLint l, GLenum f, GLenum y, void* v), (t, l, f, y, v))
FORWARD(void, glGetTexLevelParameterfv, (GLenum t, GLint l, GLenum p, GLfloat* v), (t, l, p, v))
FORWARD(void, glGetTexLevelParameteriv, (GLenum t, GLint l, GLenum p, GLint* v), (t, l, p, v))
FORWARD(void, glGetTexParameterfv, (GLenum t, GLenum p, GLfloat* v), (t, p, v))
FORWARD(void, glGetTexParameteriv, (GLenum t, GLenum p, GLint* v), (t, p, v))
FORWARD(GLboolean, glIsEnabled, (GLenum c), (c))
FORWARD(GLboolean, glIsList, (GLuint n), (n))
FORWARD(GLboolean, glIsTexture, (GLuint n), (n))
#undef FORWARD

// The window systems' make-current calls, declared here with the types they have in the ABI
// (Xlib's and EGL's headers would bring their macros into the test).
extern "C" int glXMakeCurrent(void* display, unsigned long drawable, void* context) {
  static const auto real = Next<int (*)(void*, unsigned long, void*)>("glXMakeCurrent");
  if (g_counting) ++g_make_current;
  return real(display, drawable, context);
}

extern "C" int glXMakeContextCurrent(void* display, unsigned long draw, unsigned long read,
                                     void* context) {
  static const auto real =
      Next<int (*)(void*, unsigned long, unsigned long, void*)>("glXMakeContextCurrent");
  if (g_counting) ++g_make_current;
  return real(display, draw, read, context);
}

extern "C" unsigned int eglMakeCurrent(void* display, void* draw, void* read, void* context) {
  static const auto real = Next<unsigned int (*)(void*, void*, void*, void*)>("eglMakeCurrent");
  if (g_counting) ++g_make_current;
  return real(display, draw, read, context);
}

namespace veltrane::test {
namespace {

using FrameQueriesTest = ViewerSceneTest;

TEST_F(FrameQueriesTest, SteadyFramesMakeNoQueriesAndNoContextSwitches) {
  ASSERT_GT(sizeof(kGlewQueries) / sizeof(kGlewQueries[0]), 100u);  // the list was found
  Display();  // the first frame makes the targets' framebuffers
  for (const GlewQuery& q : kGlewQueries) q.install(q.name);
  g_queries.clear();
  g_make_current = 0;
  g_counting = true;
  for (int frame = 0; frame < 3; ++frame) Display();
  g_counting = false;
  for (const GlewQuery& q : kGlewQueries) q.restore();

  std::string called;
  for (const auto& [name, count] : g_queries) called += name + " x" + std::to_string(count) + " ";
  EXPECT_TRUE(g_queries.empty()) << called;
  EXPECT_EQ(g_make_current, 0);

  // The counting itself works: a query made now is seen.
  g_counting = true;
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  g_counting = false;
  EXPECT_EQ(g_queries["glGetIntegerv"], 1);
}

}  // namespace
}  // namespace veltrane::test
