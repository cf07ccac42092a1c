// Matrix: a small dense matrix of single-precision floats, stored row by row (each row its own
// allocation, one pointer per row in the row table). Users read and write data[i][j] directly;
// there are no bounds checks on element access.
#pragma once

class Matrix {
 public:
  // An empty matrix: -1 x -1, no storage.
  constexpr Matrix() : rows(-1), cols(-1), data(nullptr) {}
  virtual ~Matrix();

  Matrix(const Matrix&) = delete;
  Matrix& operator=(const Matrix&) = delete;

  // Replaces the storage by new_rows x new_cols elements, all 0.0. A negative size or missing
  // memory is fatal: "[Matrix::Allocate]: Cannot allocate a R x C matrix\n" on standard error,
  // exit status 1 (the old storage is kept until then).
  void Allocate(int new_rows, int new_cols);

  // Every element becomes factor x element, rounded to float.
  void Scale(float factor);

  // This matrix becomes a x b. The running sum of each element is held in single precision:
  // for k ascending, element = a(i,k) x b(k,j) + element, formed in double and rounded to float
  // before the next k. When b.rows differs from a.cols (or either operand was never allocated)
  // "The two matrix not match!!!!\n" goes to standard output and the process exits with
  // status 1. A destination that already has the product's shape keeps its storage; a or b may
  // be this matrix itself.
  void Multiply(const Matrix& a, const Matrix& b);

  // Exchanges the storage and shape of two matrices.
  void Swap(Matrix& other);

  int rows;
  int cols;
  float** data;

 private:
  void Release();
};
