#include "library/DocumentJSON.h"
#include "library/ExamLibrary.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace ovalon {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

ExamDocument document(const std::string &title, double modified) {
  ExamDocument doc = ExamDocument::make(
      Exam::make(Uuid::random(), title, Date::now(), 10, 4, 4, Paper::letter, 7));
  doc.modified = Date{modified};
  return doc;
}

TEST(ExamLibrary, loadsNewestFirstSkipsWhatIsNotADocumentAndReportsWhatCantBeRead) {
  TempDir dir;
  ExamLibrary library{dir.path()};
  ExamDocument older = document("Older", 1000), newer = document("Newer", 1001);
  ASSERT_TRUE(library.save(older) && library.save(newer));
  std::string json = *DocumentJSON::encode(document("Hidden", 5000));
  fs::path tests = library.folder / "Tests";
  std::ofstream(tests / "._companion.json") << json;
  std::ofstream(tests / "upper.JSON") << json;
  std::ofstream(tests / "notes.txt") << json;
  std::ofstream(tests / "broken.json") << json.substr(0, json.size() - 10);
  fs::create_directory(tests / "folder.json");
  auto contents = library.loadAll();
  EXPECT_EQ(contents.documents, (std::vector<ExamDocument>{newer, older}));
  ASSERT_EQ(contents.unreadable.size(), 1u);
  EXPECT_EQ(contents.unreadable[0].path, tests / "broken.json");
  EXPECT_TRUE(fs::exists(tests / "broken.json")); // left untouched
  auto listing = library.list();
  EXPECT_EQ(std::tuple(listing.tests.size(), listing.tests.at(0).title, listing.unreadable),
            std::tuple(2uz, "Newer", contents.unreadable));
}

TEST(ExamLibrary, failedSaveLeavesThePreviousFileAndNoTemporaryBehind) {
  TempDir dir;
  ExamLibrary library{dir.path()};
  ExamDocument doc = document("Kept", 10);
  ASSERT_TRUE(library.save(doc));
  for (double points : {std::nan(""), double(INFINITY)}) {
    ExamDocument broken = doc;
    broken.exam.key[0].points = points;
    EXPECT_FALSE(library.save(broken)) << "numbers that JSON can't hold are refused";
  }
  EXPECT_EQ(library.loadAll().documents, std::vector<ExamDocument>{doc});
  // A non-empty folder where the document should go cannot be replaced.
  ExamDocument blocked = document("Blocked", 10);
  fs::create_directories(library.documentPath(blocked.exam.id) / "inside");
  ASSERT_FALSE(library.save(blocked));
  for (const auto &entry : fs::directory_iterator(library.testsFolder()))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
}

TEST(ExamLibrary, firstSaveCreatesTheFolderAndImagesAreStoredPerTestAndRemovedWithIt) {
  TempDir dir;
  ExamLibrary library{dir / "Nested" / "Ovalon"};
  EXPECT_TRUE(library.loadAll().documents.empty() && library.list().tests.empty());
  ExamDocument doc = document("Images", 10);
  ASSERT_TRUE(library.save(doc));
  EXPECT_TRUE(fs::exists(library.folder / "Tests" / (doc.exam.id.text() + ".json")));
  EXPECT_EQ(library.loadAll().documents, std::vector<ExamDocument>{doc});
  // A JPEG page and a PNG crop, each named for what it holds.
  Uuid a = Uuid::random(), b = Uuid::random();
  const Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 2};
  ASSERT_TRUE(library.saveImages({{a, Bytes{0xFF, 0xD8, 1}}, {b, png}}, doc.exam.id));
  EXPECT_EQ(library.loadImage(a, doc.exam.id), (Bytes{0xFF, 0xD8, 1}));
  EXPECT_EQ(library.loadImage(b, doc.exam.id), png);
  const fs::path images = library.folder / "Images" / doc.exam.id.text();
  EXPECT_TRUE(fs::exists(images / (a.text() + ".jpg")) && fs::exists(images / (b.text() + ".png")));
  library.deleteImages({b, Uuid::random()}, doc.exam.id);
  EXPECT_TRUE(!library.loadImage(b, doc.exam.id) && library.loadImage(a, doc.exam.id));
  ASSERT_TRUE(library.remove(doc.exam.id));
  EXPECT_TRUE(!library.loadImage(a, doc.exam.id) && library.loadAll().documents.empty());
  EXPECT_TRUE(fs::is_empty(library.testsFolder())) << "no summary or lock is left";
  EXPECT_TRUE(library.remove(doc.exam.id)); // already gone: not an error
}

TEST(ExamLibrary, defaultFolderFollowsEnvironment) {
  for (auto [variable, value, folder] :
       {std::tuple{"OVALON_LIBRARY", "/tmp/ovalon-lib", "/tmp/ovalon-lib"},
        {"XDG_DATA_HOME", "/tmp/xdg", "/tmp/xdg/Ovalon"},
        {"HOME", "/home/teacher", "/home/teacher/.local/share/Ovalon"}}) {
    setenv(variable, value, 1);
    EXPECT_EQ(ExamLibrary::defaultFolder(), fs::path(folder));
    if (variable != std::string_view("HOME"))
      unsetenv(variable);
  }
}

} // namespace
} // namespace ovalon
