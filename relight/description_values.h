// Reading the values of a description file: integers like atoi, reals like atof (decimal
// only), and hexadecimal float bit patterns like the scanf conversion "%X".
#pragma once

#include <cstdint>

// Optional leading white space, optional sign, decimal digits; stops at the first other
// character. No digits gives 0; values past the int32 range saturate.
int32_t ParseIntValue(const char* word);

// Optional leading white space, optional sign, digits with an optional fraction, an optional
// exponent. No digits gives 0.0; "nan", "inf" and hexadecimal floats are not numbers here.
// The decimal value is rounded to double, then to float.
float ParseRealValue(const char* word);

// Optional leading white space, optional sign, optional "0x", hexadecimal digits (either case).
// Returns false (bits untouched) when there is no digit or the value needs more than 32 bits;
// a minus sign negates modulo 2^32 as scanf does.
bool ParseHexBits(const char* word, uint32_t* bits);

float FloatFromBits(uint32_t bits);
uint32_t BitsOfFloat(float value);
