#include "screens/SheetStudent.h"

#include "library/ExamDocument.h"
#include "screens/Ui.h"

namespace ovalon {

SheetStudent SheetStudent::of(const ExamDocument &document, const ScannedSheet &sheet) {
  auto id = sheet.studentID();
  if (id)
    if (auto student = document.roster.student(*id)) {
      QString name = ui::text(student->name());
      return {name, false, name};
    }
  QString status = id ? QString("Not on roster") : QString("Unknown");
  std::string shown = id.value_or(sheet.readID);
  bool readable = !shown.empty() && shown.find('?') == std::string::npos;
  QString why = !readable ? QString("The student ID couldn\u2019t be read")
                : document.roster.student(shown)
                    ? "ID " + ui::text(shown) + " waits for a look in Review"
                    : "ID " + ui::text(shown) + " isn\u2019t on the roster";
  if (!sheet.name || sheet.name->text.empty())
    return {status, false, why + "."};
  QString read = ui::text(sheet.name->text);
  return {"\u201c" + read + "\u201d (read from the sheet)", true,
          why + ". The name line reads \u201c" + read + "\u201d."};
}

} // namespace ovalon
