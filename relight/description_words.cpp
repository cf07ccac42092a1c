#include "relight/description_words.h"

const char* const kReferFormatWords[3] = {"BMP", "PPM", "RGB"};
const char* const kColorModelWords[2] = {"RGB", "YUV"};
const char* const kCenterSchemeWords[2] = {"HAMMERSLEY", "HEMI_HAMMERSLEY"};
const char* const kProjectionWords[2] = {"CYL_PANORAMA", "PLANAR_PERSP"};
const char* const kRefSchemeWords[8] = {"SPHERICAL_GRID", "HEMISPHERICAL_GRID", "ICOSAHERON", "HAMMERSLEY",
                                        "HEMI_HAMMERSLEY", "HEALPIX", "HEMI_HEALPIX", "SCATTERED"};
