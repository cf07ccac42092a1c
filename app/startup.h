// Start-up and clean-up: the description, the initialisation sequence, fixed-function light 0,
// the extension loader and the usage text.
#pragma once

class RelightDescription;

// Parses the description file, checks that the later steps can use it (a message on stderr
// and exit status 1 otherwise), fills light_eye_transform and copies the values that the rest
// of the program needs into their globals. The record stays alive for InitScene.
RelightDescription* LoadDescription(const char* file_name);

// What every program that draws the viewer's frames does first: LoadDescription, then refuses a
// coefficient file too small for the description before a window or a buffer of that size
// exists, and sizes the window to the reference resolution.
RelightDescription* LoadViewerDescription(const char* file_name);

// The initialisation sequence; takes the record and frees it.
void InitScene(RelightDescription* description);

// Fixed-function light 0, lighting, depth test and face culling.
void InitLighting();

// Starts the extension loader; a failure is reported and start-up goes on.
void InitGlew();

void PrintUsage();

// Releases the Cg context and the render targets.
void Cleanup();
