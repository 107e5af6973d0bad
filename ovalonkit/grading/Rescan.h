#pragma once

#include "grading/ScannedSheet.h"
#include "model/Bytes.h"
#include "model/Date.h"
#include "model/Exam.h"
#include "model/Roster.h"
#include "model/Uuid.h"
#include "scanning/PageOutcome.h"

#include <expected>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// Replacing one graded sheet by a fresh scan of the same paper: the new sheet keeps the old
// one's place and identity in the test, and the teacher's decisions carry over wherever the new
// scan reads the same.
namespace ovalon::Rescan {

// Why a rescan was refused.
struct Failure {
  struct NoSheet {
    std::optional<std::string> issueTitle; // the first scan issue's title
    bool operator==(const NoSheet &) const = default;
  };
  struct SeveralSheets {
    int count;
    bool operator==(const SeveralSheets &) const = default;
  };
  struct OnlyKey {
    bool operator==(const OnlyKey &) const = default;
  };
  struct NotFound {
    bool operator==(const NotFound &) const = default;
  };
  std::variant<NoSheet, SeveralSheets, OnlyKey, NotFound> reason;

  static Failure noSheet(std::optional<std::string> issueTitle) {
    return {NoSheet{std::move(issueTitle)}};
  }
  static Failure severalSheets(int count) { return {SeveralSheets{count}}; }
  static Failure onlyKey() { return {OnlyKey{}}; }
  static Failure notFound() { return {NotFound{}}; }

  std::string description() const;

  bool operator==(const Failure &) const = default;
};

// What happened, for the teacher.
struct Summary {
  int keptDecisions = 0;
  int openFlags = 0;    // on the new sheet
  int ignoredPages = 0; // answer-key pages plus unusable pages
  bool differentStudent = false;
  double oldScore = 0; // percent
  double newScore = 0; // percent

  // The report's sentences, each only when it applies: the score change, kept answers, a
  // different student, marks to review, pages left out.
  std::vector<std::string> sentences() const;

  bool operator==(const Summary &) const = default;
};

// What the caller still has to do once the document holds the new sheet: store the new
// pictures, delete the old ones and tell the teacher.
struct Replacement {
  std::map<Uuid, Bytes> images;     // the new sheet's page pictures (JPEG by id)
  std::vector<Uuid> replacedImages; // the old sheet's picture keys
  Summary summary;

  bool operator==(const Replacement &) const = default;
};

// Swaps the sheet `sheetID` of `sheets` for the one sheet assembled from `outcomes`, in
// place. On failure the sheets are left exactly as they were; the outcomes' unusable pages
// are only counted and never become issues of the test.
std::expected<Replacement, Failure> replace(const Uuid &sheetID, const Exam &exam,
                                            const Roster &roster, std::vector<ScannedSheet> &sheets,
                                            const std::vector<PageOutcome> &outcomes,
                                            Date now = Date::now());

} // namespace ovalon::Rescan
