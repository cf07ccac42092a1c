// Exact texel lookups for the relighting program. The coefficient maps are uploaded with
// linear filters; while the relighting quad is drawn, a sampler object with nearest filters
// sits on the units of the program's five map samplers, so every lookup at a texel centre
// returns the stored texel itself whatever the driver's filtering precision.
#pragma once

#include "relight/maps_per_pass.h"
#include "shader/cg_runtime.h"

// Puts the nearest sampler on the units of the five parameters (made once, on the first call;
// sampler objects are shared between contexts that share objects). Does nothing on a driver
// without sampler objects, where the linear filters at texel centres give nearly the same.
void BindNearestSamplers(const CGparameter params[kMapsPerPass]);
// Takes it off those units again.
void UnbindNearestSamplers(const CGparameter params[kMapsPerPass]);
