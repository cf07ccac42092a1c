#include "relight/globals.h"

int refer_width = 0;
int refer_height = 0;
char base_path[1024];
char encoded_file_name[1024];
int srbf_center_count = 0;
float srbf_spread = 0.0f;
Matrix light_eye_transform;
Matrix G_SRBF_center_dir;
