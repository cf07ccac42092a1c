#include "tools/bake/ridge_solve.h"

#include <Eigen/Cholesky>
#include <Eigen/Core>

namespace veltrane {

double RidgeLambda(const std::vector<double>& phi, int k, int n, double relative_ridge) {
  double trace = 0.0;
  for (size_t i = 0; i < static_cast<size_t>(k) * n; ++i) trace += phi[i] * phi[i];
  return relative_ridge * trace / n;
}

bool RidgeSolveMatrix(const std::vector<double>& phi, int k, int n, double lambda,
                      std::vector<double>* solve) {
  using RowMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
  const Eigen::Map<const RowMatrix> design(phi.data(), k, n);
  Eigen::MatrixXd normal = Eigen::MatrixXd::Zero(n, n);
  normal.selfadjointView<Eigen::Lower>().rankUpdate(design.transpose());
  normal.diagonal().array() += lambda;
  const Eigen::LLT<Eigen::MatrixXd> factor(normal.selfadjointView<Eigen::Lower>());
  if (factor.info() != Eigen::Success) return false;
  solve->resize(static_cast<size_t>(n) * k);
  Eigen::Map<RowMatrix> out(solve->data(), n, k);
  out = factor.solve(design.transpose());
  return true;
}

}  // namespace veltrane
