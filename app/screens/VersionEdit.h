#pragma once

#include <QFrame>

#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;

namespace ovalon {
class ToneLabel;
}

namespace ovalon {

class AppModel;

// The order editor: the teacher types version A's question numbers in the order
// another version prints them, for versions written before the test came here.
class VersionEdit : public QFrame {
  Q_OBJECT

public:
  explicit VersionEdit(AppModel &model, QWidget *parent = nullptr);

  // Starts editing `version` (1…3) with its current order filled in.
  void edit(int version);
  int editingVersion() const { return version_; }
  QString orderError() const;

  // The whole numbers in `text`, separated by commas or spaces; nothing when
  // something else is in it.
  static std::optional<std::vector<int>> parseOrder(const QString &text);

signals:
  void finished();

private:
  void apply();
  void refreshVersions();

  AppModel &model_;
  int version_ = 1;
  QComboBox *versions_;
  QLabel *prompt_;
  QLineEdit *orderText_;
  ToneLabel *orderError_;
};

} // namespace ovalon
