#include "support/ClassScans.h"

#include "sheets/SheetLayout.h"
#include "support/ScannedPdf.h"
#include "support/TestSheetPage.h"

namespace ovalon::testing {

ExamDocument smallClass() {
  ExamDocument doc = ExamDocument::make(testExam(20, 4, 4, Paper::letter));
  for (int q = 0; q < 20; ++q)
    doc.exam.setKey(q, {q % 4}, 1, false);
  for (int n = 1; n <= 12; ++n)
    doc.roster.students.push_back(
        {std::to_string(1000 + n), "Student", std::string(1, static_cast<char>('A' + n - 1))});
  return doc;
}

void writeClassScan(const std::filesystem::path &path, const Exam &exam,
                    const std::vector<int> &students) {
  const SheetLayout layout(exam);
  std::vector<GrayImage> pages;
  for (int n : students) {
    std::vector<PencilMark> marks;
    for (int p = 0; p < exam.questionCount; ++p)
      if (p != n - 1)
        marks.push_back(answerMark(layout, p, p % 4));
    std::string id = std::to_string(1000 + n);
    for (int column = 0; column < 4; ++column)
      marks.push_back(idMark(layout, column, id[static_cast<size_t>(column)] - '0'));
    pages.push_back(renderSheetPage(exam, 1, 150, marks));
  }
  writeBytes(path, scannedPdf(pages, {612, 792}, ScanDepth::gray));
}

std::set<std::string> pictureFolder(const std::filesystem::path &library, const Uuid &examID) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto &entry :
       std::filesystem::directory_iterator(library / "Images" / examID.text(), error))
    names.insert(entry.path().filename().string());
  return names;
}

std::set<std::string> picturesOf(const ExamDocument &document) {
  std::set<std::string> names;
  for (const ScannedSheet &sheet : document.sheets) {
    for (const Uuid &page : sheet.pageImages)
      names.insert(page.text() + ".jpg");
    for (const std::optional<Uuid> &crop : {sheet.idImage, sheet.nameImage})
      if (crop)
        names.insert(crop->text() + ".png");
  }
  for (const ScanIssue &issue : document.issues)
    if (issue.image)
      names.insert(issue.image->text() + ".jpg");
  return names;
}

} // namespace ovalon::testing
