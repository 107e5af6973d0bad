#include "SampleLibrary.h"

#include "AppTestScans.h"

#include "model/AppModel.h"
#include "support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

namespace ovalon::testing {

namespace fs = std::filesystem;

void copyGradedSampleLibrary(const fs::path &folder) {
  static TempDir made;
  static const bool graded = [] {
    AppModel model(ExamLibrary{made / "Library"});
    model.trySampleClass();
    bool idle = QTest::qWaitFor([&] { return model.progress().has_value(); }, 1000) &&
                waitUntilIdle(model) && waitUntilIdle(model);
    model.flushSaves();
    model.waitForBackgroundWrites();
    return idle && !model.documents().empty() && !model.documents().front().sheets.empty();
  }();
  ASSERT_TRUE(graded) << "the sample class couldn't be graded";
  fs::copy(made / "Library", folder, fs::copy_options::recursive);
}

} // namespace ovalon::testing
