#include "tools/bake/centre_fit.h"

#include <ceres/ceres.h>

#include <Eigen/Cholesky>
#include <Eigen/Core>
#include <Eigen/Eigenvalues>
#include <algorithm>
#include <cmath>
#include <memory>

#include "common/direction.h"

namespace veltrane {
namespace {

using Matrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic>;
using RowMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

// Principal components kept: enough for all but this share of the samples' energy, at most
// kMaxComponents (the samples of a smooth light field have few large ones).
constexpr double kDroppedEnergy = 1e-7;
constexpr int kMaxComponents = 48;

// Z (K x r) with Z Z^T equal to Y Y^T up to the dropped components; every ridge residual over
// Y has the same norm over Z.
Matrix ReduceSamples(const CentreFitProblem& p) {
  const Eigen::Index k = static_cast<Eigen::Index>(p.fit_directions.size());
  const Eigen::Map<const RowMatrix> y(p.samples.data(), k, static_cast<Eigen::Index>(p.texels));
  Matrix gram = Matrix::Zero(k, k);
  gram.selfadjointView<Eigen::Lower>().rankUpdate(y);
  gram = gram.selfadjointView<Eigen::Lower>();
  if (!p.direction_scales.empty()) {
    const Eigen::Map<const Eigen::VectorXd> w(p.direction_scales.data(), k);
    gram = w.asDiagonal() * gram * w.asDiagonal();
  }
  const Eigen::SelfAdjointEigenSolver<Matrix> eigen(gram);
  const Eigen::VectorXd& values = eigen.eigenvalues();  // ascending
  const double total = std::max(values.sum(), 0.0);
  Eigen::Index r = 0;
  double kept = 0.0;
  while (r < k && r < kMaxComponents && kept < (1.0 - kDroppedEnergy) * total) {
    kept += std::max(values(k - 1 - r), 0.0);
    ++r;
  }
  Matrix z(k, std::max<Eigen::Index>(r, 1));
  z.setZero();
  for (Eigen::Index c = 0; c < r; ++c) {
    z.col(c) = eigen.eigenvectors().col(k - 1 - c) * std::sqrt(std::max(values(k - 1 - c), 0.0));
  }
  return z;
}

Matrix KernelMatrix(const std::vector<Vec3d>& directions, const std::vector<double>& scales,
                    const double* angles, int n, double sigma) {
  std::vector<Vec3d> centres(n);
  for (int i = 0; i < n; ++i) centres[i] = SphericalDirection(angles[2 * i], angles[2 * i + 1]);
  const double scale = -0.5 / (sigma * sigma);
  Matrix phi(static_cast<Eigen::Index>(directions.size()), n);
  for (size_t k = 0; k < directions.size(); ++k) {
    for (int i = 0; i < n; ++i) {
      const double angle = std::acos(std::clamp(Dot(directions[k], centres[i]), -1.0, 1.0));
      phi(static_cast<Eigen::Index>(k), i) = std::exp(scale * angle * angle) * (scales.empty() ? 1.0 : scales[k]);
    }
  }
  return phi;
}

// The stacked residual [Z - Phi C; sqrt(lambda) C] of the ridge solution C for the angles
// (radians, theta and phi per centre) and sigma, divided by |Z|.
class RidgeResidual {
 public:
  RidgeResidual(const std::vector<Vec3d>& directions, const std::vector<double>& scales, const Matrix& z,
                int n, double relative_ridge)
      : directions_(directions), scales_(scales), z_(z), n_(n), relative_ridge_(relative_ridge),
        inverse_norm_(z.norm() > 0.0 ? 1.0 / z.norm() : 1.0) {}

  int Count() const { return static_cast<int>((z_.rows() + n_) * z_.cols()); }

  bool Evaluate(const double* angles, double sigma, double* out) const {
    const Matrix phi = KernelMatrix(directions_, scales_, angles, n_, sigma);
    Matrix normal = phi.transpose() * phi;
    const double lambda = relative_ridge_ * normal.trace() / n_;
    normal.diagonal().array() += lambda;
    const Eigen::LDLT<Matrix> factor(normal);
    if (factor.info() != Eigen::Success) return false;
    const Matrix c = factor.solve(phi.transpose() * z_);
    Eigen::Map<Matrix> top(out, z_.rows(), z_.cols());
    top = (z_ - phi * c) * inverse_norm_;
    Eigen::Map<Matrix> bottom(out + z_.size(), n_, z_.cols());
    bottom = c * (std::sqrt(lambda) * inverse_norm_);
    return std::isfinite(top.sum()) && std::isfinite(bottom.sum());
  }

  // For Ceres: one parameter block of 2N angles and log sigma.
  bool operator()(double const* const* parameters, double* residuals) const {
    return Evaluate(parameters[0], std::exp(parameters[0][2 * n_]), residuals);
  }

 private:
  const std::vector<Vec3d>& directions_;
  const std::vector<double>& scales_;
  const Matrix& z_;
  int n_;
  double relative_ridge_;
  double inverse_norm_;
};

std::vector<double> Radians(const std::vector<SphereAngles>& centres) {
  std::vector<double> angles;
  for (const SphereAngles& a : centres) {
    angles.push_back(a.theta_deg * kRadiansPerDegree);
    angles.push_back(a.phi_deg * kRadiansPerDegree);
  }
  return angles;
}

double FitMisfit(const RidgeResidual& residual, const Matrix& z, const std::vector<double>& angles,
                 int n, double sigma) {
  std::vector<double> out(static_cast<size_t>(residual.Count()));
  if (!residual.Evaluate(angles.data(), sigma, out.data())) return HUGE_VAL;
  // Only the misfit rows, not the ridge penalty rows.
  double sum = 0.0;
  for (Eigen::Index i = 0; i < z.size(); ++i) sum += out[i] * out[i];
  return std::sqrt(sum);
}

// Hands each finished solver iteration to the problem's progress callback.
class IterationReporter : public ceres::IterationCallback {
 public:
  explicit IterationReporter(const std::function<void(int)>& report) : report_(report) {}
  ceres::CallbackReturnType operator()(const ceres::IterationSummary& summary) override {
    report_(summary.iteration);
    return ceres::SOLVER_CONTINUE;
  }

