// The table: a top slab with a bevelled edge on an apron frame, four tapered legs on feet and
// an H-shaped stretcher. Its top is the light-mapped pair of triangles, at fixed places in the
// arrays.
#pragma once

#include "tools/modelgen/mesh.h"

constexpr int kTableVertices = 264;
constexpr int kTableTriangles = 400;
constexpr int kTableTopFirstTriangle = 320;  // the top is triangles 320 and 321
constexpr int kTableTopFirstVertex = 192;    // with positions 192 to 195
constexpr double kTableTopY = 0.271548;

ModelPart BuildTable();
