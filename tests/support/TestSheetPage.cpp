#include "support/TestSheetPage.h"

#include "sheets/BitmapCanvas.h"
#include "sheets/SheetRenderer.h"

namespace ovalon::testing {

namespace {

Rect around(Point centre, double width, double height) {
  return {centre.x - width / 2, centre.y - height / 2, width, height};
}

void drawMarks(Canvas &canvas, const std::vector<PencilMark> &marks) {
  for (const auto &mark : marks) {
    canvas.setFillGray(mark.gray);
    canvas.fillEllipse(around(mark.centre, mark.width, mark.height));
  }
}

GrayImage imageOf(const BitmapCanvas &bitmap) {
  GrayBitmap pixels = bitmap.bitmap();
  return GrayImage(pixels.width, pixels.height, std::move(pixels.pixels));
}

} // namespace

Exam testExam(int questions, int choices, int idDigits, Paper paper) {
  return Exam::make(*Uuid::parse("3F2504E0-4F89-41D3-9A0C-0305E82C3301"), "Unit test", Date{},
                    questions, choices, idDigits, paper, 7);
}

GrayImage renderSheetPage(const Exam &exam, int page, double dpi,
                          const std::vector<PencilMark> &marks, int version,
                          const std::optional<SheetFill> &fill) {
  const SheetLayout layout(exam);
  BitmapCanvas bitmap(layout.pageSize, dpi / 72.0);
  Canvas &canvas = bitmap.canvas();
  SheetRenderer::draw(exam, version, page, fill, canvas);
  canvas.translate(0, layout.pageSize.height);
  canvas.scale(1, -1);
  drawMarks(canvas, marks);
  return imageOf(bitmap);
}

PencilMark answerMark(const SheetLayout &layout, int position, int slot, double gray) {
  return {layout.bubbleCenter(position, slot), 11, 9, gray};
}

PencilMark idMark(const SheetLayout &layout, int column, int digit, double gray) {
  return {layout.idBubbleCenter(column, digit), 9.5, 8, gray};
}

} // namespace ovalon::testing
