#include "library/ExamLibrary.h"
#include "library/FileIO.h"
#include "sheets/SheetIdentity.h"
#include "support/CliRunner.h"
#include "support/PdfText.h"
#include "support/QrReading.h"
#include "support/RenderedPage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace ovalon {
namespace {

using namespace testing;
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

TEST_F(RosterAndSheets, importsASchoolExportListsItAndTheIDColumnCanBeNamed) {
  EXPECT_EQ(run({"roster", "Bio", "--list"}).out, "\u201CBio\u201D has no roster yet.\n");
  std::string csv = write("class.csv", "Student ID,Last Name,First Name,Email\r\n"
                                       "0042,Curie,Marie,m@school.org\r\n"
                                       "17,\"Darwin, Jr\",Charles,c@school.org\r\n"
                                       ",Nobody,No,\r\n"
                                       "42,Again,Repeated,\r\n");
  CliResult r = run({"roster", "Bio", csv});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Imported 2 students\n1 row without a numeric ID was skipped (row 4).\n"
                   "1 repeated ID was skipped (row 5).\n");
  Roster roster = stored().roster;
  ASSERT_EQ(roster.students.size(), 2u);
  EXPECT_EQ(roster.students[1], (Student{"17", "Charles", "Darwin, Jr"}));
  EXPECT_EQ(roster.sourceName, "class.csv");

  const std::string perm = write("perm.csv", "Locker,Perm ID,Name\n"
                                             "12,7001,Liam van der Berg\n"
                                             "13,7002,\"Okafor, Chidi\"\n");
  ASSERT_EQ(run({"roster", "Bio", perm}).status, 0);
  EXPECT_EQ(run({"roster", "Bio", "--list"}).out, "Student ID\tLast Name\tFirst Name\n"
                                                  "7001\tvan der Berg\tLiam\n"
                                                  "7002\tOkafor\tChidi\n");
  CliResult byLocker = run({"roster", "Bio", perm, "--id-column", "locker", "--list"});
  ASSERT_EQ(byLocker.status, 0) << byLocker.err;
  EXPECT_EQ(byLocker.out, "Imported 2 students\n"
                          "Student ID\tLast Name\tFirst Name\n"
                          "12\tvan der Berg\tLiam\n"
                          "13\tOkafor\tChidi\n");
}

TEST_F(RosterAndSheets, refusedRequestsAreOneSentenceAndChangeNothing) {
  const std::string out = (files / "never.pdf").string();
  CliResult noRoster = run({"sheets", "Bio", "-o", out, "--roster"});
  EXPECT_EQ(noRoster.status, 2);
  EXPECT_EQ(noRoster.err,
            "\u201CBio\u201D has no roster yet; import one with ovalon-cli roster.\n");
  ASSERT_EQ(run({"roster", "Bio", write("ok.csv", "ID,Name\n1,Ada Lovelace\n")}).status, 0);
  const ExamDocument before = stored();
  using Case = std::tuple<std::vector<std::string>, int, std::string>; // err empty: any
  for (const auto &[args, status, err] : std::vector<Case>{
           {{"roster", "Bio", write("names.csv", "First,Last\nAda,Lovelace\n")},
            1,
            "No student ID column was found. Name a column \u201CID\u201D or \u201CStudent "
            "ID\u201D (digits only).\n"},
           {{"roster", "Bio", write("empty.csv", "ID,Name\n")},
            1,
            "No students were found in that file.\n"},
           {{"roster", "Bio", write("perm.csv", "Locker,Name\n12,Liam\n"), "--id-column", "Desk"},
            1,
            "That file has no column \u201CDesk\u201D.\n"},
           {{"roster", "Bio", (files / "missing.csv").string()}, 2, ""},
           {{"roster", "Bio"}, 2, "Give a CSV file to import, or --list to print the roster.\n"},
           {{"sheets", "Bio", "-o", out, "--version", "D"},
            2,
            "This test has no version \u201CD\u201D (it has A to B).\n"},
           {{"sheets", "Bio", "-o", out, "--roster", "--copies", "2"}, 2, ""},
           {{"sheets", "Bio", "-o", out, "--deal-versions"}, 2, ""},
           {{"sheets", "Bio", "-o", out, "--roster", "--deal-versions", "--version", "B"},
            2,
            "--deal-versions gives out every version in turn, so it can\u2019t be used with "
            "--version.\n"},
           {{"sheets", "Bio", "-o", (files / "no" / "dir.pdf").string()}, 1, ""}}) {
    CliResult r = run(args);
    EXPECT_EQ(r.status, status) << args[2];
    EXPECT_TRUE(err.empty() || r.err == err) << r.err;
    EXPECT_EQ(std::ranges::count(r.err, '\n'), 1) << r.err;
  }
  EXPECT_EQ(stored(), before);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_FALSE(fs::exists(files / "no"));
}

