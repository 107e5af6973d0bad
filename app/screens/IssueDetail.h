#pragma once

#include <QWidget>

#ifndef Q_MOC_RUN
#include "model/Uuid.h"
#endif

class QComboBox;

namespace ovalon {

class AppModel;

// A scanned page that couldn't be graded: its picture, what went wrong, and the two ways
// to settle it.
class IssueDetail : public QWidget {
  Q_OBJECT

public:
  IssueDetail(AppModel &model, const Uuid &issue, QWidget *parent = nullptr);

  // Delete or Backspace leaves the page out. True when it decided something.
  bool handleKey(int key);

private:
  void leaveOut();

  AppModel &model_;
  Uuid issue_;
  bool dismissed_ = false;
  QComboBox *version_ = nullptr;
};

} // namespace ovalon
