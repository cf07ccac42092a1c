// A software rendering of the scene from the viewer's default camera, for looking at the model
// without a display.
#pragma once

#include "tools/modelgen/mesh.h"

// Renders angel and table with back faces culled, a depth buffer and one directional light, as
// the viewer's start-up view (translate (0, -0.7, -4), tilt 20 degrees about x, 180 degrees
// plus `turn_degrees` about y, scale 2.5, 30-degree perspective), and writes a binary PPM.
// `tilt_degrees` tilts the view further about x, as a vertical drag in the viewer does
// (positive: seen more from above). Returns false when the file cannot be written.
bool WritePreview(const char* path, const ModelPart& angel, const ModelPart& table, int width, int height,
                  double turn_degrees, double tilt_degrees);
