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
double TaperedCapsule(Vec3d p, Vec3d a, Vec3d b, double ra, double rb) {
  Vec3d ab = b - a;
  double h = std::clamp(Dot(p - a, ab) / Dot(ab, ab), 0.0, 1.0);
  return Length(p - (a + ab * h)) - (ra + (rb - ra) * h);
}

double Ellipsoid(Vec3d p, Vec3d c, Vec3d r) {
  Vec3d q = p - c;
  Vec3d s{q.x / r.x, q.y / r.y, q.z / r.z};
  Vec3d s2{q.x / (r.x * r.x), q.y / (r.y * r.y), q.z / (r.z * r.z)};
  double k0 = Length(s), k1 = Length(s2);
  return k1 > 0 ? k0 * (k0 - 1.0) / k1 : -std::min(r.x, std::min(r.y, r.z));
}

// A capsule flattened across its own plane: the distance in the plane of (a, b) to a
// Capsule2, combined with a half thickness along c, rounded by `round`.
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

double Slab(double flat, double across, double round) {
  double outside = std::hypot(std::max(flat, 0.0), std::max(across, 0.0));
  return outside + std::min(std::max(flat, across), 0.0) - round;
}

// The robe: a surface of revolution about the y axis that flares from the waist to a wide hem,
// with deep folds falling from the waist that open towards the hem, where the cloth also
// turns out a little before it meets the table at y = 0.
double Robe(Vec3d p) {
  const double top = 0.56;
  double y = std::clamp(p.y, 0.0, top);
  double f = 1.0 - y / top;
  double angle = std::atan2(p.z, p.x);
  // Folds: ridges with rounded crests and narrow valleys, slightly twisted as they fall.
  double wave = std::cos(9.0 * angle + 0.9 * f);
  double fold = 0.030 * std::pow(f, 1.3) * (0.6 * wave + 0.4 * wave * wave * wave);
  double hem = 0.045 * std::pow(std::max(0.0, 1.0 - y / 0.09), 2.0);
  double radius = 0.075 + 0.15 * std::pow(f, 1.6) + fold + hem;
  // Deeper behind than in front, where the hem falls straight.
  double depth = p.z > 0 ? 1.0 + 0.15 * f : 1.0;
  double side = (std::hypot(p.x, p.z / depth) - radius) * 0.8;
  return std::max(side, std::max(-p.y, p.y - top));
}

// One wing, side = +1 or -1. It grows from the shoulder blades, arches up and back over the
// shoulder and sweeps out to a tip behind and below its highest point; the vane curves back
// along its span and cups towards the back, so that it reads as a wing from above and from
// the side. Three layers of feathers overlap like roof tiles: short coverts along the arm,
// secondaries below them, and long primaries fanning out at the tip.
double Wing(Vec3d p, double side) {
  // Plane coordinates: a outwards along the span, b up; the feathers hang towards -b. The
  // vane (the leading edge and an oval membrane behind it) carries the coverts in front and
  // the flight feathers behind; every feather starts inside the vane and the feathers only
  // draw apart from their neighbours towards their tips, so the outline stays one scalloped
  // edge with no gaps enclosed in it.
  static const Capsule2 kArm[] = {
      {0.00, 0.00, 0.14, 0.26, 0.045, 0.040},  // up to the wrist
      {0.14, 0.26, 0.38, 0.30, 0.040, 0.032},
      {0.38, 0.30, 0.64, 0.17, 0.032, 0.024},  // out to the tip
  };
  static const Capsule2 kCoverts[] = {
      {0.10, 0.17, 0.10, 0.04, 0.050, 0.040}, {0.20, 0.22, 0.20, 0.07, 0.050, 0.040},
      {0.30, 0.24, 0.31, 0.08, 0.050, 0.040}, {0.40, 0.24, 0.42, 0.09, 0.048, 0.038},
      {0.50, 0.20, 0.53, 0.08, 0.045, 0.035},
  };
  static const Capsule2 kSecondaries[] = {
      {0.08, 0.00, 0.03, -0.16, 0.055, 0.045}, {0.17, 0.00, 0.15, -0.20, 0.055, 0.045},
      {0.26, 0.00, 0.27, -0.21, 0.055, 0.045}, {0.35, 0.00, 0.39, -0.20, 0.055, 0.045},
  };
  static const Capsule2 kPrimaries[] = {
      {0.46, 0.04, 0.52, -0.18, 0.048, 0.040}, {0.52, 0.08, 0.64, -0.11, 0.047, 0.039},
      {0.57, 0.12, 0.73, -0.01, 0.045, 0.037}, {0.60, 0.17, 0.79, 0.09, 0.042, 0.034},
  };
  const Vec3d root{0.07 * side, 0.63, 0.08};
  const Vec3d u = Normalized(Vec3d{side, 0.12, 0.42});
  const Vec3d w = Normalized(Cross(u, {0.0, 1.0, -0.55})) * side;  // across the vane, towards the back
  const Vec3d v = Cross(w, u) * side;
  Vec3d q = p - root;
  double a = Dot(q, u), b = Dot(q, v), c = Dot(q, w);
  // The vane bends back along the span and cups across it.
  double span = std::max(a, 0.0);
  c -= 0.45 * span * span + 0.6 * std::max(-b, 0.0) * std::max(-b, 0.0);
  double thin = std::clamp(a / 0.75, 0.0, 1.0);
  double half = 0.013 - 0.004 * thin;
  auto layer = [&](const Capsule2* parts, int count, double offset, double k) {
    double flat = Capsule2Distance(a, b, parts[0]);
    for (int i = 1; i < count; ++i) flat = SmoothUnion(flat, Capsule2Distance(a, b, parts[i]), k);
    return Slab(flat, std::fabs(c - offset) - half, 0.004);
  };
  double vane = EllipseDistance(a, b, 0.33, 0.06, 0.33, 0.22);
  for (const Capsule2& part : kArm) vane = SmoothUnion(vane, Capsule2Distance(a, b, part), 0.04);
  double d = Slab(vane, std::fabs(c) - half, 0.004);
  d = SmoothUnion(d, layer(kCoverts, 5, -0.010, 0.02), 0.008);
  d = SmoothUnion(d, layer(kSecondaries, 4, 0.008, 0.015), 0.008);
  d = SmoothUnion(d, layer(kPrimaries, 4, 0.016, 0.015), 0.008);
  // Each wing keeps to its own side, so that the two never meet behind the back (they would
  // close a loop through it).
  return std::max(d, 0.012 - side * p.x);
}

