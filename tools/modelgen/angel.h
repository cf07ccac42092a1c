// The angel: a closed genus-0 triangle mesh of the implicit shape, simplified to the model's
// vertex budget and placed on the table.
#pragma once

#include <string>

#include "tools/modelgen/mesh.h"

constexpr int kAngelVertices = 603;
constexpr int kAngelTriangles = 2 * kAngelVertices - 4;

// Where the angel stands, in model units.
constexpr double kAngelLo[3] = {-0.1999, 0.25, -0.1501};
constexpr double kAngelHi[3] = {0.1542, 0.5, 0.069};

// Fills *angel, or returns false with *error saying which step failed.
bool BuildAngel(ModelPart* angel, std::string* error);
