#include "library/DocumentJSON.h"
#include "library/ExamLibrary.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ovalon {
namespace {

using testing::CliResult;
using testing::runCli;
using testing::TempDir;

std::string firstLine(const std::string &text) {
  return text.substr(0, text.find('\n'));
}

class ExamCommands : public ::testing::Test {
protected:
  TempDir library;
  CliResult run(const std::vector<std::string> &args) { return runCli(library.path(), args); }
  ExamDocument stored(const std::string &id) {
    for (ExamDocument &doc : ExamLibrary{library.path()}.loadAll().documents)
      if (doc.exam.id.text() == id)
        return doc;
    ADD_FAILURE() << "no document " << id;
    return {};
  }
  std::string create(std::vector<std::string> args) {
    args.insert(args.begin(), "new");
    CliResult r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return firstLine(r.out);
  }
};

TEST_F(ExamCommands, newUsesDefaultsClampsAndPrintsTheId) {
  std::string id = create({"--title", "Defaults"});
  EXPECT_TRUE(Uuid::parse(id)) << id;
  Exam exam = stored(id).exam;
  EXPECT_EQ(exam.signature().summary(), "20 questions, A\u2013D, 6-digit ID, US Letter");
  EXPECT_EQ(exam.versions.size(), 1u);

  std::string big = create({"--title", "Clamped", "--questions", "500", "--choices", "9",
                            "--id-digits", "12", "--versions", "7", "--paper", "a4"});
  Exam clamped = stored(big).exam;
  EXPECT_EQ(clamped.signature().summary(), "200 questions, A\u2013E, 10-digit ID, A4");
  EXPECT_EQ(clamped.versions.size(), 4u);
}

TEST_F(ExamCommands, newTakesTheSeedKeyAndVersionsAsTyped) {
  std::string id =
      create({"--title", "Seeded", "--questions", "10", "--versions", "3", "--shuffle-choices",
              "--seed", "18446744073709551615", "--key", "abcda bcdab"});
  Exam exam = stored(id).exam;
  EXPECT_EQ(exam.seed, 18446744073709551615ULL);
  EXPECT_EQ(exam.versions.size(), 3u);
  EXPECT_TRUE(exam.shuffleChoices);
  for (size_t q = 0; q < 10; ++q)
    EXPECT_EQ(exam.key[q].correct, std::set<int>{static_cast<int>(q % 4)}) << q;
}

TEST_F(ExamCommands, showJsonPrintsTheStoredDocumentExactly) {
  std::string id = create({"--title", "Json", "--questions", "3"});
  CliResult shown = run({"show", "Json", "--json"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  auto decoded = DocumentJSON::decode(shown.out);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, stored(id));
  EXPECT_EQ(shown.out, *DocumentJSON::encode(stored(id)) + "\n");
}

TEST_F(ExamCommands, showSummarisesKeyVersionsAndRoster) {
  std::string id = create({"--title", "Shown", "--questions", "4", "--versions", "2"});
  ASSERT_EQ(
      run({"key", id.substr(0, 6), "--question", "2", "--answers", "AC", "--points", "2.5"}).status,
      0);
  ASSERT_EQ(run({"key", "Shown", "--question", "3", "--drop"}).status, 0);
  CliResult shown = run({"show", id.substr(0, 8)});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("4 questions, A\u2013D, 6-digit ID, US Letter"), std::string::npos);
  EXPECT_NE(shown.out.find("2. A/C · 2.5 points"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("3. – · dropped"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("Key: 2 unkeyed"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("B: "), std::string::npos);
  EXPECT_NE(shown.out.find("Roster: 0 students"), std::string::npos);
}

TEST_F(ExamCommands, keyTextFillsFromTheGivenQuestion) {
  std::string id = create({"--title", "Keyed", "--questions", "6"});
  CliResult r = run({"key", "Keyed", "b c e a", "--from", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Set 3 answers; 3 still unkeyed.\n");
  Exam exam = stored(id).exam;
  EXPECT_TRUE(exam.key[1].correct.empty());
  EXPECT_EQ(exam.key[2].correct, std::set<int>{1});
  EXPECT_EQ(exam.key[3].correct, std::set<int>{2});
  EXPECT_TRUE(exam.key[4].correct.empty()); // E is not a choice: used up, not set
  EXPECT_EQ(exam.key[5].correct, std::set<int>{0});
}

TEST_F(ExamCommands, keyRejectsBadQuestionsAndLettersWithoutSaving) {
  std::string id = create({"--title", "Strict", "--questions", "5", "--choices", "3"});
  ExamDocument before = stored(id);
  for (auto args : std::vector<std::vector<std::string>>{
           {"key", "Strict", "--question", "6", "--answers", "A"},
           {"key", "Strict", "--question", "1", "--answers", "D"},
           {"key", "Strict"},
           {"key", "Strict", "--points", "2"},
           {"key", "Strict", "--question", "1", "--drop", "--count"}}) {
    CliResult r = run(args);
    EXPECT_EQ(r.status, 2) << args[2];
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_EQ(stored(id), before);
}

TEST_F(ExamCommands, versionsGrowReshuffleAndTakeTypedOrders) {
  std::string id = create({"--title", "Versions", "--questions", "5", "--seed", "77"});
  CliResult grown = run({"versions", "Versions", "--count", "3", "--shuffle-choices", "on"});
  ASSERT_EQ(grown.status, 0) << grown.err;
  Exam exam = stored(id).exam;
  EXPECT_EQ(exam.versions.size(), 3u);
  EXPECT_TRUE(exam.shuffleChoices);
  EXPECT_EQ(exam.seed, 77u) << "more versions keep the seed";

  CliResult typed = run({"versions", "Versions", "--order", "c", "5, 4 3,2 1"});
  ASSERT_EQ(typed.status, 0) << typed.err;
  EXPECT_NE(typed.out.find("C: 5 4 3 2 1\n"), std::string::npos) << typed.out;
  EXPECT_EQ(stored(id).exam.versions[2].order, (std::vector<int>{4, 3, 2, 1, 0}));

  uint64_t seed = stored(id).exam.seed;
  ASSERT_EQ(run({"versions", "Versions", "--reshuffle"}).status, 0);
  EXPECT_NE(stored(id).exam.seed, seed);
}

TEST_F(ExamCommands, badTypedOrdersAreRefusedWithTheirStatusAndSentence) {
  std::string id = create({"--title", "Orders", "--questions", "4", "--versions", "2"});
  ExamDocument before = stored(id);
  struct Case {
    const char *version, *order;
    int status;
    std::string err; // empty: any one sentence
  };
  for (const Case &c : std::vector<Case>{
           {"A", "1 2 3 4", 1, "Version A is always in master order.\n"},
           {"B", "1 2 2 4", 1,
            "Type each question number from 1 to 4 once, in the order version prints them.\n"},
           {"B", "1 two 3 4", 1, ""},
           {"F", "1 2 3 4", 2, ""}}) {
    CliResult r = run({"versions", "Orders", "--order", c.version, c.order});
    EXPECT_EQ(r.status, c.status) << c.order;
    if (!c.err.empty()) {
      EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_EQ(stored(id), before);
}

TEST_F(ExamCommands, testsAreNamedByTitleOrUniqueIdPrefix) {
  std::string a = create({"--title", "Same"});
  std::string b = create({"--title", "Same"});
  CliResult ambiguous = run({"show", "Same"});
  EXPECT_EQ(ambiguous.status, 2);
  EXPECT_NE(ambiguous.err.find("More than one test"), std::string::npos);
  EXPECT_EQ(run({"show", a.substr(0, 13)}).status, 0);
  std::string lower = b;
  std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return std::tolower(c); });
  EXPECT_EQ(run({"show", lower}).status, 0);
  CliResult unknown = run({"show", "Nope"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("“Nope”"), std::string::npos);
}

TEST_F(ExamCommands, listIsNewestFirstAndDeleteRemovesTheTest) {
  create({"--title", "Older"});
  std::string newer = create({"--title", "Newer", "--questions", "7", "--versions", "2"});
  CliResult listed = run({"list"});
  ASSERT_EQ(listed.status, 0);
  EXPECT_EQ(firstLine(listed.out), newer + "\tNewer\t7 questions\t2 versions\t0 graded sheets");
  EXPECT_NE(listed.out.find("\tOlder\t20 questions\t1 version\t"), std::string::npos);
  ASSERT_EQ(run({"delete", "Newer"}).status, 0);
  EXPECT_EQ(run({"list"}).out.find("Newer"), std::string::npos);
  EXPECT_EQ(run({"delete", "Newer"}).status, 2);
}

TEST_F(ExamCommands, everyCommandHasHelpAndUnknownCommandsAreUsageErrors) {
  for (const char *command :
       {"new", "list", "show", "key", "versions", "roster", "sheets", "delete"}) {
    CliResult help = run({command, "--help"});
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_NE(help.out.find("Usage"), std::string::npos) << command;
  }
  EXPECT_EQ(run({"frobnicate"}).status, 2);
  EXPECT_EQ(run({}).status, 2);
}

} // namespace
} // namespace ovalon
