#include "sheets/SheetPDF.h"

#include "model/Exam.h"
#include "sheets/PdfWriter.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetRenderer.h"

#include <algorithm>

namespace ovalon::SheetPDF {

std::optional<Bytes> make(const Exam &exam, const std::vector<SheetJob> &jobs) {
  std::optional<PdfWriter> writer = PdfWriter::open(SheetLayout(exam).pageSize, exam.title);
  if (!writer)
    return std::nullopt;
  auto printSheet = [&](int version, const std::optional<SheetFill> &fill) {
    for (int page = 1; page <= exam.pageCount(); ++page) {
      SheetRenderer::draw(exam, version, page, fill, writer->beginPage());
      writer->endPage();
    }
  };
  for (const SheetJob &job : jobs) {
    if (job.students.empty())
      for (int copy = 0; copy < std::max(job.copies, 1); ++copy)
        printSheet(job.version, std::nullopt);
    else
      for (const SheetFill &fill : job.students)
        printSheet(job.version, fill);
  }
  return writer->close();
}

} // namespace ovalon::SheetPDF
