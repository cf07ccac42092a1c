#include "app/model_drawing.h"

#include <GL/glew.h>

#include "app/scene_object.h"
#include "scene/model.h"

namespace {

void DrawFace(const FaceRecord& face) {
  for (int c = 0; c < 3; ++c) {
    glNormal3fv(model_normals[face.normal[c]]);
    glTexCoord2fv(model_texcoords[face.texcoord[c]]);
    glVertex3fv(model_positions[face.position[c]]);
  }
}

bool IsTableTop(int face) { return face == kTableTopFaces[0] || face == kTableTopFaces[1]; }

}  // namespace

void DrawAngel() {
  if (HasSceneObject()) {
    DrawSceneObject();
    return;
  }
  glBegin(GL_TRIANGLES);
  for (int f = 0; f < kAngelFaceCount; ++f) DrawFace(angel_faces[f]);
  glEnd();
}

void DrawTableTop() {
  glBegin(GL_TRIANGLES);
  for (int f : kTableTopFaces) DrawFace(table_faces[f]);
  glEnd();
}

void DrawTableRest() {
  glBegin(GL_TRIANGLES);
  for (int f = 0; f < kTableFaceCount; ++f) {
    if (!IsTableTop(f)) DrawFace(table_faces[f]);
  }
  glEnd();
}
