#pragma once

#include "screens/TabView.h"
#include <QFrame>

#include <QWidget>

#ifndef Q_MOC_RUN
#include <filesystem>
#include <vector>
#endif

class QMimeData;

namespace ovalon {

class AppModel;
class SheetDetail;
class SheetTable;

// "Drop the class’s scanned PDF here": takes drags of PDFs and images, lights up while one
// is over it, and hands the files to the model to grade.
class DropArea : public QFrame {
  Q_OBJECT

public:
  explicit DropArea(AppModel &model, QWidget *parent = nullptr);

  bool dropTargeted() const { return dropTargeted_; }

  // The local files among the dragged ones that the model can grade.
  static std::vector<std::filesystem::path> gradableFiles(const QMimeData *data);

protected:
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dragLeaveEvent(QDragLeaveEvent *event) override;
  void dropEvent(QDropEvent *event) override;

private:
  void setDropTargeted(bool targeted);

  AppModel &model_;
  bool dropTargeted_ = false;
};

// The "Grade" tab: where the class's scan is dropped, and the graded sheets with the
// selected one's scan beside them.
class GradingView : public TabView {
  Q_OBJECT

public:
  explicit GradingView(AppModel &model, QWidget *parent = nullptr);

private:
  void refresh() override;

  AppModel &model_;
  DropArea *drop_;
  QWidget *tips_;
  QWidget *sheets_;
  SheetTable *table_;
  SheetDetail *detail_;
};

} // namespace ovalon
