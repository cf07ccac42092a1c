#include "render/fixed_function_matrices.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "common/gl_context_events.h"
#include "render/current_gl_context.h"

// The real entry points, which the linker's --wrap names __real_*.
extern "C" {
void __real_glMatrixMode(GLenum mode);
void __real_glLoadIdentity(void);
void __real_glLoadMatrixf(const GLfloat* m);
void __real_glLoadMatrixd(const GLdouble* m);
void __real_glMultMatrixf(const GLfloat* m);
void __real_glMultMatrixd(const GLdouble* m);
void __real_glPushMatrix(void);
void __real_glPopMatrix(void);
void __real_glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void __real_glTranslated(GLdouble x, GLdouble y, GLdouble z);
void __real_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void __real_glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z);
void __real_glScalef(GLfloat x, GLfloat y, GLfloat z);
void __real_glScaled(GLdouble x, GLdouble y, GLdouble z);
void __real_glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f);
void __real_glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f);
void __real_glPushAttrib(GLbitfield mask);
void __real_glPopAttrib(void);
}

namespace {

struct Mat {
  GLfloat m[16];
};

constexpr Mat kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// What one context's matrices are. The stacks hold at most as many entries as GL's (32 is what
// Mesa and the desktop drivers give; a deeper push fails in GL and here alike).
struct Record {
  GLenum mode = GL_MODELVIEW;
  std::vector<Mat> modelview{kIdentity};
  std::vector<Mat> projection{kIdentity};
  std::vector<GLenum> attrib_modes;  // per glPushAttrib: the mode kept, or 0 when not kept
  GLint max_modelview = 32;
  GLint max_projection = 2;
};

std::unordered_map<const void*, Record>& Records();

void Forget(const void* context) { Records().erase(context); }

std::unordered_map<const void*, Record>& Records() {
  static std::unordered_map<const void*, Record> records;
  static const bool listening = (veltrane::AddGlContextDestroyedListener(&Forget), true);
  (void)listening;
  return records;
}

// The current context's record; nullptr with none current. A context's first record asks GL
// once how deep its stacks go.
Record* Current() {
  const void* context = veltrane::CurrentGlContext();
  if (context == nullptr) return nullptr;
  auto [it, added] = Records().try_emplace(context);
  if (added) {
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &it->second.max_modelview);
    glGetIntegerv(GL_MAX_PROJECTION_STACK_DEPTH, &it->second.max_projection);
  }
  return &it->second;
}

// The matrix that operations change now; nullptr for the texture and colour matrices, which
// are not kept.
std::vector<Mat>* Stack(Record* r) {
  if (r == nullptr) return nullptr;
  if (r->mode == GL_MODELVIEW) return &r->modelview;
  if (r->mode == GL_PROJECTION) return &r->projection;
  return nullptr;
}

GLfloat* Top(Record* r) {
  std::vector<Mat>* stack = Stack(r);
  return stack != nullptr ? stack->back().m : nullptr;
}

// top = top x m, row by row as GL does (column-major: element (row i, column j) at [4j + i]).
void Multiply(GLfloat* top, const GLfloat* m) {
  for (int i = 0; i < 4; ++i) {
    const GLfloat a0 = top[i], a1 = top[4 + i], a2 = top[8 + i], a3 = top[12 + i];
    for (int j = 0; j < 4; ++j)
      top[4 * j + i] = a0 * m[4 * j] + a1 * m[4 * j + 1] + a2 * m[4 * j + 2] + a3 * m[4 * j + 3];
  }
}

void MultiplyCurrent(const GLfloat* m) {
  if (GLfloat* top = Top(Current())) Multiply(top, m);
}

template <typename T>
void ToFloats(const T* in, GLfloat out[16]) {
  for (int i = 0; i < 16; ++i) out[i] = static_cast<GLfloat>(in[i]);
}

void Translate(GLfloat x, GLfloat y, GLfloat z) {
  GLfloat* m = Top(Current());
  if (m == nullptr) return;
  m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
  m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
  m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
  m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
}

void Scale(GLfloat x, GLfloat y, GLfloat z) {
  GLfloat* m = Top(Current());
  if (m == nullptr) return;
  for (int i = 0; i < 4; ++i) {
    m[i] *= x;
    m[4 + i] *= y;
    m[8 + i] *= z;
  }
}

