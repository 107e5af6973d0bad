#include "library/ExamLibrary.h"
#include "library/FileIO.h"
#include "support/CliRunner.h"
#include "support/RenderedPage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace ovalon {
namespace {

using testing::CliResult;
using testing::runCli;
using testing::TempDir;
namespace fs = std::filesystem;

class RosterAndSheets : public ::testing::Test {
protected:
  TempDir library;
  TempDir files;

  CliResult run(const std::vector<std::string> &args) { return runCli(library.path(), args); }
  void SetUp() override {
    ASSERT_EQ(run({"new", "--title", "Bio", "--questions", "150", "--versions", "2"}).status, 0);
  }
  ExamDocument stored() { return ExamLibrary{library.path()}.loadAll().documents.at(0); }
  std::string write(const std::string &name, const std::string &bytes) {
    fs::path path = files / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
};

TEST_F(RosterAndSheets, importsASchoolExportAndPrintsWarnings) {
  std::string csv = write("class.csv", "Student ID,Last Name,First Name,Email\r\n"
                                       "0042,Curie,Marie,m@school.org\r\n"
                                       "17,\"Darwin, Jr\",Charles,c@school.org\r\n"
                                       ",Nobody,No,\r\n"
                                       "42,Again,Repeated,\r\n");
  CliResult r = run({"roster", "Bio", csv});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Imported 2 students\n1 row without a numeric ID was skipped.\n"
                   "1 repeated ID was skipped.\n");
  Roster roster = stored().roster;
  ASSERT_EQ(roster.students.size(), 2u);
  EXPECT_EQ(roster.students[1], (Student{"17", "Charles", "Darwin, Jr"}));
  EXPECT_EQ(roster.sourceName, "class.csv");
}

TEST_F(RosterAndSheets, failedImportLeavesTheRosterAsItWas) {
  ASSERT_EQ(run({"roster", "Bio", write("ok.csv", "ID,Name\n1,Ada Lovelace\n")}).status, 0);
  ExamDocument before = stored();
  CliResult noID = run({"roster", "Bio", write("names.csv", "First,Last\nAda,Lovelace\n")});
  EXPECT_EQ(noID.status, 1);
  EXPECT_EQ(noID.err, "No student ID column was found. Name a column \u201CID\u201D or "
                      "\u201CStudent ID\u201D (digits only).\n");
  CliResult empty = run({"roster", "Bio", write("empty.csv", "ID,Name\n")});
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.err, "No students were found in that file.\n");
  EXPECT_EQ(run({"roster", "Bio", (files / "missing.csv").string()}).status, 2);
  EXPECT_EQ(stored(), before);
}

TEST_F(RosterAndSheets, blankCopiesAreSheetMajor) {
  std::string out = (files / "blank.pdf").string();
  CliResult r = run({"sheets", "Bio", "-o", out, "--copies", "3", "--version", "b"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Wrote 6 pages to " + out + "\n");
  auto facts = testing::pdfFacts(*FileIO::read(out));
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->pageCount, 6);
  EXPECT_EQ(facts->title, "Bio");
  EXPECT_NE(testing::pdfPageText(*FileIO::read(out), 1).find("Page 2 of 2"), std::string::npos);
}

TEST_F(RosterAndSheets, rosterSheetsFollowTheSortedRoster) {
  ASSERT_EQ(run({"roster", "Bio", write("c.csv", "ID,Last,First\n2,Zed,Al\n1,Adams,Bo\n")}).status,
            0);
  std::string out = (files / "class.pdf").string();
  ASSERT_EQ(run({"sheets", "Bio", "-o", out, "--roster"}).status, 0);
  EXPECT_EQ(testing::pdfFacts(*FileIO::read(out))->pageCount, 4);
  EXPECT_NE(testing::pdfPageText(*FileIO::read(out), 0).find("Bo Adams"), std::string::npos);
  EXPECT_NE(testing::pdfPageText(*FileIO::read(out), 2).find("Al Zed"), std::string::npos);
}

TEST_F(RosterAndSheets, keySheetIsVersionAMarkedAsKey) {
  std::string out = (files / "key.pdf").string();
  ASSERT_EQ(run({"sheets", "Bio", "-o", out, "--key-sheet"}).status, 0);
  EXPECT_EQ(testing::pdfFacts(*FileIO::read(out))->pageCount, 2);
  EXPECT_NE(testing::pdfPageText(*FileIO::read(out), 0).find("ANSWER KEY"), std::string::npos);
}

TEST_F(RosterAndSheets, badRequestsWriteNothing) {
  std::string out = (files / "never.pdf").string();
  CliResult version = run({"sheets", "Bio", "-o", out, "--version", "D"});
  EXPECT_EQ(version.status, 2);
  EXPECT_EQ(version.err, "This test has no version \u201CD\u201D (it has A to B).\n");
  CliResult roster = run({"sheets", "Bio", "-o", out, "--roster"});
  EXPECT_EQ(roster.status, 2);
  EXPECT_NE(roster.err.find("has no roster yet"), std::string::npos);
  EXPECT_EQ(run({"sheets", "Bio", "-o", out, "--roster", "--copies", "2"}).status, 2);
  EXPECT_FALSE(fs::exists(out));
  CliResult unwritable = run({"sheets", "Bio", "-o", (files / "no" / "dir.pdf").string()});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_TRUE(fs::is_empty(files.path()));
}

} // namespace
} // namespace ovalon
