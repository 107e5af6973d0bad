#pragma once

#include "library/ExamDocument.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ovalon::testing {

// Commands run on a graded class. Once per suite, the small class is graded
// through ovalon-cli from "class.pdf" into a library; every test then works on
// a fresh copy of it, with the suite's other scans written beside.
class GradedClassTest : public ::testing::Test {
protected:
  // `students` graded from class.pdf; `others` written as further scans, by file name.
  static void prepare(const std::vector<int> &students,
                      const std::vector<std::pair<std::string, std::vector<int>>> &others);
  static void TearDownTestSuite();
  void SetUp() override;

  static std::string scan(const std::string &name);
  ExamDocument stored() const;
  // Every picture in the test's folder is one the document refers to, and the reverse.
  void expectNoStrayPictures() const;

  static inline std::unique_ptr<TempDir> graded, scans;
  static inline Uuid id;
  TempDir library;
};

} // namespace ovalon::testing
