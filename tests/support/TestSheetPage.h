#pragma once

#include "model/Exam.h"
#include "scanning/GrayImage.h"
#include "sheets/Point.h"
#include "sheets/SheetFill.h"
#include "sheets/SheetLayout.h"

#include <optional>
#include <string>
#include <vector>

namespace ovalon::testing {

// A pencil mark: a filled ellipse in page points.
struct PencilMark {
  Point centre;
  double width = 11;
  double height = 9;
  double gray = 0.2; // 0 black … 1 white
};

PencilMark answerMark(const SheetLayout &layout, int position, int slot, double gray = 0.2);
PencilMark idMark(const SheetLayout &layout, int column, int digit, double gray = 0.2);

// A test with the given shape and a fixed identifier, so its pages are reproducible.
Exam testExam(int questions, int choices, int idDigits, Paper paper);

// Page `page` of version `version` of the exam's answer sheet as the sheet
// renderer draws it, rasterised at `dpi`, with the pencil marks on top.
GrayImage renderSheetPage(const Exam &exam, int page, double dpi,
                          const std::vector<PencilMark> &marks = {}, int version = 0,
                          const std::optional<SheetFill> &fill = std::nullopt);

} // namespace ovalon::testing
