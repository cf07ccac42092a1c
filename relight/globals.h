// The relighting model's globals: start-up copies them from the relighting description, the
// coefficient-map loader fills G_SRBF_center_dir, and the relighting pass reads them.
#pragma once

#include "relight/matrix.h"

extern int refer_width;  // texels; 0 until start-up
extern int refer_height;
extern char base_path[1024];          // ends in "/" once copied from the description
extern char encoded_file_name[1024];  // the description's ENCODED_FILE
extern int srbf_center_count;         // N
extern float srbf_spread;             // sigma, radians
extern Matrix light_eye_transform;    // 4 x 4, row-major copy of the description's block
extern Matrix G_SRBF_center_dir;      // 3 x N, column i = unit eye-frame direction of centre i
