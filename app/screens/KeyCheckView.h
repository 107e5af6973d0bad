#pragma once

#include <QDialog>

#ifndef Q_MOC_RUN
#include <optional>
#include <set>
#include <vector>
#endif

class QLabel;
class QPushButton;

namespace ovalon {

class AppModel;

// "Check the Scanned Key": the key read from a bubbled sheet, one row per question, for
// the teacher to look over, change and settle before it replaces the typed key.
class KeyCheckView : public QDialog {
  Q_OBJECT

public:
  explicit KeyCheckView(AppModel &model, QWidget *parent = nullptr);

  const std::vector<std::optional<int>> &answers() const { return answers_; }
  int leftToSettle() const;

  void reject() override;

private:
  struct Row {
    std::vector<QPushButton *> letters;
    QLabel *was = nullptr;
    QWidget *needsLook = nullptr;
    bool doubtful = false;
  };

  void setAnswer(int question, std::optional<int> choice);
  void showRow(int question);
  void showCount();
  void modelChanged();

  AppModel &model_;
  std::vector<std::optional<int>> answers_;
  std::set<int> settled_;
  std::vector<Row> rows_;
  std::vector<std::optional<std::set<int>>> currentKey_;
  QLabel *left_ = nullptr;
  QPushButton *use_ = nullptr;
  bool used_ = false;
};

} // namespace ovalon
