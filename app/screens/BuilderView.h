#pragma once

#include "screens/TabView.h"

namespace ovalon {

class AnswerKeySection;
class AnswerSheetSection;
class AppModel;
class KeyRow;
class RosterSection;
class VersionsSection;

// The Test tab: the sheet's layout, versions, roster and answer key of the selected
// test. Every field is an edit of the test through the model.
class BuilderView : public TabView {
  Q_OBJECT

public:
  explicit BuilderView(AppModel &model, QWidget *parent = nullptr);

  KeyRow *keyRow(int question) const;
  // Puts the cursor in the title, all of it selected.
  void focusTitle();

private:
  void refresh() override;

  AppModel &model_;
  // The test the fields show; another test replaces even a focused field's text.
  QString shownTest_;
  AnswerSheetSection *sheet_;
  VersionsSection *versions_;
  RosterSection *roster_;
  AnswerKeySection *key_;
};

} // namespace ovalon
