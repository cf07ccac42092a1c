// Topology of triangle meshes: closedness, manifoldness, connected components, Euler
// characteristic.
#pragma once

#include "tools/modelgen/mesh.h"

struct Topology {
  int vertices = 0;     // positions used by at least one triangle
  int edges = 0;        // distinct undirected edges
  int faces = 0;
  int components = 0;   // connected through shared edges
  int unused_positions = 0;
  bool closed_manifold = false;  // every directed edge once, its reverse once, one fan per vertex
  int EulerCharacteristic() const { return vertices - edges + faces; }
  bool IsSphere() const { return closed_manifold && components == 1 && EulerCharacteristic() == 2; }
};

Topology AnalyseTopology(const Mesh& mesh);

// The largest edge-connected component, with its positions renumbered in their old order.
Mesh LargestComponent(const Mesh& mesh);
