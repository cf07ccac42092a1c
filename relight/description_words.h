// The words of a description's coded values, in code order (code 1 is the first word): what the
// parser matches and what veltrane-tool describe prints beside each code.
#pragma once

extern const char* const kReferFormatWords[3];
extern const char* const kColorModelWords[2];
extern const char* const kCenterSchemeWords[2];
extern const char* const kProjectionWords[2];
extern const char* const kRefSchemeWords[8];
