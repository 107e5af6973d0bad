#include "support/TestSheetPage.h"

#include "sheets/BitmapCanvas.h"
#include "sheets/SheetRenderer.h"

namespace ovalon::testing {

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
  for (const PencilMark &mark : marks) {
    canvas.setFillGray(mark.gray);
    canvas.fillEllipse(
        {mark.centre.x - mark.width / 2, mark.centre.y - mark.height / 2, mark.width, mark.height});
  }
  GrayBitmap pixels = bitmap.bitmap();
  return GrayImage(pixels.width, pixels.height, std::move(pixels.pixels));
}

PencilMark answerMark(const SheetLayout &layout, int position, int slot, double gray) {
  return {layout.bubbleCenter(position, slot), 11, 9, gray};
}

PencilMark idMark(const SheetLayout &layout, int column, int digit, double gray) {
  return {layout.idBubbleCenter(column, digit), 9.5, 8, gray};
}

} // namespace ovalon::testing
