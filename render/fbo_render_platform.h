// RenderPlatform over any window system (context_system.h): render targets are framebuffer
// objects drawn in the window's own context.
//
// How the pbuffer model maps onto it:
// - A pixel format is a record kept here, decoded from the attribute list: colour bits (the
//   largest requested count decides the component size: 8 or 16-bit normalised, or 16 or 32-bit
//   float with WGL_FLOAT_COMPONENTS_NV or WGL_PIXEL_TYPE_ARB = WGL_TYPE_RGBA_FLOAT_ATI), depth 24
//   when any depth is asked for, stencil 8 likewise, and which bind attributes were asked for.
//   A list the driver cannot render (float without float textures, rectangle binding without
//   rectangle textures, more than 32 bits, depth above 24, stencil above 8) matches no format.
// - An offscreen buffer is a record of size, format and the buffer attribute list; its handle is
//   its drawable too.
// - Its context is no context of the window system's but the state of its captures, drawn in
//   the host: the window system's context that was current when it was made (the window's, or
//   veltrane-headless's). ShareObjects means sharing the host's objects, which binding needs.
//   A framebuffer object stands for the buffer's surfaces, made at the first capture.
// - Making the buffer's context current begins a capture in the host: the host's state is kept
//   (glPushAttrib of everything, both matrix stacks pushed) and the capture gets what a new
//   context would have: identity projection and model-view, the whole buffer as viewport and
//   scissor box, lighting, depth test, face culling, blending and the other tests off, black
//   clear colour, the framebuffer object bound. Making anything else current ends it: the
//   host's framebuffers (read at its first capture) and state come back. Only a change of the
//   window system's context reaches the window system, so a frame of the viewer or of
//   veltrane-headless makes none, and nothing has to be handed over between contexts. State set
//   in a capture lasts until its end, not to the next capture.
// - WGL_TEXTURE_FORMAT_ARB / WGL_TEXTURE_TARGET_ARB give the storage of the bound texture:
//   WGL_TEXTURE_FLOAT_R/RG/RGB/RGBA_NV give GL_R/RG/RGB/RGBA 32F or 16F, WGL_TEXTURE_RGB_ARB and
//   WGL_TEXTURE_RGBA_ARB the float formats of that layout for a float pixel format and
//   GL_RGB8/GL_RGBA8 (16 for 16-bit) otherwise; WGL_TEXTURE_RECTANGLE_NV is GL_TEXTURE_RECTANGLE,
//   WGL_TEXTURE_2D_ARB is GL_TEXTURE_2D; WGL_TEXTURE_DEPTH_COMPONENT_NV is GL_DEPTH_COMPONENT24
//   (GL_DEPTH24_STENCIL8 with stencil). A three-component float format the driver cannot render
//   into is stored with four components instead.
// - BindTexImage(WGL_FRONT_LEFT_ARB) takes the texture bound to the buffer's target in the
//   current context, gives it that storage (once per texture) and makes it the framebuffer's
//   colour attachment: the texture is the buffer's colour contents, drawn into directly.
//   ReleaseTexImage is bookkeeping. With WGL_MIPMAP_TEXTURE_ARB, binding generates the mipmaps.
//   WGL_DEPTH_COMPONENT_NV does the same with the depth attachment. Binding needs a context that
//   shares objects with the buffer's.
// - Without a texture format (UpdateByCopy) the framebuffer has colour storage of its own, a
//   texture made in the first capture; depth and stencil are a renderbuffer of its own unless
//   a depth texture is bound.
// - A buffer has at most one context.
#pragma once

#include <memory>

#include "render/context_system.h"
#include "render/render_platform.h"

namespace veltrane {

// A platform over the window system; owns it.
std::unique_ptr<RenderPlatform> MakeFboRenderPlatform(std::unique_ptr<ContextSystem> system);

}  // namespace veltrane
