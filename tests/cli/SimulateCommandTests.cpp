#include "library/ExamLibrary.h"
#include "library/FileIO.h"
#include "support/CliRunner.h"
#include "support/RenderedPage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <tuple>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

class SimulateCommand : public ::testing::Test {
protected:
  TempDir library;
  TempDir files;

  CliResult run(const std::vector<std::string> &args) {
    return testing::runCli(library.path(), args);
  }
  std::string scan(const std::string &name) const { return (files / name).string(); }

  void create(std::vector<std::string> args) {
    args.insert(args.begin(), "new");
    CliResult made = run(args);
    ASSERT_EQ(made.status, 0) << made.err;
  }

  // Every page of the scan as `read --json` reports it.
  std::vector<nlohmann::json> readBack(const std::string &test, const std::string &pdf) {
    CliResult read = run({"read", test, pdf, "--json"});
    EXPECT_EQ(read.status, 0) << read.err;
    std::vector<nlohmann::json> pages;
    std::istringstream lines(read.out);
    for (std::string line; std::getline(lines, line);)
      pages.push_back(nlohmann::json::parse(line));
    return pages;
  }
};

TEST_F(SimulateCommand, rosterClassOfATwoPageTestReadsBackPageByPage) {
  create({"--title", "Long Quiz", "--questions", "130", "--versions", "2"});
  std::ofstream(files / "class.csv") << "ID,First,Last\n300001,Ada,Lovelace\n300002,Alan,Turing\n"
                                        "300003,Grace,Hopper\n";
  ASSERT_EQ(run({"roster", "Long Quiz", scan("class.csv")}).status, 0);

  CliResult made = run({"simulate", "Long Quiz", "-o", scan("class.pdf"), "--seed", "4"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out,
            "Wrote 3 students (6 pages) of \u201CLong Quiz\u201D to " + scan("class.pdf") + "\n");

  // Page, version, questions and ID read: the roster by last name (Hopper, Lovelace, Turing)
  // on versions A, B, A.
  std::vector<std::tuple<int, int, size_t, std::string>> read;
  for (const auto &page : readBack("Long Quiz", scan("class.pdf"))) {
    EXPECT_FALSE(page.contains("problem")) << page.dump();
    const int number = page["identity"]["page"];
    read.emplace_back(number, page["identity"]["version"], page["questions"].size(),
                      number == 1 ? page["readID"] : "");
  }
  EXPECT_EQ(read, (decltype(read){{1, 0, 100, "300003"},
                                  {2, 0, 30, ""},
                                  {1, 1, 100, "300001"},
                                  {2, 1, 30, ""},
                                  {1, 0, 100, "300002"},
                                  {2, 0, 30, ""}}));
}

TEST_F(SimulateCommand, aMadeUpClassReadsBackEvenScannedHarshlyAndGrades) {
  create({"--title", "Quiz", "--questions", "30", "--versions", "2"});
  ASSERT_EQ(run({"simulate", "Quiz", "-o", scan("harsh.pdf"), "--students", "8", "--distortion",
                 "harsh", "--seed", "3"})
                .status,
            0);
  std::set<std::string> ids;
  for (const auto &page : readBack("Quiz", scan("harsh.pdf"))) {
    EXPECT_FALSE(page.contains("problem")) << page.dump();
    EXPECT_EQ(page["readID"].get<std::string>().size(), 6u);
    ids.insert(page["readID"].get<std::string>());
  }
  EXPECT_EQ(ids.size(), 8u);
  CliResult graded = run({"grade", "Quiz", scan("harsh.pdf")});
  EXPECT_EQ(graded.out.substr(0, graded.out.find('\n')), "Graded 8 sheets") << graded.err;
}

TEST_F(SimulateCommand, keySheetComesFirstAndGradeUsesIt) {
  create({"--title", "Quiz", "--questions", "10", "--key", "ABCDA BCDAB"});
  CliResult made =
      run({"simulate", "Quiz", "-o", scan("key.pdf"), "--students", "2", "--key-sheet"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_NE(made.out.find("2 students and an answer-key sheet (3 pages)"), std::string::npos);
  const auto pages = readBack("Quiz", scan("key.pdf"));
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_TRUE(pages[0]["identity"]["isKey"].get<bool>());
  EXPECT_FALSE(pages[1]["identity"]["isKey"].get<bool>());

  // The typed key goes wrong; the scanned key sheet puts it right again.
  ASSERT_EQ(run({"key", "Quiz", "DDDDD DDDDD"}).status, 0);
  CliResult graded = run({"grade", "Quiz", scan("key.pdf"), "--use-key"});
  ASSERT_EQ(graded.status, 0) << graded.err;
  EXPECT_NE(graded.out.find("Used the key: 8 answers changed."), std::string::npos) << graded.out;
  const Exam exam = ExamLibrary{library.path()}.loadAll().documents.at(0).exam;
  const std::string expected = "ABCDABCDAB";
  for (size_t q = 0; q < 10; ++q)
    EXPECT_EQ(exam.key[q].correct, (std::set<int>{expected[q] - 'A'})) << q;
}

TEST_F(SimulateCommand, badArgumentsAreOneSentenceAndWriteNothing) {
  create({"--title", "Quiz"});
  for (const char *bad : {"--distortion wobbly", "--students 1001", "--dpi 20",
                          "--conditions crumpled", "--conditions copier-clean --distortion harsh",
                          "--conditions photo-flat --dpi 300", "--jpeg 101", "--jpeg 80.5"}) {
    std::vector<std::string> args{"simulate", "Quiz", "-o", scan("bad.pdf")};
    std::istringstream words(bad);
    args.insert(args.end(), std::istream_iterator<std::string>(words), {});
    CliResult result = run(args);
    EXPECT_EQ(result.status, 2) << bad;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(result.err.starts_with("--")) << result.err;
  }
  CliResult unknown = run({"simulate", "Nope", "-o", scan("bad.pdf")});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("No test is called \u201CNope\u201D"), std::string::npos);
  EXPECT_FALSE(fs::exists(files / "bad.pdf"));
}

TEST_F(SimulateCommand, pagesAreJpegsWhenAskedAndConditionsCaptureTheirOwnWay) {
  create({"--title", "Quiz", "--questions", "20"});
  // The last two: the first page's size in points.
  for (const auto &[pdf, extra, jpeg, width, height] :
       std::vector<std::tuple<std::string, std::vector<std::string>, bool, double, double>>{
           {"gray.pdf", {}, false, 612, 792},
           {"jpeg.pdf", {"--jpeg", "80"}, true, 612, 792},
           {"torn.pdf", {"--conditions", "copier-torn-corner", "--dpi", "120"}, true, 612, 792},
           // A phone's photo, 3000 × 4000 pixels, put in the PDF at 200 pixels an inch.
           {"photo.pdf", {"--conditions", "photo-small"}, true, 1080, 1440}}) {
    std::vector<std::string> args{"simulate", "Quiz", "-o", scan(pdf), "--students", "2"};
    args.insert(args.end(), extra.begin(), extra.end());
    CliResult made = run(args);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.out, "Wrote 2 students (2 pages) of \u201CQuiz\u201D to " + scan(pdf) + "\n");
    const Bytes bytes = *FileIO::read(files / pdf);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).contains("/DCTDecode"), jpeg) << pdf;
    const auto facts = testing::pdfFacts(bytes);
    ASSERT_TRUE(facts.has_value());
    EXPECT_NEAR(facts->pageSize.width, width, 0.5) << pdf;
    EXPECT_NEAR(facts->pageSize.height, height, 0.5) << pdf;
  }
}

} // namespace
} // namespace ovalon
