#include "tools/bake/ridge_solve.h"

#include <cmath>

namespace veltrane {

double RidgeLambda(const std::vector<double>& phi, int k, int n, double relative_ridge) {
  double trace = 0.0;
  for (size_t i = 0; i < static_cast<size_t>(k) * n; ++i) trace += phi[i] * phi[i];
  return relative_ridge * trace / n;
}

bool RidgeSolveMatrix(const std::vector<double>& phi, int k, int n, double lambda,
                      std::vector<double>* solve) {
  // Normal matrix G = Phi^T Phi + lambda I, then its Cholesky factor L (G = L L^T) in place.
  std::vector<double> g(static_cast<size_t>(n) * n, 0.0);
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b <= a; ++b) {
      double sum = 0.0;
      for (int s = 0; s < k; ++s) sum += phi[static_cast<size_t>(s) * n + a] * phi[static_cast<size_t>(s) * n + b];
      g[static_cast<size_t>(a) * n + b] = sum + (a == b ? lambda : 0.0);
    }
  }
  for (int j = 0; j < n; ++j) {
    double d = g[static_cast<size_t>(j) * n + j];
    for (int p = 0; p < j; ++p) d -= g[static_cast<size_t>(j) * n + p] * g[static_cast<size_t>(j) * n + p];
    if (!(d > 0.0)) return false;
    const double ljj = std::sqrt(d);
    g[static_cast<size_t>(j) * n + j] = ljj;
    for (int i = j + 1; i < n; ++i) {
      double v = g[static_cast<size_t>(i) * n + j];
      for (int p = 0; p < j; ++p) v -= g[static_cast<size_t>(i) * n + p] * g[static_cast<size_t>(j) * n + p];
      g[static_cast<size_t>(i) * n + j] = v / ljj;
    }
  }
  // Column s of S solves G x = (row s of Phi): forward then back substitution.
  solve->assign(static_cast<size_t>(n) * k, 0.0);
  std::vector<double> x(n);
  for (int s = 0; s < k; ++s) {
    for (int i = 0; i < n; ++i) {
      double v = phi[static_cast<size_t>(s) * n + i];
      for (int p = 0; p < i; ++p) v -= g[static_cast<size_t>(i) * n + p] * x[p];
      x[i] = v / g[static_cast<size_t>(i) * n + i];
    }
    for (int i = n - 1; i >= 0; --i) {
      double v = x[i];
      for (int p = i + 1; p < n; ++p) v -= g[static_cast<size_t>(p) * n + i] * x[p];
      x[i] = v / g[static_cast<size_t>(i) * n + i];
    }
    for (int i = 0; i < n; ++i) (*solve)[static_cast<size_t>(i) * k + s] = x[i];
  }
  return true;
}

}  // namespace veltrane
