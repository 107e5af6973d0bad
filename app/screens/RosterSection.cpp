#include "screens/RosterSection.h"

#include "model/AppModel.h"
#include "screens/RosterTableModel.h"
#include "screens/Shortcuts.h"
#include "screens/Ui.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace ovalon {

namespace {

// Enough rows to see how the names were split, without pushing the key off the screen.
constexpr int visibleStudents = 8;

} // namespace

RosterSection::RosterSection(AppModel &model, QWidget *parent)
    : QGroupBox("Roster", parent), model_(model), students_(new RosterTableModel(this)),
      sorted_(new QSortFilterProxyModel(this)), table_(new QTableView(this)) {
  auto *import = new QPushButton(ui::symbol("person.list"), "Import Roster CSV\u2026", this);
  import->setObjectName("importRoster");
  import->setToolTip(shortcuts::hint("Import a class list", shortcuts::importRoster()));
  connect(import, &QPushButton::clicked, this, [this] { model_.importRoster(); });
  count_ = new QLabel(this);
  count_->setObjectName("rosterCount");
  clear_ = new QPushButton("Clear", this);
  clear_->setObjectName("clearRoster");
  clear_->setAccessibleName("Clear the roster");
  connect(clear_, &QPushButton::clicked, this, &RosterSection::clear);

  sorted_->setSourceModel(students_);
  sorted_->setSortRole(Qt::UserRole);
  sorted_->setSortLocaleAware(true);
  table_->setObjectName("rosterTable");
  table_->setAccessibleName("Students on the roster");
  table_->setModel(sorted_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(RosterTableModel::lastName, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(RosterTableModel::firstName,
                                                   QHeaderView::Stretch);
  int rowHeight = table_->verticalHeader()->defaultSectionSize();
  table_->setMaximumHeight(rowHeight * visibleStudents +
                           table_->horizontalHeader()->sizeHint().height() +
                           table_->frameWidth() * 2);

  auto *row = new QHBoxLayout;
  row->addWidget(import);
  row->addSpacing(8);
  row->addWidget(count_);
  row->addWidget(clear_);
  row->addStretch();
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(
      ui::note("Import a class list (a CSV with student IDs and names) to put names "
               "on scores, catch wrong IDs, and print sheets with each student\u2019s "
               "name and ID already filled in.",
               this));
  layout->addWidget(table_);
}

void RosterSection::show(const ExamDocument &document) {
  int students = static_cast<int>(document.roster.students.size());
  QString count = students > 0 ? QString("%1 student%2").arg(students).arg(students == 1 ? "" : "s")
                               : QString();
  if (count_->text() != count)
    count_->setText(count);
  clear_->setVisible(students > 0);
  table_->setVisible(students > 0);
  students_->setRoster(document.roster);
}

void RosterSection::clear() {
  // The model asks first, and takes the flags the old list raised with it.
  model_.clearRoster();
}

} // namespace ovalon