// An arm along the side, bent at the elbow, the hands joined in prayer before the chest. The
// arm lies against the body all along, so that it closes no loop with it.
double Arm(Vec3d p, double side) {
  const Vec3d shoulder{0.10 * side, 0.665, 0.0};
  const Vec3d elbow{0.10 * side, 0.545, -0.01};
  const Vec3d wrist{0.03 * side, 0.60, -0.085};
  double d = TaperedCapsule(p, shoulder, elbow, 0.032, 0.025);
  d = SmoothUnion(d, TaperedCapsule(p, elbow, wrist, 0.025, 0.019), 0.02);
  // A sleeve that widens towards the wrist.
  d = SmoothUnion(d, TaperedCapsule(p, Lerp(elbow, wrist, 0.35), wrist, 0.024, 0.034), 0.015);
  const Vec3d hand{0.012 * side, 0.63, -0.085};
  return SmoothUnion(d, Ellipsoid(p, hand, {0.018, 0.045, 0.026}), 0.015);
}

}  // namespace

double AngelField(Vec3d p) {
  double body = Robe(p);
  // Chest and shoulders.
  body = SmoothUnion(body, Ellipsoid(p, {0.0, 0.615, 0.0}, {0.092, 0.12, 0.065}), 0.05);
  body = SmoothUnion(body, TaperedCapsule(p, {-0.085, 0.67, 0.005}, {0.085, 0.67, 0.005}, 0.036, 0.036), 0.04);
  // A slender neck, and the head turned slightly down, with hair gathered at the back.
  body = SmoothUnion(body, TaperedCapsule(p, {0.0, 0.68, 0.005}, {0.0, 0.79, -0.005}, 0.030, 0.024), 0.02);
  double head = Ellipsoid(p, {0.0, 0.845, -0.012}, {0.050, 0.064, 0.056});
  head = SmoothUnion(head, Ellipsoid(p, {0.0, 0.82, -0.045}, {0.028, 0.036, 0.03}), 0.02);  // chin and face
  head = SmoothUnion(head, Ellipsoid(p, {0.0, 0.86, 0.02}, {0.056, 0.06, 0.05}), 0.02);      // hair
  head = SmoothUnion(head, Ellipsoid(p, {0.0, 0.82, 0.06}, {0.03, 0.04, 0.03}), 0.02);       // knot
  body = SmoothUnion(body, head, 0.02);
  for (double s : {-1.0, 1.0}) {
    body = SmoothUnion(body, Arm(p, s), 0.02);
    body = SmoothUnion(body, Wing(p, s), 0.03);
  }
  return body;
}

Bounds AngelShapeBounds() { return {{-0.90, -0.05, -0.45}, {0.90, 1.10, 0.90}}; }
