#include "support/GradedClassTest.h"

#include "library/ExamLibrary.h"
#include "support/ClassScans.h"
#include "support/CliRunner.h"

namespace ovalon::testing {

void GradedClassTest::prepare(const std::vector<int> &students,
                              const std::vector<std::pair<std::string, std::vector<int>>> &others) {
  graded = std::make_unique<TempDir>();
  scans = std::make_unique<TempDir>();
  const ExamDocument doc = smallClass();
  id = doc.exam.id;
  ASSERT_TRUE(ExamLibrary{graded->path()}.save(doc));
  writeClassScan(*scans / "class.pdf", doc.exam, students);
  for (const auto &[name, who] : others)
    writeClassScan(*scans / name, doc.exam, who);
  const CliResult result = runCli(graded->path(), {"grade", id.text(), scan("class.pdf")});
  ASSERT_EQ(result.status, 0) << result.err;
}

void GradedClassTest::TearDownTestSuite() {
  graded.reset();
  scans.reset();
}

void GradedClassTest::SetUp() {
  std::filesystem::copy(graded->path(), library.path(), std::filesystem::copy_options::recursive);
}

std::string GradedClassTest::scan(const std::string &name) {
  return (*scans / name).string();
}

ExamDocument GradedClassTest::stored() const {
  return ExamLibrary{library.path()}.load(id).value().document;
}

void GradedClassTest::expectNoStrayPictures() const {
  EXPECT_EQ(pictureFolder(library.path(), id), picturesOf(stored()));
}

} // namespace ovalon::testing
