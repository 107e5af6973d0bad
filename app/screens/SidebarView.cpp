#include "screens/SidebarView.h"

#include "model/AppModel.h"
#include "screens/TestRow.h"
#include "screens/Ui.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace ovalon {

namespace {

constexpr int idRole = Qt::UserRole;

QString idText(const Uuid &id) {
  return ui::text(id.text());
}

} // namespace

SidebarView::SidebarView(AppModel &model, QWidget *parent)
    : QWidget(parent), model_(model), list_(new QListWidget(this)) {
  setObjectName("sidebar");
  list_->setObjectName("testList");
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  auto *newTest = new QPushButton(ui::symbol("plus.circle"), "New Test", this);
  newTest->setObjectName("newTest");
  newTest->setToolTip("Make a new test (" + ui::shortcutText(QKeySequence(Qt::CTRL | Qt::Key_N)) +
                      ")");
  newTest->setFlat(true);
  connect(newTest, &QPushButton::clicked, &model, [&model] { model.newTest(); });

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 10, 4, 8);
  layout->addWidget(ui::heading("Tests", this));
  layout->addWidget(list_, 1);
  layout->addWidget(newTest, 0, Qt::AlignLeft);

  connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
    if (refreshing_ || !item)
      return;
    if (auto id = Uuid::parse(ui::utf8(item->data(idRole).toString())))
      model_.select(*id);
  });
  connect(list_, &QListWidget::customContextMenuRequested, this, &SidebarView::showMenu);
  connect(&model, &AppModel::changed, this, &SidebarView::refresh);
  refresh();
}

void SidebarView::refresh() {
  refreshing_ = true;
  const auto &documents = model_.documents();
  bool sameTests = list_->count() == static_cast<int>(documents.size());
  for (int row = 0; sameTests && row < list_->count(); ++row)
    sameTests = list_->item(row)->data(idRole).toString() == idText(documents[row].exam.id);
  if (!sameTests) {
    list_->clear();
    for (const ExamDocument &document : documents) {
      auto *item = new QListWidgetItem(list_);
      item->setData(idRole, idText(document.exam.id));
      auto *row = new TestRow(list_);
      row->show(document);
      list_->setItemWidget(item, row);
    }
  } else {
    for (int row = 0; row < list_->count(); ++row)
      if (auto *testRow = qobject_cast<TestRow *>(list_->itemWidget(list_->item(row))))
        testRow->show(documents[row]);
  }
  fitRows();
  QListWidgetItem *current = nullptr;
  if (auto selected = model_.selectedID())
    for (int row = 0; row < list_->count(); ++row)
      if (list_->item(row)->data(idRole).toString() == idText(*selected))
        current = list_->item(row);
  if (list_->currentItem() != current)
    list_->setCurrentItem(current);
  refreshing_ = false;
}

void SidebarView::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  fitRows();
}

void SidebarView::fitRows() {
  int width = list_->viewport()->width();
  for (int row = 0; row < list_->count(); ++row) {
    QListWidgetItem *item = list_->item(row);
    if (QWidget *testRow = list_->itemWidget(item)) {
      QSize size(width, testRow->heightForWidth(width));
      if (size.height() <= 0)
        size.setHeight(testRow->sizeHint().height());
      if (item->sizeHint() != size)
        item->setSizeHint(size);
    }
  }
}

void SidebarView::showMenu(const QPoint &position) {
  QListWidgetItem *item = list_->itemAt(position);
  if (!item)
    return;
  auto id = Uuid::parse(ui::utf8(item->data(idRole).toString()));
  if (!id)
    return;
  QMenu menu(this);
  QAction *duplicate = menu.addAction("Duplicate");
  QAction *remove = menu.addAction("Delete\u2026");
  QAction *chosen = menu.exec(list_->viewport()->mapToGlobal(position));
  if (chosen == duplicate)
    model_.duplicateTest(*id);
  else if (chosen == remove)
    model_.askToDelete(*id);
}

} // namespace ovalon
