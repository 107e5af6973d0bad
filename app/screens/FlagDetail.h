#pragma once

#include <QWidget>

#ifndef Q_MOC_RUN
#include "grading/Resolution.h"
#include "model/Bytes.h"
#include "model/Uuid.h"

#include <optional>
#endif

class QLabel;
class QPushButton;

namespace ovalon {

class AppModel;
struct ExamDocument;
struct ReviewFlag;
struct ScannedSheet;

// A picture stored with a sheet (a PNG crop, a JPEG page), scaled to at most `width`
// points wide, with `caption` as what it is for the screen reader and the tooltip.
// A label saying so when there are no bytes or they don't decode.
QLabel *storedPicture(const std::optional<Bytes> &bytes, const QString &caption, int width,
                      QWidget *parent);

// The decision on one review flag: a mark row, a student ID or a missing page. Each
// decision goes to the model, and the review moves on to the next open item.
class FlagDetail : public QWidget {
  Q_OBJECT

public:
  FlagDetail(AppModel &model, const Uuid &sheet, const Uuid &flag, QWidget *parent = nullptr);

  // A key pressed while the review has focus: a choice letter, Delete or Backspace for
  // blank, Return or Enter for the darkest mark (or, for an ID or a missing page, the
  // answer as read). True when it decided something.
  bool handleKey(int key);

private:
  void decide(std::optional<Resolution> resolution);
  void buildMark(const ExamDocument &doc, const ScannedSheet &sheet, const ReviewFlag &flag);

  AppModel &model_;
  Uuid sheet_;
  Uuid flag_;
  int choiceCount_ = 0;
  std::optional<int> suggestion_;
  bool markFlag_ = false;
};

} // namespace ovalon
