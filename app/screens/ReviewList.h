#pragma once

#include <QListView>

namespace ovalon {

class AppModel;
class ReviewListModel;

// The review items of the selected test. The list's selection is the model's review
// selection; the review's own keys pass through to the review view.
class ReviewList : public QListView {
  Q_OBJECT

public:
  explicit ReviewList(AppModel &model, QWidget *parent = nullptr);

  void refresh();
  ReviewListModel *items() const { return items_; }

protected:
  void keyPressEvent(QKeyEvent *event) override;

private:
  void currentMoved(const QModelIndex &current);

  AppModel &model_;
  ReviewListModel *items_;
  bool filling_ = false;
};

} // namespace ovalon
