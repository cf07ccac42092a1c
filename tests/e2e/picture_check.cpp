// veltrane-picture-check: measures a screenshot of the viewer's start-up view against the
// built-in model, projected with the same camera.
//
//   veltrane-picture-check SCREENSHOT.ppm [CLASSES.ppm]
//
// The window's size is the image's. Every pixel centre is classified by what the model puts
// there: the angel, the angel with nothing but the background behind it (no table face covers
// the pixel at all), the table top in view, or anything else. Prints one line of key=value
// figures, luminance (Rec. 709 weights) on the 0..255 scale of the image:
//   angel (pixels), angel_on_background (pixels), top (pixels), angel_p98_on_background
//   (the level that the brightest 2 % of those pixels reach), angel_mean, top_mean,
//   angel_to_top (angel_mean / top_mean).
// CLASSES.ppm, when given, shows the classification: the angel on the background white, the
// rest of the angel grey, the table top brown, the rest of the table dark brown.
// Exit status 0, or 1 for an unreadable image or an unwritable CLASSES.ppm, 2 for a usage error.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "scene/model.h"

namespace {

struct Image {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
};

bool ReadPpm(const char* path, Image* image) {
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  int max_value = 0;
  bool ok = std::fscanf(f, "P6 %d %d %d", &image->width, &image->height, &max_value) == 3 && max_value == 255 &&
            image->width > 0 && image->height > 0 && image->width <= 16384 && image->height <= 16384 &&
            std::fgetc(f) != EOF;
  if (ok) {
    image->rgb.resize(static_cast<size_t>(image->width) * image->height * 3);
    ok = std::fread(image->rgb.data(), 1, image->rgb.size(), f) == image->rgb.size();
  }
  std::fclose(f);
  return ok;
}

// The start-up view: translate (0, -0.7, -4), tilt 20 degrees about x, turn 180 degrees about
// y, scale 2.5; perspective of 30 degrees vertically, the window's aspect.
struct Camera {
  int width, height;
  double focal;

  // Window coordinates (x right, y up, in pixels) and 1 / eye distance of a model point.
  void Project(const float p[3], double* x, double* y, double* inverse_depth) const {
    const double tilt = 20.0 * 3.14159265358979323846 / 180.0;
    double mx = -2.5 * p[0], my = 2.5 * p[1], mz = -2.5 * p[2];
    double ex = mx;
    double ey = std::cos(tilt) * my - std::sin(tilt) * mz - 0.7;
    double ez = std::sin(tilt) * my + std::cos(tilt) * mz - 4.0;
    double aspect = static_cast<double>(width) / height;
    *x = (focal / aspect * ex / -ez + 1.0) * 0.5 * width;
    *y = (focal * ey / -ez + 1.0) * 0.5 * height;
    *inverse_depth = 1.0 / -ez;
  }
};

enum Owner : unsigned char { kNothing, kAngel, kTop, kTableRest };

struct Coverage {
  std::vector<double> nearest;           // 1 / eye distance of the nearest face; 0: none
  std::vector<Owner> owner;              // the nearest face's object
  std::vector<unsigned char> any_table;  // some table face covers the pixel
};

void Rasterise(const Camera& camera, const FaceRecord& face, Owner object, Coverage* coverage) {
  double x[3], y[3], w[3];
  for (int c = 0; c < 3; ++c) camera.Project(model_positions[face.position[c]], &x[c], &y[c], &w[c]);
  double area = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
  if (area == 0) return;
  int x0 = std::max(0, static_cast<int>(std::floor(std::min({x[0], x[1], x[2]}))));
  int x1 = std::min(camera.width - 1, static_cast<int>(std::ceil(std::max({x[0], x[1], x[2]}))));
  int y0 = std::max(0, static_cast<int>(std::floor(std::min({y[0], y[1], y[2]}))));
  int y1 = std::min(camera.height - 1, static_cast<int>(std::ceil(std::max({y[0], y[1], y[2]}))));
  for (int py = y0; py <= y1; ++py) {
    for (int px = x0; px <= x1; ++px) {
      double cx = px + 0.5, cy = py + 0.5;
      double b0 = ((x[1] - cx) * (y[2] - cy) - (y[1] - cy) * (x[2] - cx)) / area;
      double b1 = ((x[2] - cx) * (y[0] - cy) - (y[2] - cy) * (x[0] - cx)) / area;
      double b2 = 1.0 - b0 - b1;
      if (b0 < 0 || b1 < 0 || b2 < 0) continue;
      double inverse_depth = b0 * w[0] + b1 * w[1] + b2 * w[2];
      // Image rows run top down, window rows bottom up.
      size_t at = static_cast<size_t>(camera.height - 1 - py) * camera.width + px;
      if (object != kAngel) coverage->any_table[at] = 1;
      if (inverse_depth > coverage->nearest[at]) {
        coverage->nearest[at] = inverse_depth;
        coverage->owner[at] = object;
      }
    }
  }
}

double Luminance(const unsigned char* rgb) { return 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2]; }