TEST_F(RosterAndSheets, blankCopiesRosterSheetsAndTheKeySheetArePrinted) {
  ASSERT_EQ(run({"roster", "Bio", write("c.csv", "ID,Last,First\n2,Zed,Al\n1,Adams,Bo\n")}).status,
            0);
  // Blank copies are sheet-major (both pages of a copy first); roster sheets go by last name.
  using Texts = std::vector<std::pair<int, std::string>>;
  for (const auto &[options, pages, texts] :
       std::vector<std::tuple<std::vector<std::string>, int, Texts>>{
           {{"--copies", "3", "--version", "b"}, 6, {{1, "Page 2 of 2"}}},
           {{"--roster"}, 4, {{0, "Bo Adams"}, {2, "Al Zed"}}},
           {{"--key-sheet"}, 2, {{0, "ANSWER KEY"}}}}) {
    std::vector<std::string> args{"sheets", "Bio", "-o", (files / "out.pdf").string()};
    args.insert(args.end(), options.begin(), options.end());
    CliResult r = run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("Wrote " + std::to_string(pages) + " pages to " + args[3]))
        << r.out;
    const Bytes pdf = *FileIO::read(args[3]);
    EXPECT_EQ(testing::pdfFacts(pdf)->pageCount, pages);
    EXPECT_EQ(testing::pdfFacts(pdf)->title, "Bio");
    for (const auto &[page, text] : texts)
      EXPECT_NE(testing::pdfPageText(pdf, page).find(text), std::string::npos) << text;
  }
}

TEST_F(RosterAndSheets, dealtVersionsAlternateInClassListOrder) {
  ASSERT_EQ(
      run({"roster", "Bio", write("c.csv", "ID,Last,First\n3,Cole,Cy\n1,Adams,Bo\n2,Baker,Al\n")})
          .status,
      0);
  std::string out = (files / "dealt.pdf").string();
  CliResult r = run({"sheets", "Bio", "-o", out, "--roster", "--deal-versions"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Wrote 6 pages to " + out + "\nVersions in turn: 2 of A, 1 of B.\n");
  const Bytes pdf = *FileIO::read(out);
  // Each two-page sheet: its student's name on page 1, and both pages of one version.
  const std::vector<std::pair<std::string, int>> expected{
      {"Bo Adams", 0}, {"Al Baker", 1}, {"Cy Cole", 0}};
  for (int page = 0; page < 6; ++page) {
    SCOPED_TRACE(page);
    const auto &[name, version] = expected[static_cast<size_t>(page / 2)];
    if (page % 2 == 0) {
      EXPECT_TRUE(testing::mentions(testing::pdfPageLines(pdf, page), name));
    }
    const auto image = testing::renderPdfPage(pdf, page, 150);
    ASSERT_TRUE(image);
    const auto codes = testing::readQRCodes(*image);
    ASSERT_EQ(codes.size(), 1u);
    const auto identity = SheetIdentity::parse(codes[0]);
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->version, version);
    EXPECT_EQ(identity->page, page % 2 + 1);
  }
}

} // namespace
} // namespace ovalon
