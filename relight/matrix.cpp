#include "relight/matrix.h"

#include <cstdio>
#include <cstdlib>

#include "common/fatal.h"
#include "common/heap.h"

Matrix::~Matrix() { Release(); }

void Matrix::Release() {
  if (data != nullptr) {
    for (int i = 0; i < rows; ++i) std::free(data[i]);
    std::free(data);
  }
  data = nullptr;
}

void Matrix::Allocate(int new_rows, int new_cols) {
  float** table = nullptr;
  bool ok = new_rows >= 0 && new_cols >= 0;
  if (ok) {
    table = veltrane::HeapAlloc<float*>(static_cast<size_t>(new_rows));
    ok = table != nullptr;
  }
  for (int i = 0; ok && i < new_rows; ++i) {
    table[i] = static_cast<float*>(
        std::calloc(new_cols == 0 ? 1 : static_cast<size_t>(new_cols), sizeof(float)));
    if (table[i] == nullptr) {
      while (i > 0) std::free(table[--i]);
      ok = false;
    }
  }
  if (!ok) {
    std::free(table);
    std::fprintf(stderr, "[Matrix::Allocate]: Cannot allocate a %d x %d matrix\n", new_rows,
                 new_cols);
    veltrane::FatalExit(1);
  }
  Release();
  rows = new_rows;
  cols = new_cols;
  data = table;
}

void Matrix::Scale(float factor) {
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) data[i][j] = factor * data[i][j];
  }
}

void Matrix::Multiply(const Matrix& a, const Matrix& b) {
  if (b.rows != a.cols || a.rows < 0 || b.cols < 0) {
    std::fputs("The two matrix not match!!!!\n", stdout);
    std::fflush(stdout);
    veltrane::FatalExit(1);
  }
  if (this == &a || this == &b) {
    Matrix product;
    product.Multiply(a, b);
    Swap(product);
    return;
  }
  if (rows != a.rows || cols != b.cols) Allocate(a.rows, b.cols);
  for (int i = 0; i < a.rows; ++i) {
    for (int j = 0; j < b.cols; ++j) {
      float& element = data[i][j];
      element = 0.0f;
      for (int k = 0; k < a.cols; ++k) {
        element = static_cast<float>(static_cast<double>(a.data[i][k]) * b.data[k][j] + element);
      }
    }
  }
}

void Matrix::Swap(Matrix& other) {
  int r = rows, c = cols;
  float** d = data;
  rows = other.rows;
  cols = other.cols;
  data = other.data;
  other.rows = r;
  other.cols = c;
  other.data = d;
}
