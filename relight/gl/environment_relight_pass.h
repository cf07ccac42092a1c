// The relighting pass under an environment: the same groups, targets and quads as the seed
// light's pass (relight_pass.h), drawn with a relighting program that takes an RGB weight per
// slot ("weight0" .. "weight4") instead of a kernel value in the light's colour. The seed's
// program and its parameters are left as they are.
#pragma once

#include "shader/cg_runtime.h"

// Compiles the program ("lightmap_relitenv16", its source built in) on the first call, with the
// window's context current; later calls return at once. A compile failure goes to the shader
// runtime's error callback (the viewer's ends the process with the listing); with none set,
// false with a message on standard error, and the seed's pass is unaffected.
bool PrepareEnvironmentRelightProgram();

// Forgets the program (without destroying it), for a start-up that makes a new shader context:
// the next PrepareEnvironmentRelightProgram compiles it anew.
void ForgetEnvironmentRelightProgram();

// Relights every light-map target with rgb[3 k + c] as centre k's weight in channel c; the
// window's GL context is current on entry and again on return. Needs the program prepared.
void ShaderCgRelightWeights(const float* rgb);
