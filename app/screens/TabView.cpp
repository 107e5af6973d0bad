#include "screens/TabView.h"

#include "model/AppModel.h"
#include "screens/ModelSignals.h"

namespace ovalon {

TabView::TabView(AppModel &model, QWidget *parent) : QWidget(parent) {
  followSelectedTest(model, this, [this] { modelChanged(); });
}

void TabView::modelChanged() {
  if (isVisible())
    refresh();
  else
    stale_ = true;
}

void TabView::showEvent(QShowEvent *event) {
  if (stale_) {
    stale_ = false;
    refresh();
  }
  QWidget::showEvent(event);
}

} // namespace ovalon
