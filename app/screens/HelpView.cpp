#include "screens/HelpView.h"

#include "model/AppModel.h"
#include "screens/Ui.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace ovalon {

const std::vector<HelpView::Topic> &HelpView::topics() {
  static const std::vector<Topic> list{
      {"printer", "Printing sheets",
       "Print at 100% on plain paper, or print one and photocopy it. Keep the four black corner "
       "squares and the code on the page. With a roster, each sheet can have the student\u2019s "
       "name printed and ID filled in."},
      {"doc.viewfinder", "Scanning at the copier",
       "Scan the whole stack to one PDF at 200 to 300 dpi, in grayscale if the copier offers it: "
       "black and white can drop light pencil marks. Pages can be in any order and even upside "
       "down. For two-page tests, scan each student\u2019s pages one after the other."},
      {"iphone", "No scanner?",
       "Take a photo of each answer sheet with your phone, copy the photos to this computer and "
       "choose File > Import Photos\u2026. They\u2019re graded the same way."},
      {"key", "Scanning the answer key",
       "Print an answer key sheet on the Print step, bubble the right answers and put it "
       "anywhere in the class\u2019s stack, or use Scan Answer Key\u2026 on the Test step for a "
       "sheet scanned on its own (any sheet of the test works there). Ovalon shows the key it "
       "read for you to check; blank or double-marked answers are flagged, never guessed, and "
       "nothing changes until you choose Use This Key."},
      {"arrow.triangle.2.circlepath", "Rescanning one sheet",
       "A smudged page or a late makeup test? Select the sheet on the Grade step and click "
       "Rescan Sheet\u2026 (or right-click it), then choose a scan of just that student\u2019s "
       "sheet. Only that sheet is replaced: it keeps its place, the rest of the class isn\u2019t "
       "regraded and their review answers stay. The new scan\u2019s answers are reviewed as "
       "usual; a review answer carries over only where the new scan reads the same marks, and a "
       "student you picked stays picked. If the new scan reads another student\u2019s ID, Review "
       "asks you to pick."},
      {"pencil", "Marks",
       "A dark pencil or pen and a full bubble read best. Light marks, two marks on a question, "
       "blanks and check marks all wait for you in Review, with the scanned bubbles beside each "
       "one."},
      {"shuffle", "Versions",
       "Versions B to D print their letter in the code. Save Answer Keys PDF lists each "
       "version\u2019s order, so you can arrange that version\u2019s question paper. Results and "
       "the item report count every version under version A\u2019s numbers."},
      {"graduationcap", "The sample class",
       "Help > Try the Sample Class adds a made-up class of 26 students and grades their scanned "
       "sheets, so you can see Review and Results before you print anything. Delete the sample "
       "test from the sidebar when you\u2019re done with it."},
      {"lock.shield", "Privacy",
       "Scans are read on this computer and kept in Ovalon\u2019s own folder. Nothing is "
       "uploaded and there is no account. Ovalon itself makes no network requests: updates "
       "come through your system\u2019s package manager."},
  };
  return list;
}

HelpView::HelpView(AppModel &model, QWidget *parent) : QDialog(parent) {
  setObjectName("helpView");
  setWindowTitle("Ovalon Help");
  resize(680, 720);

  auto *content = new QWidget;
  auto *grid = new QGridLayout(content);
  grid->setHorizontalSpacing(14);
  grid->setVerticalSpacing(16);
  grid->setColumnStretch(1, 1);
  int row = 0;
  for (const Topic &topic : topics()) {
    auto *icon = new QLabel(content);
    icon->setPixmap(ui::pixmap(ui::symbol(topic.symbol), 28, this));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto *text = new QVBoxLayout;
    text->setSpacing(4);
    text->addWidget(ui::heading(topic.title, content));
    auto *paragraph = new QLabel(topic.text, content);
    paragraph->setWordWrap(true);
    paragraph->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->addWidget(paragraph);
    grid->addWidget(icon, row, 0);
    grid->addLayout(text, row, 1);
    ++row;
  }
  grid->setRowStretch(row, 1);

  auto *scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content);

  auto *buttons = new QDialogButtonBox(this);
  QPushButton *done = buttons->addButton("Done", QDialogButtonBox::AcceptRole);
  done->setObjectName("helpDone");
  done->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(scroll);
  layout->addWidget(buttons);

  connect(this, &QDialog::finished, &model, [&model] { model.setShowHelp(false); });
}

} // namespace ovalon
