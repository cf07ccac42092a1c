// Feeds arbitrary bytes to the object file's reader, both from memory and through a file of
// their own (whose size check runs before the body is read). Whatever is accepted must be a
// consistent mesh that encodes and reads back the same.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "scene/object_mesh.h"

namespace {

std::string g_path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  veltrane::fuzz::PrepareHarness();
  g_path = veltrane::fuzz::ScratchFile("object");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veltrane::ObjectMesh mesh;
  std::string why;
  const bool accepted = veltrane::DecodeObjectFile(data, size, &mesh, nullptr, &why);
  if (accepted) {
    for (uint32_t index : mesh.indices) {
      if (index >= mesh.VertexCount()) std::abort();
    }
    std::vector<unsigned char> again;
    if (!veltrane::EncodeObjectFile(mesh, &again, &why)) std::abort();
    if (again.size() != size) std::abort();
    veltrane::ObjectMesh back;
    if (!veltrane::DecodeObjectFile(again.data(), again.size(), &back, nullptr, &why)) std::abort();
    if (back.name != mesh.name || back.indices != mesh.indices ||
        std::memcmp(back.positions.data(), mesh.positions.data(), mesh.positions.size() * sizeof(float)) != 0 ||
        std::memcmp(back.normals.data(), mesh.normals.data(), mesh.normals.size() * sizeof(float)) != 0) {
      std::abort();
    }
  } else if (why.empty()) {
    std::abort();
  }
  veltrane::fuzz::WriteScratchFile(g_path, data, size);
  veltrane::ObjectMesh from_file;
  if (veltrane::ReadObjectFile(g_path, &from_file, nullptr, &why) != accepted) std::abort();
  return 0;
}
