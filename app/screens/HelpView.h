#pragma once

#include <QDialog>

#include <vector>

namespace ovalon {

class AppModel;

// The help window: a short list of topics, each a symbol, a title and a paragraph.
class HelpView : public QDialog {
  Q_OBJECT

public:
  struct Topic {
    const char *symbol;
    const char *title;
    const char *text;
  };
  static const std::vector<Topic> &topics();

  // "Done" (or closing the window) clears the model's `showHelp`.
  explicit HelpView(AppModel &model, QWidget *parent = nullptr);
};

} // namespace ovalon
