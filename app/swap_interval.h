// The swap interval of the current window, set to 0 for a while: frames are presented as soon
// as they are drawn, not at the display's refresh. Used by the "p" benchmark, which would
// otherwise measure the refresh rate.
#pragma once

class NoSwapWait {
 public:
  // Sets the interval of the current GLX or EGL drawable to 0 where the driver offers a way
  // (GLX_EXT_swap_control, GLX_MESA_swap_control, eglSwapInterval); otherwise does nothing.
  NoSwapWait();
  // Restores the interval found at construction.
  ~NoSwapWait();
  NoSwapWait(const NoSwapWait&) = delete;
  NoSwapWait& operator=(const NoSwapWait&) = delete;

  bool changed() const { return how_ != kNone; }

 private:
  enum How { kNone, kGlxExt, kGlxMesa, kEgl };
  How how_ = kNone;
  unsigned int old_interval_ = 1;
};
