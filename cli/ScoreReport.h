#pragma once

#include "grading/ItemAnalysis.h"
#include "library/ExamDocument.h"

#include <nlohmann/json.hpp>

namespace ovalon::cli {

// The scores as the CLI prints them: one tab-separated line per included
// sheet, the class summary and the item table.
void printSheetScores(const ExamDocument &doc);
void printClassSummary(const ExamSummary &summary);
void printItemTable(const std::vector<ItemStats> &items);

// The same as one JSON object: "sheets", "summary" and "items".
nlohmann::json scoresJSON(const ExamDocument &doc, const ItemAnalysis &analysis);

} // namespace ovalon::cli
