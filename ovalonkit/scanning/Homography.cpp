#include "scanning/Homography.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace ovalon {

namespace {

// Solves the n × n system a · x = b (a row-major) by elimination with partial
// pivoting; nothing when it is singular or nearly so.
template <size_t N>
std::optional<std::array<double, N>> solved(std::array<double, N * N> a, std::array<double, N> b) {
  double largest = 0;
  for (double v : a)
    largest = std::max(largest, std::abs(v));
  const double tiny = 1e-12 * std::max(largest, 1.0);
  for (size_t col = 0; col < N; ++col) {
    size_t pivot = col;
    for (size_t row = col + 1; row < N; ++row)
      if (std::abs(a[row * N + col]) > std::abs(a[pivot * N + col]))
        pivot = row;
    if (std::abs(a[pivot * N + col]) <= tiny)
      return std::nullopt;
    if (pivot != col) {
      for (size_t k = 0; k < N; ++k)
        std::swap(a[col * N + k], a[pivot * N + k]);
      std::swap(b[col], b[pivot]);
    }
    for (size_t row = col + 1; row < N; ++row) {
      const double f = a[row * N + col] / a[col * N + col];
      for (size_t k = col; k < N; ++k)
        a[row * N + k] -= f * a[col * N + k];
      b[row] -= f * b[col];
    }
  }
  std::array<double, N> x{};
  for (size_t i = N; i-- > 0;) {
    double sum = b[i];
    for (size_t k = i + 1; k < N; ++k)
      sum -= a[i * N + k] * x[k];
    x[i] = sum / a[i * N + i];
  }
  return x;
}

// Moves a point set to its centroid and scales it to a mean distance of √2,
// which keeps the normal equations well conditioned whatever the units.
struct Normalisation {
  double cx = 0, cy = 0, scale = 1;

  explicit Normalisation(std::span<const Point> points) {
    for (const Point &p : points) {
      cx += p.x;
      cy += p.y;
    }
    const auto n = static_cast<double>(points.size());
    cx /= n;
    cy /= n;
    double spread = 0;
    for (const Point &p : points)
      spread += std::hypot(p.x - cx, p.y - cy);
    spread /= n;
    scale = spread > 0 ? std::sqrt(2.0) / spread : 1;
  }
  Point apply(Point p) const { return {(p.x - cx) * scale, (p.y - cy) * scale}; }
  // As a matrix, and its inverse.
  std::array<double, 9> matrix() const {
    return {scale, 0, -cx * scale, 0, scale, -cy * scale, 0, 0, 1};
  }
  std::array<double, 9> inverse() const { return {1 / scale, 0, cx, 0, 1 / scale, cy, 0, 0, 1}; }
};

std::array<double, 9> product(const std::array<double, 9> &a, const std::array<double, 9> &b) {
  std::array<double, 9> c{};
  for (size_t r = 0; r < 3; ++r)
    for (size_t k = 0; k < 3; ++k)
      for (size_t j = 0; j < 3; ++j)
        c[r * 3 + j] += a[r * 3 + k] * b[k * 3 + j];
  return c;
}

// Undoes the normalisations of both point sets and scales the result so its
// last entry is 1.
std::optional<Homography> denormalised(const std::array<double, 9> &h, const Normalisation &from,
                                       const Normalisation &to) {
  std::array<double, 9> m = product(to.inverse(), product(h, from.matrix()));
  if (std::abs(m[8]) < 1e-15)
    return std::nullopt;
  for (double &v : m)
    v /= m[8];
  for (double v : m)
    if (!std::isfinite(v))
      return std::nullopt;
  return Homography{m};
}

template <size_t N>
void accumulate(std::array<double, N * N> &ata, std::array<double, N> &atb,
                const std::array<double, N> &row, double rhs) {
  for (size_t i = 0; i < N; ++i) {
    for (size_t j = 0; j < N; ++j)
      ata[i * N + j] += row[i] * row[j];
    atb[i] += row[i] * rhs;
  }
}

} // namespace

Point Homography::map(Point p) const {
  const double w = m[6] * p.x + m[7] * p.y + m[8];
  return {(m[0] * p.x + m[1] * p.y + m[2]) / w, (m[3] * p.x + m[4] * p.y + m[5]) / w};
}

std::array<Point, 2> Homography::steps(Point p) const {
  const Point at = map(p);
  const Point alongX = map({p.x + 1, p.y}), alongY = map({p.x, p.y + 1});
  return {{{alongX.x - at.x, alongX.y - at.y}, {alongY.x - at.x, alongY.y - at.y}}};
}

std::optional<Homography> Homography::fitted(std::span<const Point> from,
                                             std::span<const Point> to) {
  if (from.size() < 4 || from.size() != to.size())
    return std::nullopt;
  const Normalisation nf(from), nt(to);
  std::array<double, 64> ata{};
  std::array<double, 8> atb{};
  for (size_t i = 0; i < from.size(); ++i) {
    const Point a = nf.apply(from[i]), b = nt.apply(to[i]);
    accumulate<8>(ata, atb, {a.x, a.y, 1, 0, 0, 0, -a.x * b.x, -a.y * b.x}, b.x);
    accumulate<8>(ata, atb, {0, 0, 0, a.x, a.y, 1, -a.x * b.y, -a.y * b.y}, b.y);
  }
  const auto h = solved<8>(ata, atb);
  if (!h)
    return std::nullopt;
  const auto &v = *h;
  return denormalised({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], 1}, nf, nt);
}

std::optional<Homography> Homography::fittedAffine(std::span<const Point> from,
                                                   std::span<const Point> to) {
  if (from.size() < 3 || from.size() != to.size())
    return std::nullopt;
  const Normalisation nf(from), nt(to);
  std::array<double, 9> ata{};
  std::array<double, 3> atx{}, aty{};
  for (size_t i = 0; i < from.size(); ++i) {
    const Point a = nf.apply(from[i]), b = nt.apply(to[i]);
    const std::array<double, 3> row{a.x, a.y, 1};
    std::array<double, 9> unused{};
    accumulate<3>(ata, atx, row, b.x);
    accumulate<3>(unused, aty, row, b.y);
  }
  const auto x = solved<3>(ata, atx), y = solved<3>(ata, aty);
  if (!x || !y)
    return std::nullopt;
  return denormalised({(*x)[0], (*x)[1], (*x)[2], (*y)[0], (*y)[1], (*y)[2], 0, 0, 1}, nf, nt);
}

} // namespace ovalon
