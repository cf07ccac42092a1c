// The float colour targets of the frame (the light maps and the refraction capture).
#pragma once

class RenderTexture;

// Initialises target as the frame needs it: a texture of three 32-bit float channels with a
// depth buffer, updated by binding. When that fails, says once on standard error what the
// driver lacks for such a target; the viewer goes on, and the target's own messages follow
// when it is used. Returns the result of Initialize.
bool InitializeFloatTarget(RenderTexture* target);

// Why the driver cannot give a width x height float colour target, judged from its
// extensions and limits; the last reason when none of them is at fault.
const char* FloatTargetShortcoming(int width, int height);
