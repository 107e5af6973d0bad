#include "screens/StudentLabel.h"

#include "library/ExamDocument.h"
#include "model/SheetStudent.h"
#include "screens/Ui.h"

namespace ovalon {

StudentLabel StudentLabel::of(const ExamDocument &document, const ScannedSheet &sheet) {
  SheetStudent who = SheetStudent::of(sheet, document.roster);
  if (who.student) {
    QString name = ui::text(who.student->name());
    return {name, false, name};
  }
  bool counted = sheet.studentID().has_value();
  QString status = counted ? QString("Not on roster") : QString("Unknown");
  bool readable = !who.id.empty() && who.id.find('?') == std::string::npos;
  QString why = !readable ? QString("The student ID couldn\u2019t be read")
                : document.roster.student(who.id)
                    ? "ID " + ui::text(who.id) + " waits for a look in Review"
                    : "ID " + ui::text(who.id) + " isn\u2019t on the roster";
  if (!who.nameOnSheet)
    return {status, false, why + "."};
  QString read = ui::text(*who.nameOnSheet);
  QString story = why + ". The name line reads \u201c" + read + "\u201d.";
  if (!who.suggestions.empty()) {
    QStringList names;
    for (const NameMatch &match : who.suggestions)
      names << ui::text(match.student.name());
    story += " It looks like " + names.join(", ") + ".";
  }
  return {"\u201c" + read + "\u201d (read from the sheet)", true, story};
}

} // namespace ovalon
