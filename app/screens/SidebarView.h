#pragma once

#include <QWidget>

class QListWidget;

namespace ovalon {

class AppModel;

// The list of tests beside the main area, with the "New Test" button.
class SidebarView : public QWidget {
  Q_OBJECT

public:
  explicit SidebarView(AppModel &model, QWidget *parent = nullptr);

protected:
  void resizeEvent(QResizeEvent *event) override;

private:
  void refresh();
  // Rows wrap their lines, so their height follows the sidebar's width.
  void fitRows();
  void showMenu(const QPoint &position);

  AppModel &model_;
  QListWidget *list_;
  bool refreshing_ = false;
};

} // namespace ovalon
