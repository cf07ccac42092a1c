// The relighting pass under an environment: the same groups, targets and quads as the seed
// light's pass (relight_pass.h), drawn with a relighting program that takes an RGB weight per
// slot ("weight0" .. "weight4") instead of a kernel value in the light's colour. The seed's
// program and its parameters are left as they are.
#pragma once

#include "shader/cg_runtime.h"

// The program's source, written beside the seed's programs while it is compiled.
extern const char kEnvironmentRelightSource[];
extern const char kEnvironmentRelightName[];  // "lightmap_relitenv16"

// Compiles the program on the first call (with the window's context current); later calls
// return at once. False, with a message on standard error, when the source cannot be written
// or the program not made; the seed's pass is unaffected.
bool PrepareEnvironmentRelightProgram();

// Forgets the program (without destroying it), for a start-up that makes a new shader context:
// the next PrepareEnvironmentRelightProgram compiles it anew.
void ForgetEnvironmentRelightProgram();

// Relights every light-map target with rgb[3 k + c] as centre k's weight in channel c; the
// window's GL context is current on entry and again on return. Needs the program prepared.
void ShaderCgRelightWeights(const float* rgb);
