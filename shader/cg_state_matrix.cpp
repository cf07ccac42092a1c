// State matrices: the current GL model-view, projection or texture matrix (or the product of
// projection and model-view), as it is at the call, transformed before it is set. Model-view and
// projection come from our own record of the matrix calls (render/fixed_function_matrices.h),
// so a frame asks GL nothing; the texture matrix, which no frame uses, is read back from GL.
#include <cfloat>
#include <cmath>

#include "render/fixed_function_matrices.h"
#include "shader/cg_objects.h"

using veltrane::cg::RaiseError;

namespace {

// GL's layout throughout: column-major, element (row r, column c) at [4c + r].
using Mat4 = double[16];

void ReadGlMatrix(GLenum which, Mat4 out) {
  GLfloat m[16] = {};
  if (which == GL_MODELVIEW_MATRIX && veltrane::TrackedMatrix(GL_MODELVIEW, m)) {
  } else if (which == GL_PROJECTION_MATRIX && veltrane::TrackedMatrix(GL_PROJECTION, m)) {
  } else {
    glGetFloatv(which, m);
  }
  for (int i = 0; i < 16; ++i) out[i] = m[i];
}

void Multiply(const Mat4 a, const Mat4 b, Mat4 out) {
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a[4 * k + r] * b[4 * c + k];
      out[4 * c + r] = sum;
    }
  }
}

void Transpose(Mat4 m) {
  for (int c = 0; c < 4; ++c) {
    for (int r = c + 1; r < 4; ++r) {
      double t = m[4 * c + r];
      m[4 * c + r] = m[4 * r + c];
      m[4 * r + c] = t;
    }
  }
}

// Inverts m in place through its cofactors. Returns false, leaving m as it was, when m is
// singular or the inverse does not come out finite.
bool Invert(Mat4 m) {
  double inv[16];
  inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
           m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
  inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
           m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
  inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
           m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
  inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
            m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
  inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
           m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
  inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
           m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
  inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
           m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
  inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
            m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
  inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] +
           m[5] * m[3] * m[14] + m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
  inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
           m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
  inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
            m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
  inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
            m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
  inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
           m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
  inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] +
           m[4] * m[3] * m[10] + m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
  inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] -
            m[4] * m[3] * m[9] - m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
  inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] +
            m[4] * m[2] * m[9] + m[8] * m[1] * m[6] - m[8] * m[2] * m[5];

  double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
  if (det == 0.0 || !std::isfinite(det)) return false;
  for (double& v : inv) {
    v /= det;
    if (!std::isfinite(v)) return false;
  }
  for (int i = 0; i < 16; ++i) m[i] = inv[i];
  return true;
}

bool ReadStateMatrix(CGGLenum matrix, Mat4 out) {
  switch (matrix) {
    case CG_GL_MODELVIEW_MATRIX: ReadGlMatrix(GL_MODELVIEW_MATRIX, out); return true;
    case CG_GL_PROJECTION_MATRIX: ReadGlMatrix(GL_PROJECTION_MATRIX, out); return true;
    case CG_GL_TEXTURE_MATRIX: ReadGlMatrix(GL_TEXTURE_MATRIX, out); return true;
    case CG_GL_MODELVIEW_PROJECTION_MATRIX: {
      Mat4 projection;
      Mat4 modelview;
      ReadGlMatrix(GL_PROJECTION_MATRIX, projection);
      ReadGlMatrix(GL_MODELVIEW_MATRIX, modelview);
      Multiply(projection, modelview, out);
      return true;
    }
    default: return false;
  }
}

}  // namespace

// A singular matrix asked for with an inverse, or a result beyond float range, leaves the
// parameter unchanged and raises CG_INVALID_PARAMETER_ERROR, rather than handing the shader
// infinities.
void cgGLSetStateMatrixParameter(CGparameter param, CGGLenum matrix, CGGLenum transform) {
  if (!veltrane::cg::UsableParameter(param)) return;
  if (param->float_count != 16) {
    RaiseError(CG_INVALID_PARAMETER_TYPE_ERROR);
    return;
  }
  if (transform < CG_GL_MATRIX_IDENTITY || transform > CG_GL_MATRIX_INVERSE_TRANSPOSE) {
    RaiseError(CG_INVALID_ENUMERANT_ERROR);
    return;
  }
  Mat4 m;
  if (!ReadStateMatrix(matrix, m)) {
    RaiseError(CG_INVALID_ENUMERANT_ERROR);
    return;
  }
  if (transform == CG_GL_MATRIX_INVERSE || transform == CG_GL_MATRIX_INVERSE_TRANSPOSE) {
    if (!Invert(m)) {
      RaiseError(CG_INVALID_PARAMETER_ERROR);
      return;
    }
  }
  if (transform == CG_GL_MATRIX_TRANSPOSE || transform == CG_GL_MATRIX_INVERSE_TRANSPOSE) {
    Transpose(m);
  }
  for (double v : m) {
    if (!(std::fabs(v) <= FLT_MAX)) {
      RaiseError(CG_INVALID_PARAMETER_ERROR);
      return;
    }
  }
  for (int i = 0; i < 16; ++i) param->value[i] = static_cast<float>(m[i]);
  veltrane::cg::UploadValue(param);
}
