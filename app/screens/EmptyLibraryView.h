#pragma once

#include <QWidget>

namespace ovalon {

class AppModel;

// What the main area shows before there is any test: how to start.
class EmptyLibraryView : public QWidget {
  Q_OBJECT

public:
  explicit EmptyLibraryView(AppModel &model, QWidget *parent = nullptr);

signals:
  // "New Test" was clicked; the window makes the test and puts the cursor in its title.
  void newTestRequested();
};

} // namespace ovalon
