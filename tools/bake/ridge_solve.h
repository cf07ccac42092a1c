// Least squares with a small ridge term: for a K x N design matrix Phi (row k = the N basis
// values at sample k), the N x K solve matrix S = (Phi^T Phi + lambda I)^-1 Phi^T, so that the
// coefficients for samples y are c = S y.
#pragma once

#include <vector>

namespace veltrane {

// The ridge weight used by the baker: relative_ridge times the mean diagonal of Phi^T Phi.
double RidgeLambda(const std::vector<double>& phi, int k, int n, double relative_ridge);

// phi holds K x N values row by row; solve receives N x K values row by row. False when
// Phi^T Phi + lambda I is not positive definite (a rank-deficient Phi with lambda = 0).
bool RidgeSolveMatrix(const std::vector<double>& phi, int k, int n, double lambda,
                      std::vector<double>* solve);

}  // namespace veltrane
