// Writes the scene as the C++ source of the model arrays (scene/model.h).
#pragma once

#include <cstdio>

#include "tools/modelgen/mesh.h"

// The positions, normals and texture coordinates are written as floats with 9 significant
// digits, so the compiled arrays hold exactly the floats nearest to the built values.
// Returns false when writing failed.
bool WriteModelSource(FILE* out, const ModelPart& angel, const ModelPart& table, const char* command);
