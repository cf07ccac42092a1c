// Reading the coefficient maps beside the window's and the programs' set-up.
//
// Right after the description is read, StartCoefficientPrefetch forks a helper process that
// decodes the coefficient file into half-float maps in memory shared with the viewer, on every
// core, while the viewer opens its window and compiles its programs. The helper writes nothing
// to the console: what the decoders print goes into a file that the viewer replays when it
// takes the maps, at the place where the loader would have printed it, so the console reads
// as if the viewer had decoded the file itself. A helper that fails in any way (a fault in the
// file, missing memory, a crash) is simply not used: the viewer then decodes the file itself
// and reports the fault exactly as it always did.
#pragma once

#include <string>

class HalfCoefficientMaps;

// Starts the helper for count maps of width x height from the coefficient file at path (raw
// when raw is set, else compressed). Does nothing when one is already running or the process
// cannot fork (the maps are then decoded in place). Call before any thread or GL context
// exists.
void StartCoefficientPrefetch(const char* path, bool raw, int width, int height, int count);

// Waits for the helper. True when it decoded exactly these maps (same file, kind and sizes):
// maps then holds them and diagnostics what the decoders printed to standard error. False,
// with maps untouched, when no helper ran or it did not finish cleanly. seconds is the
// helper's own decoding time.
bool TakeCoefficientPrefetch(const char* path, bool raw, int width, int height, int count, HalfCoefficientMaps* maps,
                             std::string* diagnostics, double* seconds);