// A rotation about one of the axes is set up directly; any other axis is normalised first.
void Rotate(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  const GLfloat radians = static_cast<GLfloat>(angle * M_PI / 180.0);
  const GLfloat s = std::sin(radians);  // in single precision, as GL computes them
  const GLfloat c = std::cos(radians);
  Mat r = kIdentity;
  GLfloat* m = r.m;
  auto at = [m](int row, int col) -> GLfloat& { return m[4 * col + row]; };
  if (x == 0.0f && y == 0.0f && z != 0.0f) {
    at(0, 0) = c;
    at(1, 1) = c;
    at(0, 1) = z < 0.0f ? s : -s;
    at(1, 0) = z < 0.0f ? -s : s;
  } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
    at(0, 0) = c;
    at(2, 2) = c;
    at(0, 2) = y < 0.0f ? -s : s;
    at(2, 0) = y < 0.0f ? s : -s;
  } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
    at(1, 1) = c;
    at(2, 2) = c;
    at(1, 2) = x < 0.0f ? s : -s;
    at(2, 1) = x < 0.0f ? -s : s;
  } else {
    const GLfloat length = std::sqrt(x * x + y * y + z * z);
    if (length <= 1.0e-4f) return;  // GL leaves the matrix alone too
    x /= length;
    y /= length;
    z /= length;
    const GLfloat xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
    const GLfloat xs = x * s, ys = y * s, zs = z * s, one_c = 1.0f - c;
    at(0, 0) = (one_c * xx) + c;
    at(0, 1) = (one_c * xy) - zs;
    at(0, 2) = (one_c * zx) + ys;
    at(1, 0) = (one_c * xy) + zs;
    at(1, 1) = (one_c * yy) + c;
    at(1, 2) = (one_c * yz) - xs;
    at(2, 0) = (one_c * zx) - ys;
    at(2, 1) = (one_c * yz) + xs;
    at(2, 2) = (one_c * zz) + c;
  }
  MultiplyCurrent(m);
}

void Ortho(GLfloat l, GLfloat r, GLfloat b, GLfloat t, GLfloat n, GLfloat f) {
  Mat o = kIdentity;
  o.m[0] = 2.0f / (r - l);
  o.m[12] = -(r + l) / (r - l);
  o.m[5] = 2.0f / (t - b);
  o.m[13] = -(t + b) / (t - b);
  o.m[10] = -2.0f / (f - n);
  o.m[14] = -(f + n) / (f - n);
  MultiplyCurrent(o.m);
}

void Frustum(GLfloat l, GLfloat r, GLfloat b, GLfloat t, GLfloat n, GLfloat f) {
  Mat p = {};
  p.m[0] = (2.0f * n) / (r - l);
  p.m[8] = (r + l) / (r - l);
  p.m[5] = (2.0f * n) / (t - b);
  p.m[9] = (t + b) / (t - b);
  p.m[10] = -(f + n) / (f - n);
  p.m[14] = -(2.0f * f * n) / (f - n);
  p.m[11] = -1.0f;
  MultiplyCurrent(p.m);
}

// What GL refuses changes nothing here either.
bool ValidOrtho(double l, double r, double b, double t, double n, double f) {
  return l != r && b != t && n != f;
}

}  // namespace

namespace veltrane {

bool TrackedMatrix(GLenum which, GLfloat out[16]) {
  Record* r = Current();
  if (r == nullptr) return false;
  const std::vector<Mat>* stack = which == GL_MODELVIEW    ? &r->modelview
                                  : which == GL_PROJECTION ? &r->projection
                                                           : nullptr;
  if (stack == nullptr) return false;
  std::memcpy(out, stack->back().m, sizeof(Mat));
  return true;
}

}  // namespace veltrane

