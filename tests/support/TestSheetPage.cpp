#include "support/TestSheetPage.h"

#include "sheets/BitmapCanvas.h"
#include "sheets/QRMatrix.h"

namespace ovalon::testing {

namespace {

Rect around(Point centre, double width, double height) {
  return {centre.x - width / 2, centre.y - height / 2, width, height};
}

} // namespace

PencilMark answerMark(const SheetLayout &layout, int position, int slot, double gray) {
  return {layout.bubbleCenter(position, slot), 11, 9, gray};
}

PencilMark idMark(const SheetLayout &layout, int column, int digit, double gray) {
  return {layout.idBubbleCenter(column, digit), 9.5, 8, gray};
}

GrayImage drawSheetPage(const SheetLayout &layout, int page, double dpi,
                        const std::vector<PencilMark> &marks, const std::string &symbolText) {
  BitmapCanvas bitmap(layout.pageSize, dpi / 72.0);
  Canvas &canvas = bitmap.canvas();
  canvas.translate(0, layout.pageSize.height);
  canvas.scale(1, -1);

  canvas.setFillGray(0);
  for (int i = 0; i < 4; ++i)
    canvas.fillRect(layout.cornerRect(i));

  if (const auto symbol = QRMatrix::make(symbolText)) {
    const Rect code = layout.codeRect();
    const double module = code.width / symbol->size;
    for (int row = 0; row < symbol->size; ++row)
      for (int column = 0; column < symbol->size; ++column)
        if (symbol->dark(row, column))
          canvas.fillRect({code.x + column * module, code.y + row * module, module, module});
  }

  canvas.setStrokeGray(0.35);
  canvas.setLineWidth(0.8);
  for (int position : layout.positions(page))
    for (int slot = 0; slot < layout.signature.choiceCount; ++slot)
      canvas.strokeEllipse(around(layout.bubbleCenter(position, slot),
                                  2 * SheetLayout::bubbleRadius, 2 * SheetLayout::bubbleRadius));
  if (page == 1)
    for (int column = 0; column < layout.signature.idDigits; ++column)
      for (int digit = 0; digit < 10; ++digit)
        canvas.strokeEllipse(around(layout.idBubbleCenter(column, digit),
                                    2 * SheetLayout::idBubbleRadius,
                                    2 * SheetLayout::idBubbleRadius));

  for (const auto &mark : marks) {
    canvas.setFillGray(mark.gray);
    canvas.fillEllipse(around(mark.centre, mark.width, mark.height));
  }

  GrayBitmap pixels = bitmap.bitmap();
  return GrayImage(pixels.width, pixels.height, std::move(pixels.pixels));
}

} // namespace ovalon::testing
