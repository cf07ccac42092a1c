// Placeholder until tools/modelgen writes the real arrays.
#include "app/model.h"

const FaceRecord angel_faces[kAngelFaceCount] = {};
const FaceRecord table_faces[kTableFaceCount] = {};
const float model_positions[kModelPositionCount][3] = {};
const float model_normals[kModelCornerCount][3] = {};
const float model_texcoords[kModelCornerCount][2] = {};
