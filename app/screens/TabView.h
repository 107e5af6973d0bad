#pragma once

#include <QWidget>

namespace ovalon {

class AppModel;

// A tab's view that follows the model. A hidden tab only notes that it is behind
// and catches up when it is shown, so edits elsewhere don't redraw it.
class TabView : public QWidget {
  Q_OBJECT

public:
  explicit TabView(AppModel &model, QWidget *parent = nullptr);

protected:
  // Shows the model as it is now. Subclasses call it once at the end of their constructor.
  virtual void refresh() = 0;
  void showEvent(QShowEvent *event) override;

private:
  void modelChanged();

  bool stale_ = false; // the model changed while the tab was hidden
};

} // namespace ovalon
