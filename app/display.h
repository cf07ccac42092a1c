// The frame: the relighting pass, the capture of the table for the angel's refraction, and the
// light-mapped table with the refracting angel on screen.
#pragma once

// The GLUT display callback; also called directly by the mouse handler and the benchmark.
void Display();

// Clears colour and depth and sets the projection, viewport, model-view and material shared by
// both scene passes.
void SetupView();

// Hands the light-map targets to "lightmap0" .. and enables them; releases them again.
void BindLightmaps();
void ReleaseLightmaps();