bool WriteClasses(const char* path, int width, int height, const Coverage& coverage) {
  FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", width, height);
  for (size_t i = 0; i < coverage.owner.size(); ++i) {
    static const unsigned char kColours[][3] = {{0, 0, 0}, {128, 128, 128}, {160, 110, 60}, {80, 55, 30}};
    const unsigned char* colour = kColours[coverage.owner[i]];
    if (coverage.owner[i] == kAngel && !coverage.any_table[i]) {
      static const unsigned char kWhite[3] = {255, 255, 255};
      colour = kWhite;
    }
    std::fwrite(colour, 1, 3, f);
  }
  bool ok = !std::ferror(f);
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || argv[1][0] == '-') {
    std::fputs("usage: veltrane-picture-check SCREENSHOT.ppm [CLASSES.ppm]\n", stderr);
    return 2;
  }
  Image image;
  if (!ReadPpm(argv[1], &image)) {
    std::fprintf(stderr, "veltrane-picture-check: cannot read '%s' as a binary PPM\n", argv[1]);
    return 1;
  }
  const Camera camera{image.width, image.height, 1.0 / std::tan(15.0 * 3.14159265358979323846 / 180.0)};
  const size_t pixels = static_cast<size_t>(image.width) * image.height;
  Coverage coverage{std::vector<double>(pixels, 0.0), std::vector<Owner>(pixels, kNothing),
                    std::vector<unsigned char>(pixels, 0)};
  for (int f = 0; f < kTableFaceCount; ++f) {
    bool top = f == kTableTopFaces[0] || f == kTableTopFaces[1];
    Rasterise(camera, table_faces[f], top ? kTop : kTableRest, &coverage);
  }
  for (const FaceRecord& face : angel_faces) Rasterise(camera, face, kAngel, &coverage);

  std::vector<double> on_background;
  double angel_sum = 0, top_sum = 0;
  size_t angel_count = 0, top_count = 0;
  for (size_t i = 0; i < pixels; ++i) {
    double level = Luminance(&image.rgb[3 * i]);
    if (coverage.owner[i] == kAngel) {
      angel_sum += level;
      ++angel_count;
      if (!coverage.any_table[i]) on_background.push_back(level);
    } else if (coverage.owner[i] == kTop) {
      top_sum += level;
      ++top_count;
    }
  }
  if (argc == 3 && !WriteClasses(argv[2], image.width, image.height, coverage)) {
    std::fprintf(stderr, "veltrane-picture-check: cannot write '%s'\n", argv[2]);
    return 1;
  }
  double p98 = 0;
  if (!on_background.empty()) {
    size_t rank = static_cast<size_t>(std::floor(0.98 * (on_background.size() - 1)));
    std::nth_element(on_background.begin(), on_background.begin() + rank, on_background.end());
    p98 = on_background[rank];
  }
  double angel_mean = angel_count ? angel_sum / angel_count : 0;
  double top_mean = top_count ? top_sum / top_count : 0;
  std::printf("angel=%zu angel_on_background=%zu top=%zu angel_p98_on_background=%.1f angel_mean=%.1f "
              "top_mean=%.1f angel_to_top=%.3f\n",
              angel_count, on_background.size(), top_count, p98, angel_mean, top_mean,
              top_mean > 0 ? angel_mean / top_mean : 0.0);
  return 0;
}
