#pragma once

#include <QAbstractListModel>

#ifndef Q_MOC_RUN
#include "model/Uuid.h"

#include <optional>
#include <string>
#include <vector>
#endif

namespace ovalon {

class AppModel;
struct ExamDocument;

// The tests in the library as the sidebar lists them: one row per test with its title
// and a line of counts. Rows follow the model; a view sorts them newest first.
class TestListModel : public QAbstractListModel {
  Q_OBJECT

public:
  enum Role {
    idRole = Qt::UserRole, // the exam id as text
    countsRole,            // "20 questions · 2 versions · 26 graded · 3 to review"
    modifiedRole,          // last edit, seconds since the reference date: newest first
  };

  explicit TestListModel(AppModel &model, QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;

  // The row of this test, or an invalid index.
  QModelIndex indexOf(const Uuid &examID) const;

  // The counts line, leaving out what the test doesn't have.
  static QString countsText(const ExamDocument &document);

  // Follows the application model: rows change in place while the same tests are
  // listed, so a view keeps its selection and scroll position.
  void refresh();

private:
  struct Row {
    Uuid id;
    QString title;
    QString counts;
    double modified = 0;
    bool operator==(const Row &) const = default;
  };

  AppModel &model_;
  std::vector<Row> rows_;
};

} // namespace ovalon
