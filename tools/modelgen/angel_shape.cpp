#include "tools/modelgen/angel_shape.h"

#include <algorithm>
#include <cmath>

namespace {

// Union of a and b with a rounded fillet of size k.
double SmoothUnion(double a, double b, double k) {
  double h = std::max(k - std::fabs(a - b), 0.0) / k;
  return std::min(a, b) - h * h * k * 0.25;
}

// A capsule whose radius runs from ra at a to rb at b.
double TaperedCapsule(Vec3 p, Vec3 a, Vec3 b, double ra, double rb) {
  Vec3 ab = b - a;
  double h = std::clamp(Dot(p - a, ab) / Dot(ab, ab), 0.0, 1.0);
  return Length(p - (a + ab * h)) - (ra + (rb - ra) * h);
}

double Ellipsoid(Vec3 p, Vec3 c, Vec3 r) {
  Vec3 q = p - c;
  Vec3 s{q.x / r.x, q.y / r.y, q.z / r.z};
  Vec3 s2{q.x / (r.x * r.x), q.y / (r.y * r.y), q.z / (r.z * r.z)};
  double k0 = Length(s), k1 = Length(s2);
  return k1 > 0 ? k0 * (k0 - 1.0) / k1 : -std::min(r.x, std::min(r.y, r.z));
}

// The robe: a surface of revolution about the y axis, flaring from the waist to a hem with a
// few soft folds, standing on y = 0.
double Robe(Vec3 p) {
  const double top = 0.52;
  double y = std::clamp(p.y, 0.0, top);
  double f = 1.0 - y / top;
  double angle = std::atan2(p.z, p.x);
  double radius = 0.085 + 0.17 * std::pow(f, 1.7) + 0.008 * f * f * std::sin(7 * angle);
  double side = (std::hypot(p.x, p.z) - radius) * 0.9;
  return std::max(side, std::max(-p.y, p.y - top));
}

struct Capsule2 {
  double ax, ay, bx, by, ra, rb;
};

double Capsule2Distance(double x, double y, const Capsule2& c) {
  double dx = c.bx - c.ax, dy = c.by - c.ay;
  double h = std::clamp(((x - c.ax) * dx + (y - c.ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(x - c.ax - dx * h, y - c.ay - dy * h) - (c.ra + (c.rb - c.ra) * h);
}

double EllipseDistance(double x, double y, double cx, double cy, double rx, double ry) {
  return (std::hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * std::min(rx, ry);
}

// One wing, side = +1 or -1: a flat shape in a plane through the shoulder blades, given a
// small rounded thickness. In the plane, a runs outwards from the root and b upwards: an arched
// leading edge over a broad vane whose trailing edge ends in a fan of feather tips.
double Wing(Vec3 p, double side) {
  static const Capsule2 kEdge[] = {
      {0.00, 0.00, 0.16, 0.25, 0.050, 0.045},  // up to the wrist
      {0.16, 0.25, 0.44, 0.27, 0.045, 0.038},
      {0.44, 0.27, 0.72, 0.06, 0.038, 0.028},  // down to the tip
  };
  static const Capsule2 kFeathers[] = {
      {0.42, 0.16, 0.78, -0.01, 0.060, 0.020}, {0.38, 0.12, 0.71, -0.11, 0.060, 0.020},
      {0.34, 0.08, 0.62, -0.20, 0.060, 0.020}, {0.29, 0.05, 0.52, -0.27, 0.060, 0.020},
      {0.24, 0.03, 0.41, -0.32, 0.060, 0.020}, {0.17, 0.01, 0.29, -0.35, 0.060, 0.022},
      {0.09, 0.00, 0.16, -0.34, 0.060, 0.024},
  };
  const Vec3 root{0.035 * side, 0.64, 0.075};
  const Vec3 u = Normalized({side, 0.0, 0.75});
  const Vec3 v = Normalized({0.0, 1.0, 0.12});
  const Vec3 w = Normalized(Cross(u, v));
  Vec3 q = p - root;
  double a = Dot(q, u), b = Dot(q, v), c = Dot(q, w);
  double flat = EllipseDistance(a, b, 0.32, 0.08, 0.30, 0.17);
  for (const Capsule2& part : kEdge) flat = SmoothUnion(flat, Capsule2Distance(a, b, part), 0.05);
  for (const Capsule2& part : kFeathers) flat = SmoothUnion(flat, Capsule2Distance(a, b, part), 0.04);
  // Thinner towards the tips.
  double half_thickness = 0.016 - 0.006 * std::clamp(a / 0.8, 0.0, 1.0);
  double across = std::fabs(c) - half_thickness;
  double outside = std::hypot(std::max(flat, 0.0), std::max(across, 0.0));
  return outside + std::min(std::max(flat, across), 0.0) - 0.004;
}

double Arm(Vec3 p, double side) {
  const Vec3 shoulder{0.115 * side, 0.655, 0.0};
  const Vec3 elbow{0.155 * side, 0.52, -0.05};
  const Vec3 wrist{0.08 * side, 0.50, -0.155};
  double d = TaperedCapsule(p, shoulder, elbow, 0.034, 0.028);
  d = SmoothUnion(d, TaperedCapsule(p, elbow, wrist, 0.028, 0.021), 0.02);
  const Vec3 hand{0.065 * side, 0.505, -0.18};
  return SmoothUnion(d, Ellipsoid(p, hand, {0.022, 0.03, 0.03}), 0.02);
}

}  // namespace

double AngelField(Vec3 p) {
  double body = Robe(p);
  body = SmoothUnion(body, Ellipsoid(p, {0.0, 0.585, 0.0}, {0.10, 0.15, 0.07}), 0.06);
  body = SmoothUnion(body, TaperedCapsule(p, {-0.095, 0.66, 0.005}, {0.095, 0.66, 0.005}, 0.045, 0.045), 0.04);
  body = SmoothUnion(body, TaperedCapsule(p, {0.0, 0.68, 0.0}, {0.0, 0.78, -0.005}, 0.034, 0.03), 0.03);
  double head = Ellipsoid(p, {0.0, 0.835, -0.01}, {0.062, 0.078, 0.07});
  head = SmoothUnion(head, Ellipsoid(p, {0.0, 0.85, 0.018}, {0.068, 0.075, 0.066}), 0.02);
  head = SmoothUnion(head, TaperedCapsule(p, {0.0, 0.83, 0.035}, {0.0, 0.72, 0.05}, 0.05, 0.045), 0.03);
  body = SmoothUnion(body, head, 0.03);
  for (double side : {-1.0, 1.0}) {
    body = SmoothUnion(body, Arm(p, side), 0.025);
    body = SmoothUnion(body, Wing(p, side), 0.03);
  }
  return body;
}

Bounds AngelShapeBounds() { return {{-0.80, -0.05, -0.36}, {0.80, 1.00, 0.70}}; }
