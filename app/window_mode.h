// The viewer's GLUT window: its display mode, and the window itself.
#pragma once

// Double-buffered RGB with depth; with four samples per pixel when the renderer is a graphics
// card's and the visual offers them. Software rasterisers (Mesa's llvmpipe and softpipe) get
// the plain visual: there four samples cost about a third of the frame rate. Call after
// glutInit; sets the mode (glutInitDisplayMode) and returns whether it is multisampled.
bool InitViewerDisplayMode();

// Whether the GLX renderer on the default display says it is hardware-accelerated. True
// where the driver cannot say (GLX_MESA_query_renderer missing): only Mesa reports software.
bool RendererIsAccelerated();

// Initialises GLUT with the program's name alone (the arguments are not GLUT's), then opens the
// window "Veltrane 1.0b" at (100, 100), width x height, with the display mode above, and makes
// it current. Returns GLUT's window id.
int CreateViewerWindow(const char* program_name, int width, int height);
