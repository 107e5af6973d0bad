#pragma once

#include "model/LayoutSignature.h"
#include "sheets/PixelSize.h"
#include "sheets/Point.h"
#include "sheets/Rect.h"
#include "sheets/Size.h"

#include <array>
#include <cstddef>
#include <optional>
#include <ranges>

namespace ovalon {

struct Exam;

// Where everything sits on a printed answer-sheet page, in PDF points with the
// origin at the top-left and y downward. The renderer draws at these positions
// and every reader looks at the same ones, so a page is read from its
// signature alone, without a stored template.
//
// Positions are printed positions (0-based) on the student's sheet. Positions
// outside the test and pages outside 1…pageCount are not valid inputs.
struct SheetLayout {
  static constexpr double cornerInset = 36;
  static constexpr double cornerSize = 18;
  static constexpr double margin = 54;
  static constexpr double answerTop = 252;
  static constexpr double rowHeight = 19;
  static constexpr int rowsPerColumn = 25;
  static constexpr int maxColumns = 4;
  static constexpr int questionsPerPage = rowsPerColumn * maxColumns;
  static constexpr double labelWidth = 22;
  static constexpr double bubblePitch = 17;
  static constexpr double bubbleRadius = 6;
  static constexpr double codeSize = 80;
  static constexpr double idTop = 58;
  static constexpr double idColumnPitch = 15;
  static constexpr double idRowPitch = 13.5;
  static constexpr double idBubbleRadius = 5.2;

  // How the answer columns of one page are laid out.
  struct Columns {
    int count = 1;
    int rows = 1;
    double pitch = 0;
    double x0 = 0;

    bool operator==(const Columns &) const = default;
  };

  // Where one position lands: its page's columns plus its column and row.
  struct Placement {
    int columnCount = 1;
    int rows = 1;
    double pitch = 0;
    double x0 = 0;
    int column = 0;
    int row = 0;

    bool operator==(const Placement &) const = default;
  };

  LayoutSignature signature;
  Size pageSize;

  SheetLayout() : SheetLayout(LayoutSignature{}) {}
  explicit SheetLayout(const LayoutSignature &signature);
  explicit SheetLayout(const Exam &exam);

  // Top-left, top-right, bottom-right, bottom-left.
  std::array<Point, 4> cornerCenters() const;
  // Throws std::out_of_range for an index outside 0…3.
  Rect cornerRect(int index) const;
  // The rectangle spanned by the corner centres.
  Rect cornerFrame() const;

  Rect codeRect() const;
  Rect versionRect() const;

  // Absent without ID digits.
  std::optional<Rect> idRect() const;
  Rect idDigitBox(int column) const;
  Point idBubbleCenter(int column, int digit) const;

  // Right limit of the name, class and date header.
  double headerRight() const;

  int page(int position) const;
  std::ranges::iota_view<int, int> positions(int page) const;
  Columns columns(int page) const;
  Placement place(int position) const;
  Rect numberRect(int position) const;
  Point bubbleCenter(int position, int slot) const;
  Rect rowRect(int position) const;

  // Pixel size of a straightened page image at `scale` pixels per point.
  PixelSize imageSize(double scale) const;
  // Page points to straightened-image pixels, whose origin is the top-left corner centre.
  Point toImage(Point point, double scale) const;
  Rect toImage(Rect rect, double scale) const;

  bool operator==(const SheetLayout &) const = default;

private:
  double idLeft() const;
  double blockWidth() const;
};

} // namespace ovalon

template <> struct std::hash<ovalon::SheetLayout> {
  std::size_t operator()(const ovalon::SheetLayout &layout) const noexcept;
};
