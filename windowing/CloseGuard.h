#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace ovalon {

// The main window's close handler: every close request (the close command or the
// window's close button) asks `shouldClose`, and the window closes only on yes.
class CloseGuard : public QObject {
  Q_OBJECT

public:
  using ShouldClose = std::function<bool(QWidget &window)>;

  // Watches `main`'s close requests; the guard is a child of the window.
  CloseGuard(QWidget &main, ShouldClose shouldClose);

  QWidget *mainWindow() const { return main_; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  ShouldClose shouldClose_;
  QPointer<QWidget> main_;
};

} // namespace ovalon
