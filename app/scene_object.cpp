#include "app/scene_object.h"

#include <GL/glew.h>

#include <cstdio>
#include <string>

#include "common/fatal.h"
#include "scene/object_display.h"
#include "scene/object_mesh.h"

namespace {

veltrane::ObjectMesh g_object;
bool g_loaded = false;
GLuint g_buffers[3] = {0, 0, 0};  // positions, normals, indices
GLsizei g_index_count = 0;
bool g_closed = false;

}  // namespace

void LoadSceneObject(const char* file_name) {
  std::string why;
  veltrane::ObjectMesh object;
  if (!veltrane::ReadObjectFile(file_name, &object, nullptr, &why)) {
    std::fprintf(stderr, "[LoadSceneObject]: %s: %s\n", file_name, why.c_str());
    veltrane::FatalExit(1);
  }
  g_object = veltrane::DisplayMesh(object, veltrane::kDisplayTriangleBudget);
  g_loaded = true;
}

bool HasSceneObject() { return g_loaded; }

void UploadSceneObject() {
  if (!g_loaded) return;
  glGenBuffers(3, g_buffers);
  glBindBuffer(GL_ARRAY_BUFFER, g_buffers[0]);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(g_object.positions.size() * sizeof(float)),
               g_object.positions.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, g_buffers[1]);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(g_object.normals.size() * sizeof(float)),
               g_object.normals.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g_buffers[2]);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(g_object.indices.size() * sizeof(uint32_t)),
               g_object.indices.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  g_index_count = static_cast<GLsizei>(g_object.indices.size());
  g_closed = g_object.closed;
  // The buffers hold it now.
  g_object = veltrane::ObjectMesh();
}

void DrawSceneObject() {
  if (!g_closed) glDisable(GL_CULL_FACE);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, g_buffers[0]);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, g_buffers[1]);
  glNormalPointer(GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g_buffers[2]);
  // The angel's texture coordinate: none per vertex here, one for all.
  glMultiTexCoord2f(GL_TEXTURE0, 0.5f, 0.5f);
  glDrawElements(GL_TRIANGLES, g_index_count, GL_UNSIGNED_INT, nullptr);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  if (!g_closed) glEnable(GL_CULL_FACE);
}
