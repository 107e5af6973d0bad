#include "screens/ScoreList.h"

#include "grading/Scoring.h"
#include "library/ExamDocument.h"
#include "reports/PointsText.h"
#include "screens/Ui.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

ScoreList::ScoreList(QWidget *parent) : QWidget(parent) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ui::heading("Scores", this));
  table_ = new QTreeWidget(this);
  table_->setObjectName("scoreList");
  table_->setHeaderLabels({"#", "Student", "Score", "%"});
  table_->setRootIsDecorated(false);
  table_->setUniformRowHeights(true);
  table_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  table_->header()->setStretchLastSection(false);
  table_->setMinimumHeight(260);
  layout->addWidget(table_);
}

void ScoreList::setDocument(const ExamDocument &doc) {
  table_->clear();
  std::vector<const ScannedSheet *> sheets;
  for (const ScannedSheet &sheet : doc.sheets)
    if (!sheet.excluded)
      sheets.push_back(&sheet);
  std::ranges::sort(sheets, {}, &ScannedSheet::number);
  for (const ScannedSheet *sheet : sheets) {
    SheetScore score = Scoring::score(*sheet, doc.exam);
    auto id = sheet->studentID();
    auto student = id ? doc.roster.student(*id) : std::nullopt;
    QString who = student ? ui::text(student->name())
                  : id    ? "ID " + ui::text(*id)
                          : QString("Unknown");
    auto *item = new QTreeWidgetItem(table_);
    item->setText(0, QString::number(sheet->number));
    item->setText(1, who);
    item->setText(2, ui::text(pointsText(score.earned) + " / " + pointsText(score.possible)));
    item->setText(3, QString::asprintf("%.0f%%", score.percent()));
    for (int column : {0, 2, 3})
      item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }
}

} // namespace ovalon
