#include "model/AppModel.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <tuple>

namespace ovalon {
namespace {

using testing::TempDir;

// The specific signals an operation emitted, by name.
struct SignalLog {
  std::set<std::string> seen;

  explicit SignalLog(AppModel &model) {
    auto record = [this](const char *name) { return [this, name] { seen.insert(name); }; };
    QObject::connect(&model, &AppModel::libraryChanged, record("library"));
    QObject::connect(&model, &AppModel::selectionChanged, record("selection"));
    QObject::connect(&model, &AppModel::tabChanged, record("tab"));
    QObject::connect(&model, &AppModel::progressChanged, record("progress"));
    QObject::connect(&model, &AppModel::messageChanged, record("message"));
    QObject::connect(&model, &AppModel::keyCheckChanged, record("keyCheck"));
    QObject::connect(&model, &AppModel::printSettingsChanged, record("print"));
    QObject::connect(&model, &AppModel::dialogsChanged, record("dialogs"));
    QObject::connect(&model, &AppModel::documentChanged, record("document"));
  }
};

// Two tests, the second selected, with a sheet and a print version chosen in it.
struct TwoTests {
  TempDir dir;
  AppModel model{ExamLibrary{dir.path()}};
  Uuid first, second;
  TwoTests() {
    model.newTest();
    first = *model.selectedID();
    model.newTest();
    second = *model.selectedID();
    model.update([](ExamDocument &d) {
      d.exam.setQuestionCount(150);
      d.exam.setVersionCount(2);
    });
    model.setPrintVersion(1);
    model.setSelectedSheet(Uuid::random());
  }
};

TEST(AppModelSignals, eachChangeNamesWhatChangedAndThenSaysChanged) {
  using Case = std::tuple<const char *, std::function<void(TwoTests &)>, std::set<std::string>>;
  const std::vector<Case> cases{
      {"edit",
       [](TwoTests &t) { t.model.update([](ExamDocument &d) { d.exam.title = "T"; }); },
       {"document"}},
      {"select another test", [](TwoTests &t) { t.model.select(t.first); }, {"selection", "print"}},
      {"select the same test", [](TwoTests &t) { t.model.select(t.second); }, {}},
      {"tab", [](TwoTests &t) { t.model.setTab(AppModel::Tab::review); }, {"tab"}},
      {"sheet", [](TwoTests &t) { t.model.setSelectedSheet(std::nullopt); }, {"selection"}},
      {"message", [](TwoTests &t) { t.model.showMessage("A", "B"); }, {"message"}},
      {"no message to dismiss", [](TwoTests &t) { t.model.clearMessage(); }, {}},
      {"copies", [](TwoTests &t) { t.model.setPrintCopies(4); }, {"print"}},
      {"ask to delete", [](TwoTests &t) { t.model.askToDelete(t.first); }, {"dialogs"}},
      {"help", [](TwoTests &t) { t.model.setShowHelp(true); }, {"dialogs"}},
      {"new test", [](TwoTests &t) { t.model.newTest(); }, {"library", "selection", "print"}},
      {"duplicate",
       [](TwoTests &t) { t.model.duplicateTest(t.first); },
       {"library", "selection", "print"}},
      {"delete another test", [](TwoTests &t) { t.model.deleteTest(t.first); }, {"library"}},
      {"delete the selected test",
       [](TwoTests &t) { t.model.deleteTest(t.second); },
       {"library", "selection", "print"}},
      {"same copies", [](TwoTests &t) { t.model.setPrintCopies(30); }, {}},
  };
  for (const auto &[what, operation, emitted] : cases) {
    TwoTests setup;
    SignalLog log(setup.model);
    operation(setup);
    EXPECT_EQ(log.seen, emitted) << what;
  }
}

} // namespace
} // namespace ovalon
