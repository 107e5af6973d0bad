#include "screens/SidebarView.h"

#include "model/AppModel.h"
#include "screens/Shortcuts.h"
#include "screens/TestListModel.h"
#include "screens/TestRowDelegate.h"
#include "screens/Ui.h"

#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QVBoxLayout>

namespace ovalon {

SidebarView::SidebarView(AppModel &model, QWidget *parent)
    : QWidget(parent), model_(model), tests_(new TestListModel(model, this)),
      sorted_(new QSortFilterProxyModel(this)), list_(new QListView(this)),
      unreadableHeading_(ui::heading("Can\u2019t Be Opened", this)),
      unreadable_(new QListWidget(this)) {
  setObjectName("sidebar");
  sorted_->setSourceModel(tests_);
  sorted_->setSortRole(TestListModel::modifiedRole);
  sorted_->setDynamicSortFilter(true);
  sorted_->sort(0, Qt::DescendingOrder);

  list_->setObjectName("testList");
  list_->setAccessibleName("Tests");
  list_->setModel(sorted_);
  list_->setItemDelegate(new TestRowDelegate(list_));
  // Rows wrap at the list's width, so they are laid out again when it changes.
  list_->setResizeMode(QListView::Adjust);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);

  unreadable_->setObjectName("unreadableList");
  unreadable_->setAccessibleName("Files that can\u2019t be opened");
  unreadable_->setSelectionMode(QAbstractItemView::NoSelection);
  unreadable_->setFocusPolicy(Qt::NoFocus);
  unreadable_->setWordWrap(true);
  unreadable_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  unreadableHeading_->setBuddy(unreadable_);

  auto *newTest = new QPushButton(ui::symbol("plus.circle"), "New Test", this);
  newTest->setObjectName("newTest");
  newTest->setToolTip(shortcuts::hint("Make a new test", shortcuts::newTest()));
  newTest->setFlat(true);
  connect(newTest, &QPushButton::clicked, this, &SidebarView::newTestRequested);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 10, 4, 8);
  QLabel *heading = ui::heading("Tests", this);
  heading->setBuddy(list_);
  layout->addWidget(heading);
  layout->addWidget(list_, 1);
  layout->addWidget(unreadableHeading_);
  layout->addWidget(unreadable_);
  layout->addWidget(newTest, 0, Qt::AlignLeft);

  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex &current) { currentMoved(current); });
  connect(list_, &QWidget::customContextMenuRequested, this, &SidebarView::showMenu);
  // Any test's title, counts or last edit shows here, not only the selected one's.
  for (auto signal : {&AppModel::libraryChanged, &AppModel::selectionChanged})
    connect(&model, signal, this, &SidebarView::refresh);
  connect(&model, &AppModel::documentChanged, this, &SidebarView::refresh);
  connect(&model, &AppModel::libraryChanged, this, &SidebarView::refreshUnreadable);
  refresh();
  refreshUnreadable();
}

void SidebarView::refreshUnreadable() {
  unreadable_->clear();
  for (const ExamLibrary::Unreadable &file : model_.unreadableDocuments()) {
    QString name = ui::text(file.path.filename().string()), reason = ui::text(file.reason);
    auto *item = new QListWidgetItem(name + "\n" + reason, unreadable_);
    item->setIcon(ui::symbol("exclamationmark.triangle"));
    item->setToolTip(reason);
    item->setData(Qt::AccessibleTextRole, name + " can\u2019t be opened: " + reason);
    // Shown, never opened: there is no test to show.
    item->setFlags(Qt::ItemIsEnabled);
  }
  bool any = unreadable_->count() > 0;
  unreadableHeading_->setVisible(any);
  unreadable_->setVisible(any);
}

void SidebarView::refresh() {
  refreshing_ = true;
  tests_->refresh();
  QModelIndex shown;
  if (auto selected = model_.selectedID())
    shown = sorted_->mapFromSource(tests_->indexOf(*selected));
  if (shown.isValid()) {
    if (list_->currentIndex() != shown || !list_->selectionModel()->isSelected(shown))
      list_->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect);
    list_->scrollTo(shown);
  } else {
    list_->selectionModel()->clear();
  }
  refreshing_ = false;
}

void SidebarView::currentMoved(const QModelIndex &current) {
  if (refreshing_ || !current.isValid())
    return;
  if (auto id = Uuid::parse(ui::utf8(current.data(TestListModel::idRole).toString())))
    model_.select(*id);
}

void SidebarView::showMenu(const QPoint &position) {
  QModelIndex row = list_->indexAt(position);
  auto id = Uuid::parse(ui::utf8(row.data(TestListModel::idRole).toString()));
  if (!id)
    return;
  QMenu menu(this);
  QAction *duplicate = menu.addAction(ui::symbol("doc.on.doc"), "Duplicate");
  QAction *remove = menu.addAction(ui::symbol("trash"), "Delete\u2026");
  QAction *chosen = menu.exec(list_->viewport()->mapToGlobal(position));
  if (chosen == duplicate)
    model_.duplicateTest(*id);
  else if (chosen == remove)
    model_.askToDelete(*id);
}

} // namespace ovalon
