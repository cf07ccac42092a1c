// The relighting pass: every frame the kernel value of each SRBF centre is evaluated on the
// processor for the light direction, and the coefficient maps, weighted by those values, are
// summed on the graphics card into one light map per group of kMapsPerPass centres, each held
// in the colour texture of its render target.
//
// The globals below are written once by the application's start-up (the shader set-up and
// InitScene) and read here every frame.
#pragma once

#include "relight/maps_per_pass.h"
#include "relight/vec4.h"
#include "shader/cg_runtime.h"

class RenderTexture;

extern CGprofile fragment_profile;

// "lightmap_relitdir16" and its parameters; the numbered families are indexed by slot.
extern CGprogram relight_program;
extern CGparameter relight_map_param[kMapsPerPass];       // "map0" .. "map4"
extern CGparameter relight_valid_param[kMapsPerPass];     // "RBFmap0_Valid" .. "RBFmap4_Valid"
extern CGparameter relight_evaluate_param[kMapsPerPass];  // "R_evaluate_0" .. "R_evaluate_4"
extern CGparameter relight_lightcolor_param;   // "lightcolor"

// "lightmap_width" and "lightmap_height" of "lightmap_mapping".
extern CGparameter lightmap_width_param;
extern CGparameter lightmap_height_param;

// SRBF centres per relighting pass and per light-map target.
extern int maps_per_pass;
// Light-map targets, one per group of maps_per_pass centres.
extern int lightmap_count;
extern RenderTexture** rendertexture;

// Kernel value of every centre for the current light direction; made on the first pass.
extern float* G_SRBF_evaluation;

// Relights every light-map target for the light direction (its w is ignored). The window's
// GL context is current on entry and again on return.
void ShaderCgRelightDir(const float light_color[3], const Vec4& light_direction);

// Sets the five slots of the relighting program for the centres first .. end - 1 (empty slots
// get coefficient map 0, kernel value 0 and the flag 0.0) and draws the quad over the whole
// target. Called between BeginCapture and EndCapture of the group's target.
void RenderRelightGroup(const float* kernel, int first, int end);

// Draws the quad over the whole target (one fragment per texel, each looking up its own texel of
// the rectangle maps) with the relighting program whose five slots' samplers are maps, their
// textures set and enabled: binds the program and nearest sampling, draws, and leaves the slots
// and the fragment profile disabled again.
void DrawSlotsQuad(CGprogram program, const CGparameter maps[kMapsPerPass]);

// One relighting pass over every light-map target: clears, sets up the quad's matrices and the
// light-map size, then for each group of maps_per_pass centres calls draw_group(values, first,
// end) between the BeginCapture and EndCapture of the group's target, and restores the matrices.
// The seed's light and the environments share it; only their group drawing differs.
void RelightEveryTarget(void (*draw_group)(const float* values, int first, int end), const float* values);
