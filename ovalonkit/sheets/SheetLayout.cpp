#include "sheets/SheetLayout.h"

#include "model/Exam.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace ovalon {

namespace {

Size pageSizeOf(Paper paper) {
  return paper == Paper::letter ? Size{612, 792} : Size{595.28, 841.89};
}

int ceilDiv(int a, int b) {
  return (a + b - 1) / b;
}

} // namespace

SheetLayout::SheetLayout(const LayoutSignature &signature)
    : signature(signature), pageSize(pageSizeOf(signature.paper)) {}

SheetLayout::SheetLayout(const Exam &exam) : SheetLayout(exam.signature()) {}

std::array<Point, 4> SheetLayout::cornerCenters() const {
  const double w = pageSize.width;
  const double h = pageSize.height;
  return {Point{cornerInset, cornerInset}, Point{w - cornerInset, cornerInset},
          Point{w - cornerInset, h - cornerInset}, Point{cornerInset, h - cornerInset}};
}

Rect SheetLayout::cornerRect(int index) const {
  if (index < 0 || index > 3)
    throw std::out_of_range("corner index must be 0 to 3");
  Point c = cornerCenters()[static_cast<std::size_t>(index)];
  return {c.x - cornerSize / 2, c.y - cornerSize / 2, cornerSize, cornerSize};
}

Rect SheetLayout::cornerFrame() const {
  return {cornerInset, cornerInset, pageSize.width - 2 * cornerInset,
          pageSize.height - 2 * cornerInset};
}

Rect SheetLayout::codeRect() const {
  return {pageSize.width - margin - codeSize, margin, codeSize, codeSize};
}

Rect SheetLayout::versionRect() const {
  Rect code = codeRect();
  return {code.minX(), code.maxY() + 6, codeSize, answerTop - code.maxY() - 18};
}

double SheetLayout::idLeft() const {
  return codeRect().minX() - 16 - (idColumnPitch * signature.idDigits + 12);
}

std::optional<Rect> SheetLayout::idRect() const {
  if (signature.idDigits <= 0)
    return std::nullopt;
  return Rect{idLeft(), idTop, idColumnPitch * signature.idDigits + 12, 176};
}

Rect SheetLayout::idDigitBox(int column) const {
  return {idLeft() + 6 + idColumnPitch * column + 1.5, idTop + 14, 12, 15};
}

Point SheetLayout::idBubbleCenter(int column, int digit) const {
  return {idLeft() + 6 + idColumnPitch * column + 7.5, idTop + 34 + idRowPitch * digit + 6.75};
}

double SheetLayout::headerRight() const {
  if (auto id = idRect())
    return id->minX() - 16;
  return codeRect().minX() - 16;
}

int SheetLayout::page(int position) const {
  return position / questionsPerPage + 1;
}

std::ranges::iota_view<int, int> SheetLayout::positions(int page) const {
  int first = (page - 1) * questionsPerPage;
  int end = std::min(page * questionsPerPage, signature.questionCount);
  return std::views::iota(first, std::max(first, end));
}

double SheetLayout::blockWidth() const {
  return bubblePitch * signature.choiceCount + labelWidth;
}

SheetLayout::Columns SheetLayout::columns(int page) const {
  int m = std::max(static_cast<int>(positions(page).size()), 1);
  int count = std::min(ceilDiv(m, rowsPerColumn), maxColumns);
  int rows = ceilDiv(m, count);
  double b = blockWidth();
  double span = pageSize.width - 2 * margin;
  double pitch = std::max(b + 14, std::min(b + 44, span / count));
  double x0 = margin + (span - (b + (count - 1) * pitch)) / 2;
  return {count, rows, pitch, x0};
}

SheetLayout::Placement SheetLayout::place(int position) const {
  int p = page(position);
  int local = position - (p - 1) * questionsPerPage;
  Columns c = columns(p);
  return {c.count, c.rows, c.pitch, c.x0, local / c.rows, local % c.rows};
}

Rect SheetLayout::numberRect(int position) const {
  Placement p = place(position);
  return {p.x0 + p.column * p.pitch, answerTop + rowHeight * p.row, rowHeight, rowHeight};
}

Point SheetLayout::bubbleCenter(int position, int slot) const {
  Placement p = place(position);
  return {p.x0 + p.column * p.pitch + labelWidth + bubblePitch * (slot + 0.5),
          answerTop + rowHeight * p.row + rowHeight / 2};
}

Rect SheetLayout::rowRect(int position) const {
  Placement p = place(position);
  return {p.x0 + p.column * p.pitch - 3, answerTop + rowHeight * p.row, blockWidth() + 6,
          rowHeight};
}

PixelSize SheetLayout::imageSize(double scale) const {
  Rect frame = cornerFrame();
  // std::lround rounds halves away from zero.
  return {static_cast<int>(std::lround(scale * frame.width)),
          static_cast<int>(std::lround(scale * frame.height))};
}

Point SheetLayout::toImage(Point point, double scale) const {
  return {(point.x - cornerInset) * scale, (point.y - cornerInset) * scale};
}

Rect SheetLayout::toImage(Rect rect, double scale) const {
  return {(rect.x - cornerInset) * scale, (rect.y - cornerInset) * scale, rect.width * scale,
          rect.height * scale};
}

} // namespace ovalon

std::size_t
std::hash<ovalon::SheetLayout>::operator()(const ovalon::SheetLayout &layout) const noexcept {
  const ovalon::LayoutSignature &s = layout.signature;
  std::size_t h = std::hash<int>{}(s.questionCount);
  for (int v : {s.choiceCount, s.idDigits, static_cast<int>(s.paper)})
    h = h * 1'000'003u ^ std::hash<int>{}(v);
  return h;
}
