// The viewer's window without a window system: a window-sized framebuffer object (8-bit RGBA
// colour, 24-bit depth, one sample) bound in the current context; the render targets, drawn in
// the same context, bind it again at the end of each capture. Presenting a frame keeps at most
// two frames in flight, as a swap chain does.
#pragma once

#include <GL/glew.h>

#include <vector>

class OffscreenWindow {
 public:
  OffscreenWindow() = default;
  ~OffscreenWindow();
  OffscreenWindow(const OffscreenWindow&) = delete;
  OffscreenWindow& operator=(const OffscreenWindow&) = delete;

  // Needs a current context with the GL entry points loaded; false when the framebuffer cannot
  // be made (size out of range, incomplete).
  bool Create(int width, int height);
  // Binds the framebuffer for drawing and reading.
  void Bind() const;
  // Ends a frame: fences it and waits for the frame before the last one.
  void Present();
  // The picture, RGB bytes, rows top first (width x height x 3).
  std::vector<unsigned char> ReadRgb() const;

  int width() const { return width_; }
  int height() const { return height_; }

 private:
  void Release();

  int width_ = 0;
  int height_ = 0;
  GLuint framebuffer_ = 0;
  GLuint colour_ = 0;
  GLuint depth_ = 0;
  GLsync in_flight_[2] = {nullptr, nullptr};
};

// The current read buffer's pixels from (0, 0), width x height, as RGB bytes with rows top first
// (GL's come bottom first); the pack state is left as it was.
std::vector<unsigned char> ReadRgbTopRowFirst(int width, int height);

// Makes the app's window operations (app/window_operations.h) those of this window, with the
// window id `id`: swapping presents it; the window is always current; redisplays need no asking.
void UseOffscreenWindowOperations(OffscreenWindow* window, int id);
