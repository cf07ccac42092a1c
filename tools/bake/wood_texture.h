// A procedural wood texture for the table: growth rings around an off-centre trunk axis that
// runs down the image, fine grain streaks along it, and a little noise, in warm browns.
#pragma once

#include <vector>

namespace veltrane {

// width x height RGB bytes, rows top first. The same image on every call.
std::vector<unsigned char> MakeWoodTexture(int width, int height);

}  // namespace veltrane