 private:
  const std::function<void(int)>& report_;
};

}  // namespace

double CentreFitResidual(const CentreFitProblem& problem, const std::vector<SphereAngles>& centres,
                         double sigma) {
  if (problem.fit_directions.empty() || problem.texels == 0 || centres.empty()) return HUGE_VAL;
  const Matrix z = ReduceSamples(problem);
  const int n = static_cast<int>(centres.size());
  const RidgeResidual residual(problem.fit_directions, problem.direction_scales, z, n, problem.relative_ridge);
  return FitMisfit(residual, z, Radians(centres), n, sigma);
}

bool OptimizeCentres(const CentreFitProblem& problem, CentreFitResult* result, std::string* why) {
  const int n = static_cast<int>(problem.start.size());
  if (n == 0 || problem.texels == 0 || problem.fit_directions.size() < static_cast<size_t>(n) ||
      problem.samples.size() != problem.fit_directions.size() * problem.texels ||
      (!problem.direction_scales.empty() && problem.direction_scales.size() != problem.fit_directions.size())) {
    *why = "the centre optimisation has no samples or no centres";
    return false;
  }
  if (!(problem.start_sigma > 0.0)) {
    *why = "the centre optimisation needs a starting spread above 0";
    return false;
  }
  const Matrix z = ReduceSamples(problem);
  std::vector<double> parameters = Radians(problem.start);
  const double start_sigma = std::clamp(problem.start_sigma, problem.min_sigma, problem.max_sigma);
  parameters.push_back(std::log(start_sigma));

  auto* residual = new RidgeResidual(problem.fit_directions, problem.direction_scales, z, n, problem.relative_ridge);
  const RidgeResidual& evaluate = *residual;
  result->start_rms = FitMisfit(evaluate, z, Radians(problem.start), n, start_sigma);
  // The residual is cheap next to its Jacobian's bookkeeping, and an analytic derivative of the
  // projected residual is long and error-prone: central differences cost 2 (2N + 1) residuals
  // per iteration, a few milliseconds each.
  auto* cost = new ceres::DynamicNumericDiffCostFunction<RidgeResidual, ceres::CENTRAL>(
      residual, ceres::TAKE_OWNERSHIP);
  cost->AddParameterBlock(2 * n + 1);
  cost->SetNumResiduals(evaluate.Count());
  ceres::Problem solver_problem;
  solver_problem.AddResidualBlock(cost, nullptr, parameters.data());
  const double max_theta = kMaxCentreThetaDeg * kRadiansPerDegree;
  for (int i = 0; i < n; ++i) {
    parameters[2 * i] = std::clamp(parameters[2 * i], 0.0, max_theta);
    solver_problem.SetParameterLowerBound(parameters.data(), 2 * i, 0.0);
    solver_problem.SetParameterUpperBound(parameters.data(), 2 * i, max_theta);
  }
  solver_problem.SetParameterLowerBound(parameters.data(), 2 * n, std::log(problem.min_sigma));
  solver_problem.SetParameterUpperBound(parameters.data(), 2 * n, std::log(problem.max_sigma));

  ceres::Solver::Options options;
  options.minimizer_type = ceres::TRUST_REGION;
  options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  options.linear_solver_type = ceres::DENSE_QR;
  options.max_num_iterations = problem.max_iterations;
  options.function_tolerance = 1e-7;
  options.parameter_tolerance = 1e-8;
  options.logging_type = ceres::SILENT;
  options.minimizer_progress_to_stdout = false;
  IterationReporter reporter(problem.on_iteration);
  if (problem.on_iteration) options.callbacks.push_back(&reporter);
  ceres::Solver::Summary summary;
  ceres::Solve(options, &solver_problem, &summary);
  if (summary.termination_type == ceres::FAILURE || !std::isfinite(summary.final_cost)) {
    *why = "the centre optimisation failed: " + summary.message;
    return false;
  }
  result->centres.clear();
  for (int i = 0; i < n; ++i) {
    double phi = std::fmod(parameters[2 * i + 1] / kRadiansPerDegree, 360.0);
    if (phi < 0.0) phi += 360.0;
    float phi_deg = static_cast<float>(phi);
    if (phi_deg >= 360.0f) phi_deg = 0.0f;
    const float theta_deg = std::min(static_cast<float>(parameters[2 * i] / kRadiansPerDegree),
                                     static_cast<float>(kMaxCentreThetaDeg));
    result->centres.push_back({std::max(theta_deg, 0.0f), phi_deg});
  }
  result->sigma = static_cast<float>(std::exp(parameters[2 * n]));
  result->final_rms = FitMisfit(evaluate, z, Radians(result->centres), n, result->sigma);
  // A run that could not improve keeps where it started.
  if (!(result->final_rms <= result->start_rms)) {
    result->centres = problem.start;
    result->sigma = static_cast<float>(start_sigma);
    result->final_rms = result->start_rms;
  }
  result->iterations = static_cast<int>(summary.iterations.size());
  result->components = static_cast<int>(z.cols());
  result->summary = summary.BriefReport();
  return true;
}

}  // namespace veltrane
