// Counts that a model file claims in its header, checked before the file is handed to the
// importer, which would otherwise reserve memory for them: OFF ("OFF" then vertex and face
// counts), PLY ("element vertex N", "element face N") and binary STL (the triangle count at byte
// 80). A file claiming more elements than its size can hold, or more triangles than the limit,
// is refused at once. Wavefront OBJ, which states no counts, has its face lines counted.
#pragma once

#include <cstdint>
#include <string>

namespace veltrane {

// False, with *why set, when the header's counts cannot be right for a file of file_size bytes
// or exceed max_triangles. Other formats, and files whose header says nothing, pass.
bool PrecheckModelHeader(const std::string& path, uint64_t file_size, uint64_t max_triangles, std::string* why);

}  // namespace veltrane
