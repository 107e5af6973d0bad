#pragma once

#include <QListWidget>

#ifndef Q_MOC_RUN
#include "workflow/Review.h"

#include <optional>
#include <vector>
#endif

namespace ovalon {

class AppModel;

// The review items of the selected test, each with its kind, where it is and, once
// settled, what was decided. The list's selection is the model's review selection.
class ReviewList : public QListWidget {
  Q_OBJECT

public:
  explicit ReviewList(AppModel &model, QWidget *parent = nullptr);

  void refresh();

protected:
  // The review's own keys pass through to the review view instead of searching the list.
  void keyPressEvent(QKeyEvent *event) override;

private:
  void selectionMoved();

  AppModel &model_;
  std::vector<Review::Item> items_;
  bool filling_ = false;
};

} // namespace ovalon
