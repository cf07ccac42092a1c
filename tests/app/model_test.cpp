// The built-in model arrays: their layout, indexing rules, shapes and the fixed table top.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <utility>
#include <vector>

#include "scene/model.h"

namespace {

using V3 = std::array<double, 3>;

V3 Position(int i) { return {model_positions[i][0], model_positions[i][1], model_positions[i][2]}; }
V3 Sub(V3 a, V3 b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V3 Cross(V3 a, V3 b) { return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}; }
double Dot(V3 a, V3 b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

V3 FaceArea2(const FaceRecord& f) {
  V3 a = Position(f.position[0]), b = Position(f.position[1]), c = Position(f.position[2]);
  return Cross(Sub(b, a), Sub(c, a));
}

struct FaceList {
  const char* name;
  const FaceRecord* faces;
  int count, first_face, first_position, end_position;
};
const FaceList kLists[] = {{"angel", angel_faces, kAngelFaceCount, 0, 0, kAngelPositionCount},
                           {"table", table_faces, kTableFaceCount, kAngelFaceCount, kAngelPositionCount,
                            kModelPositionCount}};

TEST(ModelTest, ArraysHaveTheirLayout) {
  static_assert(sizeof(FaceRecord) == 9 * sizeof(int32_t), "nine 32-bit integers");
  EXPECT_EQ(sizeof angel_faces / sizeof angel_faces[0], 1202u);
  EXPECT_EQ(sizeof table_faces / sizeof table_faces[0], 400u);
  EXPECT_EQ(sizeof model_positions / sizeof model_positions[0], 867u);
  EXPECT_EQ(sizeof model_normals / sizeof model_normals[0], 4806u);
  EXPECT_EQ(sizeof model_texcoords / sizeof model_texcoords[0], 4806u);
}

TEST(ModelTest, IndicesFollowTheRules) {
  std::vector<int> uses(kModelPositionCount, 0);
  for (const FaceList& list : kLists) {
    for (int f = 0; f < list.count; ++f) {
      const FaceRecord& r = list.faces[f];
      const int g = list.first_face + f;
      for (int c = 0; c < 3; ++c) {
        ASSERT_GE(r.position[c], list.first_position) << list.name << " face " << f;
        ASSERT_LT(r.position[c], list.end_position) << list.name << " face " << f;
        EXPECT_EQ(r.normal[c], 3 * g + c) << list.name << " face " << f;
        EXPECT_EQ(r.texcoord[c], 3 * g + c) << list.name << " face " << f;
        ++uses[r.position[c]];
      }
      EXPECT_TRUE(r.position[0] != r.position[1] && r.position[1] != r.position[2] &&
                  r.position[0] != r.position[2])
          << list.name << " face " << f;
    }
  }
  for (int i = 0; i < kModelPositionCount; ++i) EXPECT_GT(uses[i], 0) << "position " << i << " unused";
}

// Non-zero area, unit normals, and every corner's normal on the side the face's winding faces:
// a face wound the wrong way round would be culled on screen or lit from behind.
TEST(ModelTest, FacesHaveAreaAndUnitNormalsOnTheirFrontSide) {
  for (const FaceList& list : kLists) {
    for (int f = 0; f < list.count; ++f) {
      const FaceRecord& r = list.faces[f];
      V3 n = FaceArea2(r);
      double area = 0.5 * std::sqrt(Dot(n, n));
      EXPECT_GT(area, 1e-7) << list.name << " face " << f;
      for (int c = 0; c < 3; ++c) {
        const float* cn = model_normals[r.normal[c]];
        V3 corner = {cn[0], cn[1], cn[2]};
        EXPECT_NEAR(std::sqrt(Dot(corner, corner)), 1.0, 1e-5) << list.name << " face " << f;
        EXPECT_GT(Dot(corner, n), 0.0) << list.name << " face " << f << " corner " << c;
      }
    }
  }
}

// The angel is one closed, oriented 2-manifold of genus 0 whose faces point outwards.
TEST(ModelTest, AngelIsAClosedOutwardSurfaceOfGenusZero) {
  std::map<std::pair<int, int>, int> directed;
  std::vector<int> parent(kAngelPositionCount);
  std::iota(parent.begin(), parent.end(), 0);
  auto root = [&](int v) {
    while (parent[v] != v) v = parent[v] = parent[parent[v]];
    return v;
  };
  double volume6 = 0;
  for (const FaceRecord& r : angel_faces) {
    for (int c = 0; c < 3; ++c) {
      int a = r.position[c], b = r.position[(c + 1) % 3];
      ++directed[{a, b}];
      parent[root(a)] = root(b);
    }
    volume6 += Dot(Position(r.position[0]), Cross(Position(r.position[1]), Position(r.position[2])));
  }
  for (const auto& [edge, count] : directed) {
    EXPECT_EQ(count, 1) << "edge " << edge.first << "-" << edge.second << " used twice the same way";
    EXPECT_EQ(directed.count({edge.second, edge.first}), 1u)
        << "edge " << edge.first << "-" << edge.second << " has one face";
  }
  const int edges = static_cast<int>(directed.size()) / 2;
  EXPECT_EQ(kAngelPositionCount - edges + kAngelFaceCount, 2);
  std::set<int> components;
  for (int v = 0; v < kAngelPositionCount; ++v) components.insert(root(v));
  EXPECT_EQ(components.size(), 1u);
  EXPECT_GT(volume6, 0.0) << "faces wound inwards";

  // Around every vertex the faces form one fan, not several touching at the vertex.
  std::vector<std::map<int, int>> next(kAngelPositionCount);
  for (const FaceRecord& r : angel_faces) {
    for (int c = 0; c < 3; ++c) next[r.position[c]][r.position[(c + 1) % 3]] = r.position[(c + 2) % 3];
  }
  for (int v = 0; v < kAngelPositionCount; ++v) {
    int start = next[v].begin()->first, at = start;
    size_t steps = 0;
    do {
      at = next[v].count(at) ? next[v][at] : start;
      ++steps;
    } while (at != start && steps <= next[v].size());
    EXPECT_EQ(steps, next[v].size()) << "vertex " << v << " joins more than one fan";
  }
}

TEST(ModelTest, ObjectsFillTheirExtents) {
  struct Extent {
    int first, end;
    V3 lo, hi;
  };
  const Extent extents[] = {{0, kAngelPositionCount, {-0.1999, 0.25, -0.1501}, {0.1542, 0.5, 0.069}},
                            {kAngelPositionCount, kModelPositionCount, {-0.4318, -0.5, -0.4104}, {0.4318, 0.2715, 0.4104}}};
  for (const Extent& e : extents) {
    V3 lo = Position(e.first), hi = lo;
    for (int i = e.first; i < e.end; ++i) {
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], Position(i)[k]);
        hi[k] = std::max(hi[k], Position(i)[k]);
      }
    }
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(lo[k], e.lo[k], 1e-4) << "positions from " << e.first << ", axis " << k;
      EXPECT_NEAR(hi[k], e.hi[k], 1e-4) << "positions from " << e.first << ", axis " << k;
    }
  }
  for (int i = 0; i < kModelCornerCount; ++i) {
    const float* t = model_texcoords[i];
    const float t_max = i < 3 * kAngelFaceCount ? 1.0f : 1.98f;
    EXPECT_TRUE(t[0] >= 0 && t[0] <= 1 && t[1] >= 0 && t[1] <= t_max) << "texture coordinate " << i;
  }
}

