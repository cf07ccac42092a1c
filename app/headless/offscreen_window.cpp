#include "app/headless/offscreen_window.h"

#include <algorithm>

#include "app/window_operations.h"

OffscreenWindow::~OffscreenWindow() { Release(); }

void OffscreenWindow::Release() {
  if (glDeleteSync != nullptr) {
    for (GLsync& fence : in_flight_) {
      if (fence != nullptr) glDeleteSync(fence);
      fence = nullptr;
    }
  }
  if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
  if (colour_ != 0) glDeleteRenderbuffers(1, &colour_);
  if (depth_ != 0) glDeleteRenderbuffers(1, &depth_);
  framebuffer_ = colour_ = depth_ = 0;
}

bool OffscreenWindow::Create(int width, int height) {
  Release();
  if (glGenFramebuffers == nullptr || glGenRenderbuffers == nullptr) return false;
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &max_size);
  if (width < 1 || height < 1 || width > max_size || height > max_size) return false;
  width_ = width;
  height_ = height;
  glGenRenderbuffers(1, &colour_);
  glBindRenderbuffer(GL_RENDERBUFFER, colour_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glGenFramebuffers(1, &framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (!complete) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    Release();
    return false;
  }
  // Like a window's: drawing and reading on the colour buffer, the whole target in view.
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glViewport(0, 0, width, height);
  glScissor(0, 0, width, height);
  return true;
}

void OffscreenWindow::Bind() const { glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_); }

void OffscreenWindow::Present() {
  glFlush();
  if (glFenceSync == nullptr || glClientWaitSync == nullptr) {
    glFinish();
    return;
  }
  if (in_flight_[0] != nullptr) {
    glClientWaitSync(in_flight_[0], GL_SYNC_FLUSH_COMMANDS_BIT, GL_TIMEOUT_IGNORED);
    glDeleteSync(in_flight_[0]);
  }
  in_flight_[0] = in_flight_[1];
  in_flight_[1] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
}

std::vector<unsigned char> OffscreenWindow::ReadRgb() const {
  if (framebuffer_ == 0) return {};
  GLint old_read = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &old_read);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  std::vector<unsigned char> rgb = ReadRgbTopRowFirst(width_, height_);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(old_read));
  return rgb;
}

std::vector<unsigned char> ReadRgbTopRowFirst(int width, int height) {
  if (width < 1 || height < 1) return {};
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  GLint old_alignment = 0, old_row_length = 0, old_pack_buffer = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &old_alignment);
  glGetIntegerv(GL_PACK_ROW_LENGTH, &old_row_length);
  glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &old_pack_buffer);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, old_alignment);
  glPixelStorei(GL_PACK_ROW_LENGTH, old_row_length);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(old_pack_buffer));
  const size_t row = static_cast<size_t>(width) * 3;
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(rgb.begin() + row * top, rgb.begin() + row * (top + 1), rgb.begin() + row * bottom);
  return rgb;
}

namespace {

OffscreenWindow* g_window = nullptr;
int g_window_id = 0;

int OffscreenGetCurrent() { return g_window_id; }
void OffscreenSetCurrent(int) {}
void OffscreenSwap() {
  if (g_window != nullptr) g_window->Present();
}
void OffscreenPostRedisplay() {}

}  // namespace

void UseOffscreenWindowOperations(OffscreenWindow* window, int id) {
  g_window = window;
  g_window_id = id;
  SetWindowOperations(
      {&OffscreenGetCurrent, &OffscreenSetCurrent, &OffscreenSwap, &OffscreenPostRedisplay});
}
