#include "relight/description_values.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

const char* SkipSpace(const char* p) {
  while (*p != '\0' && std::isspace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Length of the decimal real at p (sign, digits, fraction, exponent), 0 when there is none.
size_t DecimalRealLength(const char* p) {
  const char* q = p;
  if (*q == '+' || *q == '-') ++q;
  size_t digits = 0;
  while (IsDigit(*q)) ++q, ++digits;
  if (*q == '.') {
    ++q;
    while (IsDigit(*q)) ++q, ++digits;
  }
  if (digits == 0) return 0;
  if (*q == 'e' || *q == 'E') {
    const char* e = q + 1;
    if (*e == '+' || *e == '-') ++e;
    if (IsDigit(*e)) {
      while (IsDigit(*e)) ++e;
      q = e;
    }
  }
  return static_cast<size_t>(q - p);
}

}  // namespace

int32_t ParseIntValue(const char* word) {
  const char* p = SkipSpace(word);
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t value = 0;
  for (; IsDigit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > limit) {
      value = limit;
      while (IsDigit(*p)) ++p;
      break;
    }
  }
  return static_cast<int32_t>(negative ? -value : value);
}

float ParseRealValue(const char* word) {
  const char* p = SkipSpace(word);
  size_t length = DecimalRealLength(p);
  if (length == 0) return 0.0f;
  // strtod would also take "nan", "inf" and "0x..." forms; hand it only the decimal part.
  char text[2048];
  if (length >= sizeof text) length = sizeof text - 1;  // a word is shorter than a line piece
  std::memcpy(text, p, length);
  text[length] = '\0';
  return static_cast<float>(std::strtod(text, nullptr));
}

bool ParseHexBits(const char* word, uint32_t* bits) {
  const char* p = SkipSpace(word);
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigitValue(p[2]) >= 0) p += 2;
  uint64_t value = 0;
  int digits = 0;
  for (int d; (d = HexDigitValue(*p)) >= 0; ++p, ++digits) {
    value = value * 16 + static_cast<uint64_t>(d);
    if (value > 0xFFFFFFFFull) return false;
  }
  if (digits == 0) return false;
  uint32_t result = static_cast<uint32_t>(value);
  *bits = negative ? 0u - result : result;
  return true;
}

float FloatFromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint32_t BitsOfFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
