#include <cstdio>

int main() {
  std::fprintf(stderr, "veltrane: the viewer is not built yet\n");
  return 1;
}
