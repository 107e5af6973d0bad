#include "screens/ItemList.h"

#include "grading/ItemAnalysis.h"
#include "model/Choices.h"
#include "screens/Ui.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace ovalon {

ItemList::ItemList(QWidget *parent) : QWidget(parent) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ui::heading("Item analysis", this));
  layout->addWidget(ui::note("Numbered as on version A", this));
  layout->addWidget(ui::note("See which questions were hard, which ones split strong and weak "
                             "students, and which wrong answers drew the class, merged across "
                             "every version.",
                             this));
  table_ = new QTreeWidget(this);
  table_->setObjectName("itemList");
  table_->setHeaderLabels({"#", "Key", "Right", "Discrim.", "Answers chosen", "Notes"});
  table_->setRootIsDecorated(false);
  table_->setUniformRowHeights(true);
  table_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->header()->setSectionResizeMode(5, QHeaderView::Stretch);
  table_->header()->setStretchLastSection(false);
  table_->setMinimumHeight(300);
  layout->addWidget(table_);
}

void ItemList::setAnalysis(const ItemAnalysis &analysis, int choiceCount) {
  table_->clear();
  for (const ItemStats &item : analysis.items) {
    auto *row = new QTreeWidgetItem(table_);
    row->setText(0, QString::number(item.question + 1));
    row->setText(1, item.dropped       ? QString("dropped")
                    : item.key.empty() ? QString("\u2014")
                                       : ui::text(Choices::text(item.key)));
    row->setText(2, QString::asprintf("%.0f%%", item.p * 100));
    row->setText(3, QString::asprintf("%.2f", item.discrimination));
    QStringList chosen;
    for (int choice = 0; choice < choiceCount; ++choice) {
      int count = choice < static_cast<int>(item.choiceCounts.size())
                      ? item.choiceCounts[static_cast<size_t>(choice)]
                      : 0;
      chosen << ui::text(Choices::letter(choice)) + " " + QString::number(count);
    }
    if (item.blankCount > 0)
      chosen << "blank " + QString::number(item.blankCount);
    row->setText(4, chosen.join("  "));
    QStringList notes;
    for (const ItemNote &note : item.notes)
      notes << ui::text(note.text());
    row->setText(5, notes.join("; "));
    for (int column : {0, 2, 3})
      row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }
}

} // namespace ovalon
