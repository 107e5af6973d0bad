#include "screens/EmptyLibraryView.h"

#include "model/AppModel.h"
#include "screens/Ui.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ovalon {

EmptyLibraryView::EmptyLibraryView(AppModel &model, QWidget *parent) : QWidget(parent) {
  auto *icon = new QLabel(this);
  icon->setPixmap(ui::pixmap(ui::symbol("checklist"), 64, this));
  icon->setAlignment(Qt::AlignCenter);

  QLabel *title = ui::heading("No Tests Yet", this);
  QFont font = title->font();
  font.setPointSizeF(font.pointSizeF() * 1.4);
  title->setFont(font);
  title->setAlignment(Qt::AlignCenter);

  auto *text = new QLabel("Make a test, print its answer sheets, then grade the whole class\u2019s "
                          "scan at once. Nothing leaves this computer.",
                          this);
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignCenter);
  text->setFixedWidth(460);
  text->setMinimumHeight(text->heightForWidth(460));

  auto *newTest = new QPushButton(ui::symbol("plus.circle"), "New Test", this);
  newTest->setObjectName("emptyNewTest");
  newTest->setDefault(true);
  auto *sample = new QPushButton(ui::symbol("graduationcap"), "Try the Sample Class", this);
  sample->setObjectName("trySampleClass");
  connect(newTest, &QPushButton::clicked, this, &EmptyLibraryView::newTestRequested);
  connect(sample, &QPushButton::clicked, &model, [&model] { model.trySampleClass(); });

  QLabel *sampleNote =
      ui::note("Grade a made-up class\u2019s scanned sheets, with no printing or scanning", this);
  sampleNote->setAlignment(Qt::AlignCenter);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(newTest);
  buttons->addWidget(sample);
  buttons->addStretch();

  auto *layout = new QVBoxLayout(this);
  layout->addStretch();
  layout->addWidget(icon);
  layout->addSpacing(8);
  layout->addWidget(title);
  layout->addWidget(text, 0, Qt::AlignHCenter);
  layout->addSpacing(12);
  layout->addLayout(buttons);
  layout->addWidget(sampleNote);
  layout->addStretch();
}

} // namespace ovalon
