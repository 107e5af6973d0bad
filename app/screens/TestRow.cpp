#include "screens/TestRow.h"

#include "library/ExamDocument.h"
#include "screens/Ui.h"
#include "workflow/Exports.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ovalon {

TestRow::TestRow(QWidget *parent)
    : QWidget(parent), title_(new QLabel(this)), counts_(ui::note({}, this)) {
  title_->setWordWrap(true);
  counts_->setTextInteractionFlags(Qt::NoTextInteraction);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 5, 8, 5);
  layout->setSpacing(1);
  layout->addWidget(title_);
  layout->addWidget(counts_);
}

void TestRow::show(const ExamDocument &document) {
  QString title = ui::text(document.exam.title);
  if (title_->text() != title)
    title_->setText(title);
  QString counts = countsText(document);
  if (counts_->text() != counts)
    counts_->setText(counts);
}

QString TestRow::countsText(const ExamDocument &document) {
  QStringList parts{QString("%1 questions").arg(document.exam.questionCount)};
  if (document.exam.versions.size() > 1)
    parts << QString("%1 versions").arg(document.exam.versions.size());
  if (!document.sheets.empty())
    parts << QString("%1 graded").arg(document.sheets.size());
  if (int open = Exports::openItemCount(document); open > 0)
    parts << QString("%1 to review").arg(open);
  return parts.join(" \u00b7 ");
}

} // namespace ovalon
