// The viewer's global state: window and view, light, shader programs and their parameters,
// the wood textures and the refraction target. Each global is written once at start-up or only
// by the handler named beside it. The globals that the relighting pass reads (the relight
// program and its parameters, fragment_profile, the light-map targets) live in
// relight/gl/relight_pass.h, those copied from the description in relight/globals.h.
#pragma once

#include "relight/maps_per_pass.h"
#include "relight/vec4.h"
#include "shader/cg_runtime.h"

class RenderTexture;

// Window and view.
extern int window_width;   // main, from refer_width
extern int window_height;  // main, from refer_height
extern int window_id;      // main
extern double aspect_ratio;          // Display
extern float view_translation[3];    // Motion changes the third value (zoom)
extern float view_rot_x;             // Motion
extern float view_rot_y;             // Motion
extern int drag_mode;                // Mouse: 1 rotate (left button), 2 zoom (right button)
extern unsigned char dragging;       // Mouse
extern int last_mouse_x;             // Mouse, Motion
extern int last_mouse_y;             // Mouse, Motion

// Light.
extern float light_color[3];         // InitScene
extern Vec4 light_dir;               // Idle
extern unsigned char light_moving;   // Keyboard ("a")
extern float azimuth_step;           // Keyboard ("x", "z")
extern float light_azimuth;          // Idle
extern float light_polar;            // Idle
extern float sweep_counter;          // Idle
extern int sweep_direction;          // Idle: 1 rising, 0 falling

// Shader programs (the relight program is in relight/gl/relight_pass.h).
extern CGprofile vertex_profile;
extern CGprogram draw_scene_program;
extern CGprogram lightmap_mapping_program;
extern CGprogram table_frag_program;
extern CGprogram table_vert_program;
extern CGprogram angel_vert_program;
extern CGprogram angel_frag_program;

// "draw_scene"
extern CGparameter scene_texture_param;            // "texture_scene"
// "lightmap_mapping" (its "lightmap_width" and "lightmap_height" are in relight_pass.h)
extern CGparameter lightmap_param[kMaxLightmaps];  // "lightmap0" .. "lightmap4"
extern CGparameter lightmap_wood_texture_param;    // "wood_texture"
extern CGparameter lightmap_woodtext_width_param;  // "woodtext_Width"
extern CGparameter lightmap_woodtext_height_param; // "woodtext_Height"
extern CGparameter lightmap_on_param;              // "lightmapOn"
// "table_frag"
extern CGparameter table_woodtexture_param;        // "woodtexture"
extern CGparameter table_woodtext_width_param;     // "woodtext_width"
extern CGparameter table_woodtext_height_param;    // "woodtext_height"
// "table_vert"
extern CGparameter table_model_view_proj_param;    // "modelViewProj"
extern CGparameter table_light_dir_param;          // "lightDir"
// "angel_vert"
extern CGparameter angel_model_to_view_param;      // "model2View"
extern CGparameter angel_model_view_proj_param;    // "modelViewProj"
extern CGparameter angel_model_to_view_it_param;   // "model2ViewIT"
extern CGparameter angel_light_dir_param;          // "lightDir"
// "angel_frag"
extern CGparameter angel_refraction_param;         // "texture4refraction"

// The two wood textures made from "wood.ppm".
extern unsigned int table_wood_texture;
extern unsigned int lightmap_wood_texture;

// Capture of the table, the angel's refraction source.
extern RenderTexture* angelfrag_rendertexture;
