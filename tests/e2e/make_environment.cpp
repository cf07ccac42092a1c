// veltrane-make-environment studio|uniform|sky OUT.hdr|OUT.exr [WIDTH]: writes a made-up
// latitude-longitude environment (width x width / 2, default 1024) for the e2e tests, the
// benchmarks, the GPU check and the pictures. sky: the built-in sky at noon, without its sun.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "codec/environment_file_writer.h"
#include "relight/environment_light.h"
#include "relight/sky_model.h"
#include "relight/studio_environment.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: veltrane-make-environment studio|uniform|sky OUT.hdr|OUT.exr [WIDTH]\n");
    return 2;
  }
  const std::string kind = argv[1];
  const int width = argc == 4 ? std::atoi(argv[3]) : 1024;
  if (width < 2 || width > 16384 || width % 2 != 0) {
    std::fprintf(stderr, "veltrane-make-environment: WIDTH must be even, 2 to 16384\n");
    return 2;
  }
  veltrane::EnvironmentImage image;
  if (kind == "studio") {
    image = veltrane::StudioEnvironment(width, width / 2);
  } else if (kind == "uniform") {
    image = veltrane::UniformEnvironment(width, width / 2, 1.0f, 1.0f, 1.0f);
  } else if (kind == "sky") {
    veltrane::SkyModel sky;
    sky.sun = veltrane::SunDirectionAt(12.0);
    image = veltrane::SkyEnvironment(sky, width, width / 2);
  } else {
    std::fprintf(stderr, "veltrane-make-environment: unknown environment %s\n", kind.c_str());
    return 2;
  }
  if (!veltrane::WriteEnvironmentFile(argv[2], image)) {
    std::fprintf(stderr, "veltrane-make-environment: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
