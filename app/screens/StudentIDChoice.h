#pragma once

#include <QWidget>

#ifndef Q_MOC_RUN
#include "grading/Resolution.h"
#include "model/Bytes.h"

#include <optional>
#endif

class QSortFilterProxyModel;

namespace ovalon {

struct ExamDocument;
struct ScannedSheet;

// Who a sheet with a doubtful student ID belongs to: the ID bubbles as scanned, the
// name written on the sheet with the roster students it most resembles, the ID as read,
// a typed ID, or any student picked from the roster.
class StudentIDChoice : public QWidget {
  Q_OBJECT

public:
  // The sheet's pictures of its ID bubbles and name line, fetched by the caller
  // from wherever they are kept.
  struct Pictures {
    std::optional<Bytes> id;
    std::optional<Bytes> name;
  };

  StudentIDChoice(const ExamDocument &document, const ScannedSheet &sheet, const Pictures &pictures,
                  QWidget *parent = nullptr);

signals:
  void decided(ovalon::Resolution resolution);

private:
  void addNameOnSheet(const ExamDocument &document, const ScannedSheet &sheet,
                      const std::optional<Bytes> &picture);
  void addTypedID();
  void addRoster(const ExamDocument &document, const ScannedSheet &sheet);

  QSortFilterProxyModel *found_ = nullptr;
};

} // namespace ovalon
