#pragma once

#include <QFrame>

class QLabel;
class QProgressBar;

namespace ovalon {

class AppModel;

// The strip shown while a background job runs: what it is doing, how far it is,
// and a way to stop it.
class ProgressBanner : public QFrame {
  Q_OBJECT

public:
  explicit ProgressBanner(AppModel &model, QWidget *parent = nullptr);

private:
  void refresh();

  AppModel &model_;
  QLabel *title_;
  QLabel *count_;
  QProgressBar *bar_;
};

} // namespace ovalon
