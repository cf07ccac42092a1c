// RenderPlatform over any window system that gives contexts sharing objects with the window's
// context (context_system.h), drawing into framebuffer objects.
//
// How the pbuffer model maps onto it:
// - A pixel format is a record kept here, decoded from the attribute list: colour bits (the
//   largest requested count decides the component size: 8 or 16-bit normalised, or 16 or 32-bit
//   float with WGL_FLOAT_COMPONENTS_NV or WGL_PIXEL_TYPE_ARB = WGL_TYPE_RGBA_FLOAT_ATI), depth 24
//   when any depth is asked for, stencil 8 likewise, and which bind attributes were asked for.
//   A list the driver cannot render (float without float textures, rectangle binding without
//   rectangle textures, more than 32 bits, depth above 24, stencil above 8) matches no format.
// - An offscreen buffer is a record of size, format and the buffer attribute list, with a
//   drawable of the window system's (a 1 x 1 GLX pbuffer; nothing under EGL) for its context to
//   be current on. Nothing is ever drawn into that drawable.
// - Its context is a context of the window system; ShareObjects re-creates it with the window's
//   context as its share list (GLX and EGL give sharing at creation only). In that context a
//   framebuffer object stands for the pbuffer's surfaces: created, and its viewport set to the
//   whole buffer, the first time the context is made current, and bound again every time it is
//   made current.
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
//   texture made in the buffer's context; depth and stencil are a renderbuffer of its own unless
//   a depth texture is bound.
// - Hand-over: when the current context changes between two contexts that share objects, the
//   old one gets a fence (glFenceSync, glFlush) that the new one waits for (glWaitSync) before
//   anything else runs in it; without fences, or between contexts that do not share, a buffer's
//   context is finished (glFinish) before it is left. Together with binding the texture again
//   in the window's context (RenderTexture does that in EndCapture) this is what GL's rules on
//   shared objects ask for the drawing to be seen there.
// - A buffer has at most one context.
#pragma once

#include <memory>

#include "render/context_system.h"
#include "render/render_platform.h"

namespace veltrane {

// A platform over the window system; owns it.
std::unique_ptr<RenderPlatform> MakeFboRenderPlatform(std::unique_ptr<ContextSystem> system);

}  // namespace veltrane
