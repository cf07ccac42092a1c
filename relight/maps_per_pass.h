// How the relighting splits the SRBF centres. Each relighting pass sums kMapsPerPass
// coefficient maps into one render target (the relighting program has that many map, kernel
// and validity slots), and the light-mapping program reads at most kMaxLightmaps of those
// targets, so a description may name at most kMaxSrbfCenters centres.
#pragma once

constexpr int kMapsPerPass = 5;
constexpr int kMaxLightmaps = 5;
constexpr int kMaxSrbfCenters = kMapsPerPass * kMaxLightmaps;
