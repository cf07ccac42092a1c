// The seven shader programs: expanded from their compressed sources in shader/dir/, compiled,
// loaded, their parameters looked up; the two wood textures; the refraction target.
#pragma once

// fragment_profile and vertex_profile: the latest profiles, tuned.
void InitCgProfiles();

// Writes the payload of the compressed file (a deflate container) to the expanded file.
// Returns only on success.
void ExpandShader(const char* compressed_file, const char* expanded_file);

// Called by InitScene in this order, after InitCgProfiles.
void InitRelightProgram();
void InitDrawSceneProgram();
void InitLightmapMappingProgram();
void InitTableFragProgram();
void InitTableVertProgram();
void InitAngelPrograms();
