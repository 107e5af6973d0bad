#pragma once

#include <QWidget>

namespace ovalon {

class AppModel;

// What the main area shows before there is any test: how to start.
class EmptyLibraryView : public QWidget {
  Q_OBJECT

public:
  explicit EmptyLibraryView(AppModel &model, QWidget *parent = nullptr);
};

} // namespace ovalon
