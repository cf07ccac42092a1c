// The object that a run directory may put on the table in place of the built-in angel (its
// description's MODEL_FILE): read before the window opens, uploaded once the GL context is
// there, drawn by DrawAngel with the angel's programs.
#pragma once

// Reads the object file (a large object is kept as its display copy, scene/object_display.h);
// on a fault prints "[LoadSceneObject]: FILE: what is wrong" on standard
// error and ends the process with status 1.
void LoadSceneObject(const char* file_name);

// Whether an object was loaded (otherwise the built-in angel is drawn).
bool HasSceneObject();

// Puts the loaded object's arrays into buffer objects; needs the GL context and GLEW.
void UploadSceneObject();

// Draws the object as indexed triangles with a normal per vertex. Back faces are culled, as the
// angel's, only where the object is closed and wound outwards; otherwise face culling is off
// while it is drawn.
void DrawSceneObject();