// The light maps were fitted to this top: its data must be exactly these values.
TEST(ModelTest, TableTopIsExactlyTheLightMappedPair) {
  const float corners[4][3] = {{-0.41075f, 0.271548f, 0.373043f},
                               {0.410772f, 0.271548f, 0.373043f},
                               {0.410772f, 0.271548f, -0.373043f},
                               {-0.41075f, 0.271548f, -0.373043f}};
  for (int i = 0; i < 4; ++i) {
    for (int k = 0; k < 3; ++k) EXPECT_EQ(model_positions[795 + i][k], corners[i][k]) << 795 + i;
  }
  const int positions[2][3] = {{795, 796, 797}, {795, 797, 798}};
  const float texcoords[2][3][2] = {{{0.047919f, 0.104805f}, {0.952105f, 0.104805f}, {0.952105f, 0.990256f}},
                                    {{0.047919f, 0.104805f}, {0.952105f, 0.990256f}, {0.047919f, 0.990256f}}};
  for (int i = 0; i < 2; ++i) {
    const FaceRecord& r = table_faces[kTableTopFaces[i]];
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(r.position[c], positions[i][c]);
      const float* n = model_normals[r.normal[c]];
      EXPECT_TRUE(n[0] == 0.0f && n[1] == 1.0f && n[2] == 0.0f) << "face " << kTableTopFaces[i];
      EXPECT_EQ(model_texcoords[r.texcoord[c]][0], texcoords[i][c][0]);
      EXPECT_EQ(model_texcoords[r.texcoord[c]][1], texcoords[i][c][1]);
    }
  }
  std::vector<int> in_plane;
  for (const FaceList& list : kLists) {
    for (int f = 0; f < list.count; ++f) {
      const FaceRecord& r = list.faces[f];
      if (model_positions[r.position[0]][1] == kTableTopY && model_positions[r.position[1]][1] == kTableTopY &&
          model_positions[r.position[2]][1] == kTableTopY) {
        in_plane.push_back(list.first_face + f);
      }
    }
  }
  EXPECT_EQ(in_plane, (std::vector<int>{kAngelFaceCount + 320, kAngelFaceCount + 321}));
}

}  // namespace
