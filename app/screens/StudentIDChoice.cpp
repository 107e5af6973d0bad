#include "screens/StudentIDChoice.h"

#include "library/ExamDocument.h"
#include "scanning/NameMatcher.h"
#include "screens/FlagDetail.h"
#include "screens/ToneLabel.h"
#include "screens/Ui.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

namespace {

// Whether another sheet that counts already goes to this student.
bool hasSheet(const ExamDocument &doc, const Uuid &except, const Student &student) {
  std::string key = Student::idKey(student.id);
  return std::ranges::any_of(doc.sheets, [&](const ScannedSheet &sheet) {
    auto id = sheet.studentID();
    return sheet.id != except && !sheet.excluded && id && Student::idKey(*id) == key;
  });
}

} // namespace

StudentIDChoice::StudentIDChoice(const ExamDocument &document, const ScannedSheet &sheet,
                                 const Pictures &pictures, QWidget *parent)
    : QWidget(parent) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  QString read = sheet.readID.empty() ? QString("nothing") : ui::text(sheet.readID);
  layout->addWidget(
      storedPicture(pictures.id, "Scanned student ID bubbles, read as " + read, 360, this));
  addNameOnSheet(document, sheet, pictures.name);

  auto *keep = new QPushButton(sheet.readID.empty() ? QString("Grade it under the ID as read")
                                                    : "Keep ID " + ui::text(sheet.readID),
                               this);
  keep->setObjectName("keepID");
  keep->setToolTip("Grade it under the ID as read");
  connect(keep, &QPushButton::clicked, this, [this] { emit decided(Resolution::accept()); });
  layout->addSpacing(8);
  layout->addWidget(keep, 0, Qt::AlignLeft);
  addTypedID();
  if (!document.roster.students.empty())
    addRoster(document, sheet);
}

// The name comes first: it is what the teacher recognises, and the suggestions are the
// quickest way to the right student.
void StudentIDChoice::addNameOnSheet(const ExamDocument &document, const ScannedSheet &sheet,
                                     const std::optional<Bytes> &picture) {
  auto *layout = static_cast<QVBoxLayout *>(this->layout());
  layout->addSpacing(8);
  layout->addWidget(ui::heading("Name on the Sheet", this));
  if (sheet.name && !sheet.name->text.empty()) {
    QString name = ui::text(sheet.name->text);
    layout->addWidget(storedPicture(picture, "Scanned name line, read as " + name, 480, this));
    auto *read = new QLabel("\u201c" + name + "\u201d (read from the sheet)", this);
    read->setObjectName("readName");
    QFont italic = read->font();
    italic.setItalic(true);
    read->setFont(italic);
    layout->addWidget(read);
  } else {
    layout->addWidget(ui::note("The name couldn\u2019t be read.", this));
  }
  auto matches = NameMatcher::match(sheet.name, document.roster.students, 3);
  if (!matches.empty()) {
    auto *grid = new QGridLayout;
    int row = 0;
    for (const NameMatch &match : matches) {
      bool likely = match.strength == NameMatch::Strength::likely;
      grid->addWidget(new ToneLabel(likely ? ui::Tone::right : ui::Tone::quiet,
                                    likely ? "Likely" : "Possible", this),
                      row, 0);
      auto *pick =
          new QPushButton(ui::text(match.student.name() + ", ID " + match.student.id), this);
      pick->setObjectName("suggestion" + QString::number(row));
      std::string id = match.student.id;
      connect(pick, &QPushButton::clicked, this,
              [this, id] { emit decided(Resolution::student(id)); });
      grid->addWidget(pick, row, 1, Qt::AlignLeft);
      ++row;
    }
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
  }
  layout->addWidget(ui::note("Suggestions from the name line, read on this computer. Check the "
                             "name before you pick: nothing is assigned until you do.",
                             this));
}

void StudentIDChoice::addTypedID() {
  auto *typedID = new QLineEdit(this);
  typedID->setObjectName("typedID");
  typedID->setAccessibleName("Student ID");
  typedID->setPlaceholderText("Student ID");
  auto *useTyped = new QPushButton("Use This ID", this);
  useTyped->setObjectName("useTypedID");
  useTyped->setEnabled(false);
  connect(typedID, &QLineEdit::textChanged, useTyped,
          [useTyped](const QString &text) { useTyped->setEnabled(!text.trimmed().isEmpty()); });
  auto useTypedID = [this, typedID] {
    QString id = typedID->text().trimmed();
    if (!id.isEmpty())
      emit decided(Resolution::student(ui::utf8(id)));
  };
  connect(useTyped, &QPushButton::clicked, this, useTypedID);
  connect(typedID, &QLineEdit::returnPressed, this, useTypedID);
  auto *typed = new QHBoxLayout;
  typed->addWidget(typedID);
  typed->addWidget(useTyped);
  typed->addStretch();
  static_cast<QVBoxLayout *>(layout())->addLayout(typed);
}

void StudentIDChoice::addRoster(const ExamDocument &document, const ScannedSheet &sheet) {
  auto *layout = static_cast<QVBoxLayout *>(this->layout());
  auto *search = new QLineEdit(this);
  search->setObjectName("rosterSearch");
  search->setAccessibleName("Search the roster");
  search->setClearButtonEnabled(true);
  auto *label = new QLabel("&Search the roster", this);
  label->setBuddy(search);
  layout->addWidget(label);
  layout->addWidget(search);

  auto *students = new QStandardItemModel(this);
  for (const Student &student : document.roster.sorted()) {
    auto *name = new QStandardItem(ui::text(student.name() + ", ID " + student.id));
    name->setData(ui::text(student.id), Qt::UserRole);
    auto *taken = new QStandardItem(hasSheet(document, sheet.id, student) ? "has a sheet" : "");
    taken->setForeground(ui::secondaryText(palette()));
    students->appendRow({name, taken});
  }
  found_ = new QSortFilterProxyModel(this);
  found_->setSourceModel(students);
  found_->setFilterCaseSensitivity(Qt::CaseInsensitive);
  found_->setFilterKeyColumn(0);
  auto *roster = new QTreeView(this);
  roster->setObjectName("rosterList");
  roster->setAccessibleName("Roster");
  roster->setModel(found_);
  roster->setHeaderHidden(true);
  roster->setRootIsDecorated(false);
  roster->setUniformRowHeights(true);
  roster->setEditTriggers(QAbstractItemView::NoEditTriggers);
  roster->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  roster->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  roster->header()->setStretchLastSection(false);
  roster->setMinimumHeight(120);
  layout->addWidget(roster);
  connect(search, &QLineEdit::textChanged, found_,
          [this](const QString &text) { found_->setFilterFixedString(text.trimmed()); });
  auto pick = [this](const QModelIndex &index) {
    QString id = index.siblingAtColumn(0).data(Qt::UserRole).toString();
    if (!id.isEmpty())
      emit decided(Resolution::student(ui::utf8(id)));
  };
  connect(roster, &QTreeView::clicked, this, pick);
  connect(roster, &QTreeView::activated, this, pick);
}

} // namespace ovalon
