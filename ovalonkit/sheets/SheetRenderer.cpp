#include "sheets/SheetRenderer.h"

#include "model/Choices.h"
#include "model/Exam.h"
#include "sheets/QRMatrix.h"
#include "sheets/SheetIdentity.h"
#include "sheets/SheetLayout.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ovalon::SheetRenderer {

namespace {

constexpr double left = SheetLayout::margin;

// Text helpers: every line is placed by its measured width.
void drawLeft(Canvas &canvas, const TextLine &line, Point origin) {
  canvas.drawText(line, origin);
}

void drawCentred(Canvas &canvas, const TextLine &line, double centreX, double baseline) {
  canvas.drawText(line, {centreX - line.width() / 2, baseline});
}

void drawRightAligned(Canvas &canvas, const TextLine &line, double rightX, double baseline) {
  canvas.drawText(line, {rightX - line.width(), baseline});
}

void rule(Canvas &canvas, double y, double fromX, double toX) {
  canvas.moveTo({fromX, y});
  canvas.lineTo({toX, y});
  canvas.strokePath();
}

Rect circle(Point centre, double radius) {
  return {centre.x - radius, centre.y - radius, 2 * radius, 2 * radius};
}

// A printed bubble: white inside, gray outline.
void bubble(Canvas &canvas, Rect bounds) {
  canvas.setFillGray(1);
  canvas.fillEllipse(bounds);
  canvas.setStrokeGray(0.3);
  canvas.setLineWidth(0.8);
  canvas.strokeEllipse(bounds);
}

// The digit of each ID column, or nothing for a column left empty. Numeric
// characters are kept in order, padded with leading zeros and cut to the
// grid from the left; a numeric character without a whole value 0…9 (such as
// "½") leaves its column empty.
std::vector<std::optional<int>> idColumns(const std::string &studentID, int idDigits) {
  std::vector<UChar32> numeric;
  for (int32_t i = 0, length = static_cast<int32_t>(studentID.size()); i < length;) {
    UChar32 c;
    U8_NEXT(studentID.data(), i, length, c);
    if (c < 0)
      continue;
    int8_t type = u_charType(c);
    if (type == U_DECIMAL_DIGIT_NUMBER || type == U_LETTER_NUMBER || type == U_OTHER_NUMBER)
      numeric.push_back(c);
  }
  while (static_cast<int>(numeric.size()) < idDigits)
    numeric.insert(numeric.begin(), '0');
  numeric.erase(numeric.begin(), numeric.end() - idDigits);

  std::vector<std::optional<int>> digits;
  for (UChar32 c : numeric) {
    double value = u_getNumericValue(c);
    if (value != U_NO_NUMERIC_VALUE && value >= 0 && value <= 9 && value == static_cast<int>(value))
      digits.push_back(static_cast<int>(value));
    else
      digits.push_back(std::nullopt);
  }
  return digits;
}

void drawHeader(Canvas &canvas, const Exam &exam, const SheetLayout &layout, int page,
                const std::optional<SheetFill> &fill) {
  const double right = layout.headerRight();
  const double avail = right - left;
  const bool isKey = fill && fill->isKey;

  std::string title = exam.title.empty() ? "Test" : exam.title;
  drawLeft(canvas, TextLine{title, Font::helveticaBold(15), 0}.truncated(avail), {left, 72});

  canvas.setStrokeGray(0.35);
  canvas.setLineWidth(0.7);
  auto label = [](std::string text) {
    return TextLine{std::move(text), Font::helveticaBold(9), 0.2};
  };

  TextLine name = label("Name");
  drawLeft(canvas, name, {left, 102});
  rule(canvas, 104, left + name.width() + 5, right);
  if (fill && !fill->name.empty()) {
    Font font = isKey ? Font::helveticaBold(11) : Font::helvetica(11);
    drawLeft(canvas, TextLine{fill->name, font, 0}.truncated(avail - 40), {90, 99});
  }

  TextLine classLabel = label("Class");
  drawLeft(canvas, classLabel, {left, 126});
  const double dateX = left + 0.58 * avail;
  rule(canvas, 128, left + classLabel.width() + 5, dateX - 10);
  TextLine date = label("Date");
  drawLeft(canvas, date, {dateX, 126});
  rule(canvas, 128, dateX + date.width() + 5, right);

  std::string first, second;
  if (isKey) {
    first = "Answer key: fill the right answer for every question.";
    second = "Scan it with the class. Leave the student ID blank.";
  } else if (page == 1) {
    first = "Use a dark pencil or pen. Fill each bubble completely.";
    second = "Erase changes cleanly. One answer per question.";
  } else {
    first = "Page " + std::to_string(page) + ": write your name above.";
    second = "Fill each bubble completely. One answer per question.";
  }
  drawLeft(canvas, TextLine{first, Font::helvetica(8), 0.25}.truncated(avail), {left, 152});
  drawLeft(canvas, TextLine{second, Font::helvetica(8), 0.25}.truncated(avail), {left, 164});

  // How to mark, and three ways not to.
  drawLeft(canvas, TextLine{"Right:", Font::helveticaBold(8), 0.25}, {left, 194});
  canvas.setFillGray(0.1);
  canvas.fillEllipse({86, 185, 12, 12});
  drawLeft(canvas, TextLine{"Wrong:", Font::helveticaBold(8), 0.25}, {116, 194});
  for (double x : {152.0, 171.0, 190.0})
    bubble(canvas, {x, 185, 12, 12});
  canvas.setStrokeGray(0.15);
  canvas.setLineWidth(1.2);
  canvas.moveTo({154.5, 191});
  canvas.lineTo({157, 194});
  canvas.lineTo({162, 187});
  canvas.strokePath();
  canvas.moveTo({173.5, 187.5});
  canvas.lineTo({180.5, 194.5});
  canvas.moveTo({180.5, 187.5});
  canvas.lineTo({173.5, 194.5});
  canvas.strokePath();
  canvas.save();
  canvas.clipToEllipse({190, 185, 12, 12});
  canvas.setFillGray(0.15);
  canvas.fillRect({190, 191, 12, 6});
  canvas.restore();
}

void drawIDGrid(Canvas &canvas, const SheetLayout &layout, const std::optional<SheetFill> &fill) {
  const Rect frame = *layout.idRect();
  const int digits = layout.signature.idDigits;
  canvas.setStrokeGray(0.45);
  canvas.setLineWidth(0.8);
  canvas.strokeRoundedRect(frame, 5);
  drawCentred(canvas, TextLine{"STUDENT ID", Font::helveticaBold(7), 0.2}, frame.midX(),
              frame.minY() + 10);

  std::vector<std::optional<int>> known(static_cast<std::size_t>(digits));
  if (fill && !fill->studentID.empty())
    known = idColumns(fill->studentID, digits);

  for (int j = 0; j < digits; ++j) {
    const std::optional<int> digit = known[static_cast<std::size_t>(j)];
    const Rect box = layout.idDigitBox(j);
    canvas.setStrokeGray(0.55);
    canvas.setLineWidth(0.6);
    canvas.strokeRect(box);
    if (digit)
      drawCentred(canvas, TextLine{std::to_string(*digit), Font::helvetica(10), 0}, box.midX(),
                  box.maxY() - 3.5);
    for (int k = 0; k < 10; ++k) {
      const Point centre = layout.idBubbleCenter(j, k);
      bubble(canvas, circle(centre, SheetLayout::idBubbleRadius));
      drawCentred(canvas, TextLine{std::to_string(k), Font::helvetica(5.8), 0.5}, centre.x,
                  centre.y + 2.088);
    }
    if (digit) {
      canvas.setFillGray(0.05);
      canvas.fillEllipse(circle(layout.idBubbleCenter(j, *digit), SheetLayout::idBubbleRadius));
    }
  }
}

void drawSymbolAndVersion(Canvas &canvas, const Exam &exam, const SheetLayout &layout, int version,
                          int page, bool isKey) {
  const SheetIdentity identity{exam.examCode(), version, page, exam.signature(), isKey};
  if (std::optional<QRMatrix> matrix = QRMatrix::make(identity.payload())) {
    const Rect code = layout.codeRect();
    // A quiet zone of three modules inside the square; each module grows by
    // 0.02 so neighbours leave no hairline gaps.
    const double module = code.width / (matrix->size + 6);
    canvas.setFillGray(0);
    for (int r = 0; r < matrix->size; ++r)
      for (int c = 0; c < matrix->size; ++c)
        if (matrix->dark(r, c))
          canvas.fillRect({code.minX() + (c + 3) * module, code.minY() + (r + 3) * module,
                           module + 0.02, module + 0.02});
  }

  const Rect box = layout.versionRect();
  drawCentred(canvas, TextLine{"VERSION", Font::helveticaBold(7), 0.35}, box.midX(),
              box.minY() + 9);
  drawCentred(canvas, TextLine{Choices::letter(version), Font::helveticaBold(30), 0.1}, box.midX(),
              box.minY() + 42);
  std::string info = exam.pageCount() >= 2 ? "Page " + std::to_string(page) + " of " +
                                                 std::to_string(exam.pageCount())
                                           : "Test " + exam.examCode();
  drawCentred(canvas, TextLine{info, Font::helvetica(7), 0.4}, box.midX(), box.minY() + 58);

  if (isKey) {
    const Rect badge{box.minX() + 4, box.minY() + 66, box.width - 8, 16};
    canvas.setFillGray(0);
    canvas.fillRoundedRect(badge, 3);
    drawCentred(canvas, TextLine{"ANSWER KEY", Font::helveticaBold(8.5), 1}, badge.midX(),
                badge.maxY() - 4.5);
  }
}

void drawAnswers(Canvas &canvas, const SheetLayout &layout, int page) {
  const auto positions = layout.positions(page);
  const int count = static_cast<int>(positions.size());
  const int first = positions.empty() ? 0 : *positions.begin();
  for (int q : positions) {
    const SheetLayout::Placement place = layout.place(q);
    const Rect number = layout.numberRect(q);
    drawRightAligned(canvas, TextLine{std::to_string(q + 1), Font::helveticaBold(8.5), 0.15},
                     number.maxX(), number.midY() + 3);
    for (int s = 0; s < layout.signature.choiceCount; ++s) {
      const Point centre = layout.bubbleCenter(q, s);
      bubble(canvas, circle(centre, SheetLayout::bubbleRadius));
      drawCentred(canvas, TextLine{Choices::letter(s), Font::helvetica(6.5), 0.5}, centre.x,
                  centre.y + 2.34);
    }
    // A light rule under every fifth row helps the eye, except under a column's last row.
    const int rowsInColumn = std::min(place.rows, count - place.column * place.rows);
    const bool lastRow = q - first == place.column * place.rows + rowsInColumn - 1;
    if (place.row % 5 == 4 && !lastRow) {
      const Rect row = layout.rowRect(q);
      canvas.setStrokeGray(0.82);
      canvas.setLineWidth(0.5);
      rule(canvas, row.maxY(), row.minX() + 3, row.maxX() - 3);
    }
  }
}

} // namespace

void draw(const Exam &exam, int version, int page, const std::optional<SheetFill> &fill,
          Canvas &canvas) {
  const SheetLayout layout(exam);
  const double w = layout.pageSize.width;
  const double h = layout.pageSize.height;

  canvas.save();
  canvas.translate(0, h);
  canvas.scale(1, -1);
  canvas.setFillGray(1);
  canvas.fillRect({0, 0, w, h});

  canvas.setFillGray(0);
  for (int i = 0; i < 4; ++i)
    canvas.fillRect(layout.cornerRect(i));

  drawHeader(canvas, exam, layout, page, fill);
  if (layout.signature.idDigits >= 1)
    drawIDGrid(canvas, layout, fill);
  drawSymbolAndVersion(canvas, exam, layout, version, page, fill && fill->isKey);
  drawAnswers(canvas, layout, page);

  drawCentred(canvas,
              TextLine{"Ovalon · Keep the four corner squares clear. Don't fold.",
                       Font::helvetica(7), 0.45},
              w / 2, h - 33);
  canvas.restore();
}

} // namespace ovalon::SheetRenderer
