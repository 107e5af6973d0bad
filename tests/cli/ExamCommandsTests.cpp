#include "library/DocumentJSON.h"
#include "library/ExamLibrary.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>

namespace ovalon {
namespace {

using namespace testing;

std::string firstLine(const std::string &text) {
  return text.substr(0, text.find('\n'));
}

class ExamCommands : public ::testing::Test {
protected:
  TempDir library;
  CliResult run(const std::vector<std::string> &args) { return runCli(library.path(), args); }
  ExamDocument stored(const std::string &id) {
    return ExamLibrary{library.path()}.load(*Uuid::parse(id)).value().document;
  }
  std::string create(std::vector<std::string> args) {
    args.insert(args.begin(), "new");
    CliResult r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return firstLine(r.out);
  }
};

TEST_F(ExamCommands, newStoresDefaultsClampedSizesAndWhatIsTyped) {
  for (const auto &[args, summary, versions] :
       std::vector<std::tuple<std::vector<std::string>, std::string, size_t>>{
           {{"--title", "Defaults"}, "20 questions, A\u2013D, 6-digit ID, US Letter", 1},
           {{"--title", "Clamped", "--questions", "500", "--choices", "9", "--id-digits", "12",
             "--versions", "7", "--paper", "a4"},
            "200 questions, A\u2013E, 10-digit ID, A4",
            4}}) {
    std::string id = create(args);
    EXPECT_TRUE(Uuid::parse(id)) << id;
    EXPECT_EQ(stored(id).exam.signature().summary(), summary);
    EXPECT_EQ(stored(id).exam.versions.size(), versions);
  }

  Exam exam = stored(create({"--title", "Seeded", "--questions", "10", "--versions", "3",
                             "--shuffle-choices", "--seed", "18446744073709551615", "--key",
                             "abcda bcdab"}))
                  .exam;
  EXPECT_EQ(exam.seed, 18446744073709551615ULL);
  EXPECT_EQ(exam.versions.size(), 3u);
  EXPECT_TRUE(exam.shuffleChoices);
  for (size_t q = 0; q < 10; ++q)
    EXPECT_EQ(exam.key[q].correct, std::set<int>{static_cast<int>(q % 4)}) << q;
}

TEST_F(ExamCommands, keyChangesAreShownAsTextAndAsTheStoredDocument) {
  std::string id = create({"--title", "Shown", "--questions", "7", "--versions", "2"});
  ASSERT_EQ(
      run({"key", id.substr(0, 6), "--question", "2", "--answers", "AC", "--points", "2.5"}).status,
      0);
  ASSERT_EQ(run({"key", "Shown", "--question", "3", "--drop"}).status, 0);
  CliResult typed = run({"key", "Shown", "b c e a", "--from", "4"});
  EXPECT_EQ(typed.out, "Set 3 answers; 2 still unkeyed.\n") << typed.err;
  Exam exam = stored(id).exam;
  EXPECT_EQ(exam.key[3].correct, std::set<int>{1});
  EXPECT_EQ(exam.key[4].correct, std::set<int>{2});
  EXPECT_TRUE(exam.key[5].correct.empty()); // E is not a choice: used up, not set
  EXPECT_EQ(exam.key[6].correct, std::set<int>{0});

  CliResult shown = run({"show", id.substr(0, 8)});
  ASSERT_EQ(shown.status, 0) << shown.err;
  for (const char *line : {"7 questions, A\u2013D, 6-digit ID, US Letter", "2. A/C · 2.5 points",
                           "3. – · dropped", "Key: 2 unkeyed", "B: ", "Roster: 0 students"})
    EXPECT_NE(shown.out.find(line), std::string::npos) << line << "\n" << shown.out;

  CliResult json = run({"show", "Shown", "--json"});
  EXPECT_EQ(json.out, *DocumentJSON::encode(stored(id)) + "\n");
}

TEST_F(ExamCommands, refusedKeysAndOrdersAreOneSentenceAndSaveNothing) {
  std::string id = create({"--title", "Strict", "--questions", "4", "--choices", "3", "--versions",
                           "2", "--seed", "77"});
  ExamDocument before = stored(id);
  using Case = std::tuple<std::vector<std::string>, int, std::string>; // err empty: any
  for (const auto &[args, status, err] : std::vector<Case>{
           {{"key", "Strict", "--question", "5", "--answers", "A"}, 2, ""},
           {{"key", "Strict", "--question", "1", "--answers", "D"}, 2, ""},
           {{"key", "Strict"}, 2, ""},
           {{"key", "Strict", "--points", "2"}, 2, ""},
           {{"key", "Strict", "--question", "1", "--drop", "--count"}, 2, ""},
           {{"versions", "Strict", "--order", "A", "1 2 3 4"},
            1,
            "Version A is always in master order.\n"},
           {{"versions", "Strict", "--order", "B", "1 2 2 4"},
            1,
            "Type each question number from 1 to 4 once, in the order version prints them.\n"},
           {{"versions", "Strict", "--order", "B", "1 two 3 4"}, 1, ""},
           {{"versions", "Strict", "--order", "F", "1 2 3 4"}, 2, ""}}) {
    CliResult r = run(args);
    EXPECT_EQ(r.status, status) << args[2];
    EXPECT_TRUE(err.empty() || r.err == err) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_EQ(stored(id), before);

  ASSERT_EQ(run({"versions", "Strict", "--count", "3", "--shuffle-choices", "on"}).status, 0);
  EXPECT_EQ(stored(id).exam.versions.size(), 3u);
  EXPECT_TRUE(stored(id).exam.shuffleChoices);
  EXPECT_EQ(stored(id).exam.seed, 77u) << "more versions keep the seed";
  CliResult typed = run({"versions", "Strict", "--order", "c", "4, 3 2,1"});
  EXPECT_NE(typed.out.find("C: 4 3 2 1\n"), std::string::npos) << typed.out << typed.err;
  EXPECT_EQ(stored(id).exam.versions[2].order, (std::vector<int>{3, 2, 1, 0}));
  ASSERT_EQ(run({"versions", "Strict", "--reshuffle"}).status, 0);
  EXPECT_NE(stored(id).exam.seed, 77u);
}

TEST_F(ExamCommands, testsAreNamedListedNewestFirstAndDeleted) {
  std::string a = create({"--title", "Same"});
  std::string b = create({"--title", "Same", "--questions", "7", "--versions", "2"});
  CliResult ambiguous = run({"show", "Same"});
  EXPECT_EQ(ambiguous.status, 2);
  EXPECT_NE(ambiguous.err.find("More than one test"), std::string::npos);
  EXPECT_EQ(run({"show", a.substr(0, 13)}).status, 0);
  CliResult unknown = run({"show", "Nope"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("“Nope”"), std::string::npos);

  CliResult listed = run({"list"});
  EXPECT_EQ(firstLine(listed.out), b + "\tSame\t7 questions\t2 versions\t0 graded sheets");
  EXPECT_NE(listed.out.find(a + "\tSame\t20 questions\t1 version\t"), std::string::npos);
  ASSERT_EQ(run({"delete", b}).status, 0);
  EXPECT_EQ(run({"list"}).out.find(b), std::string::npos);
  EXPECT_EQ(run({"delete", b}).status, 2);
}

} // namespace
} // namespace ovalon
