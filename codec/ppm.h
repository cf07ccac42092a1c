// Binary PPM images (8-bit RGB) and flipping image buffers upside down.
#pragma once

// Reads the binary PPM file at path: three header lines (magic, "width height", maximum
// value), then width x height x 3 bytes of pixels, rows from the first stored row onwards.
// The magic and maximum-value lines are not checked; every sample is read as one byte.
// Hands over a malloc'd buffer of the pixels exactly as stored (release it with free).
// An unopenable file, a dimension line that cannot be scanned or gives non-positive or
// absurd sizes, and pixel data shorter than the header announces print a message on
// standard error and end the process through veltrane::FatalExit(1).
void ReadPPM(const char* path, int* width, int* height, unsigned char** buffer);

// Turns a buffer of rows x row_bytes bytes, rows back to back, upside down in place by
// swapping whole rows; the bytes within a row keep their order. With an odd number of rows
// the middle row stays.
void InvertBuf(void* buffer, int rows, int row_bytes);

// Writes a binary PPM file: the header "P6\n<width> <height>\n255\n" and width x height x 3
// bytes of rgb. Returns false when the sizes are not positive or the file cannot be written.
bool WritePPM(const char* path, int width, int height, const unsigned char* rgb);