extern "C" {

void __wrap_glMatrixMode(GLenum mode) {
  if (Record* r = Current()) r->mode = mode;
  __real_glMatrixMode(mode);
}

void __wrap_glLoadIdentity(void) {
  if (GLfloat* top = Top(Current())) std::memcpy(top, kIdentity.m, sizeof(Mat));
  __real_glLoadIdentity();
}

void __wrap_glLoadMatrixf(const GLfloat* m) {
  if (GLfloat* top = Top(Current())) std::memcpy(top, m, sizeof(Mat));
  __real_glLoadMatrixf(m);
}

void __wrap_glLoadMatrixd(const GLdouble* m) {
  if (GLfloat* top = Top(Current())) ToFloats(m, top);
  __real_glLoadMatrixd(m);
}

void __wrap_glMultMatrixf(const GLfloat* m) {
  MultiplyCurrent(m);
  __real_glMultMatrixf(m);
}

void __wrap_glMultMatrixd(const GLdouble* m) {
  GLfloat f[16];
  ToFloats(m, f);
  MultiplyCurrent(f);
  __real_glMultMatrixd(m);
}

void __wrap_glPushMatrix(void) {
  Record* r = Current();
  if (std::vector<Mat>* stack = Stack(r)) {
    const GLint most = stack == &r->modelview ? r->max_modelview : r->max_projection;
    if (static_cast<GLint>(stack->size()) < most) stack->push_back(stack->back());
  }
  __real_glPushMatrix();
}

void __wrap_glPopMatrix(void) {
  if (std::vector<Mat>* stack = Stack(Current()); stack != nullptr && stack->size() > 1)
    stack->pop_back();
  __real_glPopMatrix();
}

void __wrap_glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  Translate(x, y, z);
  __real_glTranslatef(x, y, z);
}

void __wrap_glTranslated(GLdouble x, GLdouble y, GLdouble z) {
  Translate(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
  __real_glTranslated(x, y, z);
}

void __wrap_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  Rotate(angle, x, y, z);
  __real_glRotatef(angle, x, y, z);
}

void __wrap_glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
  Rotate(static_cast<GLfloat>(angle), static_cast<GLfloat>(x), static_cast<GLfloat>(y),
         static_cast<GLfloat>(z));
  __real_glRotated(angle, x, y, z);
}

void __wrap_glScalef(GLfloat x, GLfloat y, GLfloat z) {
  Scale(x, y, z);
  __real_glScalef(x, y, z);
}

void __wrap_glScaled(GLdouble x, GLdouble y, GLdouble z) {
  Scale(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
  __real_glScaled(x, y, z);
}

void __wrap_glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  if (ValidOrtho(l, r, b, t, n, f))
    Ortho(static_cast<GLfloat>(l), static_cast<GLfloat>(r), static_cast<GLfloat>(b),
          static_cast<GLfloat>(t), static_cast<GLfloat>(n), static_cast<GLfloat>(f));
  __real_glOrtho(l, r, b, t, n, f);
}

void __wrap_glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  if (n > 0 && f > 0 && ValidOrtho(l, r, b, t, n, f))
    Frustum(static_cast<GLfloat>(l), static_cast<GLfloat>(r), static_cast<GLfloat>(b),
            static_cast<GLfloat>(t), static_cast<GLfloat>(n), static_cast<GLfloat>(f));
  __real_glFrustum(l, r, b, t, n, f);
}

void __wrap_glPushAttrib(GLbitfield mask) {
  if (Record* r = Current())
    r->attrib_modes.push_back((mask & GL_TRANSFORM_BIT) != 0 ? r->mode : 0);
  __real_glPushAttrib(mask);
}

void __wrap_glPopAttrib(void) {
  if (Record* r = Current(); r != nullptr && !r->attrib_modes.empty()) {
    if (r->attrib_modes.back() != 0) r->mode = r->attrib_modes.back();
    r->attrib_modes.pop_back();
  }
  __real_glPopAttrib();
}

// GLU's perspective and 2D orthographic projections, made as GLU makes them.
void __wrap_gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble z_near, GLdouble z_far) {
  const double radians = fovy / 2 * M_PI / 180;
  const double delta_z = z_far - z_near;
  const double sine = std::sin(radians);
  if (delta_z == 0 || sine == 0 || aspect == 0) return;
  const double cotangent = std::cos(radians) / sine;
  GLdouble m[16] = {};
  m[0] = cotangent / aspect;
  m[5] = cotangent;
  m[10] = -(z_far + z_near) / delta_z;
  m[11] = -1;
  m[14] = -2 * z_near * z_far / delta_z;
  __wrap_glMultMatrixd(m);
}

void __wrap_gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
  __wrap_glOrtho(left, right, bottom, top, -1, 1);
}

}  // extern "C"
