#include "app/globals.h"

int window_width = 0;
int window_height = 0;
int window_id = 0;
double aspect_ratio = 0;
float view_translation[3] = {0.0f, -0.7f, -4.0f};
float view_rot_x = 0.0f;
float view_rot_y = 0.0f;
int drag_mode = 1;
unsigned char dragging = 0;
int last_mouse_x = 0;
int last_mouse_y = 0;

float light_color[3] = {0.0f, 0.0f, 0.0f};
Vec4 light_dir = {0.0f, 1.0f, 0.0f, 1.0f};
unsigned char light_moving = 1;
float azimuth_step = 8.0f;
float light_azimuth = 0.0f;
float light_polar = 37.0f;
float sweep_counter = 0.0f;
int sweep_direction = 1;

CGprofile vertex_profile = CG_PROFILE_UNKNOWN;
CGprogram draw_scene_program = nullptr;
CGprogram lightmap_mapping_program = nullptr;
CGprogram table_frag_program = nullptr;
CGprogram table_vert_program = nullptr;
CGprogram angel_vert_program = nullptr;
CGprogram angel_frag_program = nullptr;

CGparameter scene_texture_param = nullptr;
CGparameter lightmap_param[kMaxLightmaps] = {};
CGparameter lightmap_wood_texture_param = nullptr;
CGparameter lightmap_woodtext_width_param = nullptr;
CGparameter lightmap_woodtext_height_param = nullptr;
CGparameter lightmap_on_param = nullptr;
CGparameter table_woodtexture_param = nullptr;
CGparameter table_woodtext_width_param = nullptr;
CGparameter table_woodtext_height_param = nullptr;
CGparameter table_model_view_proj_param = nullptr;
CGparameter table_light_dir_param = nullptr;
CGparameter angel_model_to_view_param = nullptr;
CGparameter angel_model_view_proj_param = nullptr;
CGparameter angel_model_to_view_it_param = nullptr;
CGparameter angel_light_dir_param = nullptr;
CGparameter angel_refraction_param = nullptr;

unsigned int table_wood_texture = 0;
unsigned int lightmap_wood_texture = 0;

RenderTexture* angelfrag_rendertexture = nullptr;
