// Numbers on veltrane-tool's command lines: the whole word must be the number.
#pragma once

// A decimal integer within int's range.
bool ParseIntArg(const char* text, int* value);

// A finite or infinite real as strtod reads it, not out of double's range.
bool ParseRealArg(const char* text, double* value);
