// Shader sources are stored as deflate containers. A source is text and no real one is more
// than a few hundred KB, so the reader bounds what a container may make it allocate.
#pragma once

#include <cstddef>
#include <cstdio>

// Most bytes of source one shader container may expand to.
constexpr size_t kMaxShaderSourceBytes = size_t{4} << 20;

// ReadDeflateZip for a shader container read from the file name: a container whose payload
// would exceed kMaxShaderSourceBytes is refused before anything is allocated for it, with
// "[ExpandShader]: <name> declares <n> bytes of shader source, more than the 4194304 a shader
// may have" on standard error and veltrane::FatalExit(1). Header faults are fatal and chunk
// faults reported as in ReadDeflateZip. *length never exceeds kMaxShaderSourceBytes.
void ReadShaderContainer(FILE* stream, const char* name, unsigned char** buffer, int* length);
