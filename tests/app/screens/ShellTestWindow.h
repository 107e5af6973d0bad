#pragma once

#include "AppTestScans.h"
#include "ScriptedPanels.h"
#include "model/AppModel.h"
#include "screens/MainWindow.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace ovalon::testing {

// The real window over a model on a temporary library, with scripted choosers.
struct ShellTestWindow {
  TempDir dir;
  ScriptedPanels panels;
  std::unique_ptr<AppModel> model;
  std::unique_ptr<MainWindow> window;

  // Each window starts from nothing remembered, unless `remembered`.
  explicit ShellTestWindow(const std::function<void(const std::filesystem::path &)> &prepare = {},
                           bool remembered = false) {
    if (!remembered)
      QSettings().clear();
    if (prepare)
      prepare(dir / "Library");
    model = std::make_unique<AppModel>(ExamLibrary{dir / "Library"});
    window = std::make_unique<MainWindow>(*model);
    model->setPanels(&panels);
    window->show();
    QApplication::setActiveWindow(window.get());
    (void)QTest::qWaitForWindowExposed(window.get());
  }
  ~ShellTestWindow() {
    if (model->isBusy()) {
      model->cancelGrading();
      waitUntilIdle(*model);
    }
    window.reset();
    model->waitForBackgroundWrites();
  }

  template <typename T> T *find(const QString &name) const { return window->findChild<T *>(name); }
  // The visible message box with this object name, after the event loop has shown it.
  QMessageBox *box(const QString &name) const {
    QApplication::processEvents();
    for (QMessageBox *box : window->findChildren<QMessageBox *>(name))
      if (box->isVisible())
        return box;
    return nullptr;
  }
  void click(const QString &name) const {
    auto *button = window->findChild<QAbstractButton *>(name);
    ASSERT_NE(button, nullptr) << name.toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
  }
  void press(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) const {
    QTest::keyClick(window.get(), Qt::Key(key), modifiers);
  }
};

} // namespace ovalon::testing
