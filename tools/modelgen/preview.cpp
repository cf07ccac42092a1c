#include "tools/modelgen/preview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

const double kPi = 3.14159265358979323846;

struct Camera {
  double turn_cos, turn_sin, tilt_cos, tilt_sin;
  double focal, aspect;
  int width, height;

  // Model point or direction into the eye frame (directions leave out the translation).
  Vec3d Eye(Vec3d p, bool point) const {
    Vec3d q = p * (point ? 2.5 : 1.0);
    Vec3d r{turn_cos * q.x + turn_sin * q.z, q.y, -turn_sin * q.x + turn_cos * q.z};
    Vec3d s{r.x, tilt_cos * r.y - tilt_sin * r.z, tilt_sin * r.y + tilt_cos * r.z};
    return point ? s + Vec3d{0, -0.7, -4.0} : s;
  }
  // Eye point to pixel coordinates (x right, y down) with the eye depth kept in z.
  Vec3d Screen(Vec3d e) const {
    double ndc_x = focal / aspect * e.x / -e.z, ndc_y = focal * e.y / -e.z;
    return {(ndc_x + 1) * 0.5 * width, (1 - ndc_y) * 0.5 * height, -e.z};
  }
};

struct Shaded {
  Vec3d screen, normal;
};

class Raster {
 public:
  Raster(int width, int height)
      : width_(width), height_(height), depth_(static_cast<size_t>(width) * height, std::numeric_limits<double>::max()),
        colour_(static_cast<size_t>(width) * height, Vec3d{0.08, 0.08, 0.1}) {}

  void Triangle(const Shaded v[3], Vec3d albedo) {
    Vec3d a = v[0].screen, b = v[1].screen, c = v[2].screen;
    double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (area >= 0) return;  // y points down, so counter-clockwise on screen has negative area
    int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
    int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
    int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
    int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
    const Vec3d light = Normalized(Vec3d{-0.4, 0.7, 0.6});
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        double px = x + 0.5, py = y + 0.5;
        double w0 = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
        double w1 = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
        double w2 = 1 - w0 - w1;
        if (w0 < 0 || w1 < 0 || w2 < 0) continue;
        double z = w0 * a.z + w1 * b.z + w2 * c.z;
        size_t at = static_cast<size_t>(y) * width_ + x;
        if (z >= depth_[at]) continue;
        depth_[at] = z;
        Vec3d n = Normalized(v[0].normal * w0 + v[1].normal * w1 + v[2].normal * w2);
        double lit = 0.25 + 0.75 * std::max(0.0, Dot(n, light));
        colour_[at] = albedo * lit;
      }
    }
  }

  bool Write(const char* path) const {
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", width_, height_);
    for (const Vec3d& c : colour_) {
      unsigned char rgb[3] = {Byte(c.x), Byte(c.y), Byte(c.z)};
      std::fwrite(rgb, 1, 3, f);
    }
    bool ok = !std::ferror(f);
    return std::fclose(f) == 0 && ok;
  }

 private:
  static unsigned char Byte(double v) { return static_cast<unsigned char>(std::clamp(v, 0.0, 1.0) * 255 + 0.5); }

  int width_, height_;
  std::vector<double> depth_;
  std::vector<Vec3d> colour_;
};

void Draw(Raster& raster, const Camera& camera, const ModelPart& part, Vec3d albedo, Vec3d top_albedo, int top_first) {
  for (size_t f = 0; f < part.mesh.triangles.size(); ++f) {
    Shaded v[3];
    for (int c = 0; c < 3; ++c) {
      v[c].screen = camera.Screen(camera.Eye(part.mesh.positions[part.mesh.triangles[f][c]], true));
      v[c].normal = camera.Eye(part.normals[3 * f + c], false);
    }
    bool top = static_cast<int>(f) == top_first || static_cast<int>(f) == top_first + 1;
    raster.Triangle(v, top ? top_albedo : albedo);
  }
}

}  // namespace

bool WritePreview(const char* path, const ModelPart& angel, const ModelPart& table, int width, int height,
                  double turn_degrees, double tilt_degrees) {
  double turn = (180.0 + turn_degrees) * kPi / 180.0, tilt = (20.0 + tilt_degrees) * kPi / 180.0;
  Camera camera{std::cos(turn), std::sin(turn), std::cos(tilt), std::sin(tilt),
                1.0 / std::tan(15.0 * kPi / 180.0), static_cast<double>(width) / height, width, height};
  Raster raster(width, height);
  Draw(raster, camera, table, {0.45, 0.28, 0.15}, {0.75, 0.55, 0.35}, 320);
  Draw(raster, camera, angel, {0.6, 0.9, 0.95}, {0.6, 0.9, 0.95}, -10);
  return raster.Write(path);
}
