#pragma once

#include "grading/ItemAnalysis.h"
#include "model/Bytes.h"
#include "model/Date.h"
#include "model/Exam.h"
#include "reports/ResultSlip.h"
#include "reports/SlipLayout.h"

#include <optional>
#include <vector>

// The printable documents of a test, as PDF bytes on the test's own paper (A4 or US
// Letter); nothing when no PDF could be made. `today` is the date printed on them.
namespace ovalon::Reports {

// The score summary and one table row per question.
std::optional<Bytes> itemAnalysisPDF(const Exam &exam, const ItemAnalysis &analysis,
                                     Date today = Date::now());

// One listing per version of each printed number's answer and, past version A, the master
// question it comes from.
std::optional<Bytes> answerKeysPDF(const Exam &exam);

// The slips one or four to a page.
std::optional<Bytes> slipsPDF(const std::vector<ResultSlip> &slips, const Exam &exam,
                              SlipLayout layout, Date today = Date::now());

} // namespace ovalon::Reports
