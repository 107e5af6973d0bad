#include "ScoreReport.h"

#include "grading/Scoring.h"
#include "model/Choices.h"
#include "reports/PointsText.h"

#include <cstdio>
#include <iostream>

namespace ovalon::cli {

using nlohmann::json;

namespace {

using nlohmann::json;

std::string fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

std::string studentName(const ScannedSheet &sheet, const Roster &roster) {
  auto id = sheet.studentID();
  if (!id)
    return "Unknown";
  auto student = roster.student(*id);
  return student ? student->name() : "Not on roster";
}

json sheetJSON(const ScannedSheet &sheet, const ExamDocument &doc) {
  SheetScore score = Scoring::score(sheet, doc.exam);
  auto id = sheet.studentID();
  return {{"number", sheet.number},
          {"student", studentName(sheet, doc.roster)},
          {"studentID", id ? json(*id) : json(nullptr)},
          {"version", Choices::letter(sheet.version)},
          {"earned", score.earned},
          {"possible", score.possible},
          {"percent", score.percent()},
          {"provisional", score.provisional}};
}

} // namespace

void printSheetScores(const ExamDocument &doc) {
  for (const ScannedSheet &sheet : doc.sheets) {
    if (sheet.excluded)
      continue;
    SheetScore score = Scoring::score(sheet, doc.exam);
    std::cout << "Sheet " << sheet.number << '\t' << studentName(sheet, doc.roster) << '\t'
              << sheet.studentID().value_or("–") << '\t' << Choices::letter(sheet.version) << '\t'
              << pointsText(score.earned) << " / " << pointsText(score.possible) << '\t'
              << fixed(score.percent(), 1) << "%" << (score.provisional ? "\tprovisional" : "")
              << "\n";
  }
}

void printClassSummary(const ExamSummary &s) {
  std::cout << "\nSheets: " << s.count << "\nMean: " << fixed(s.mean, 1)
            << "%\nMedian: " << fixed(s.median, 1)
            << "%\nStandard deviation: " << fixed(s.standardDeviation, 1)
            << "\nHigh: " << fixed(s.high, 1) << "%\nLow: " << fixed(s.low, 1)
            << "%\nReliability (KR-20): " << (s.reliability ? fixed(*s.reliability, 2) : "–")
            << "\nHistogram:";
  for (size_t bin = 0; bin < s.histogram.size(); ++bin)
    std::cout << " " << bin * 10 << (bin == 9 ? "–100" : "–" + std::to_string(bin * 10 + 9)) << ":"
              << s.histogram[bin];
  std::cout << "\n";
  for (const auto &[version, mean] : s.versionMeans)
    std::cout << "Version " << Choices::letter(version) << " mean: " << fixed(mean, 1) << "% ("
              << s.versionCounts.at(version) << " sheets)\n";
}

void printItemTable(const std::vector<ItemStats> &items) {
  std::cout << "\nQuestion\tKey\t% right\tDiscrimination\tPoint-biserial\tAnswers\tBlank\tNotes\n";
  for (const ItemStats &item : items) {
    std::string answers;
    for (size_t c = 0; c < item.choiceCounts.size(); ++c)
      answers += (answers.empty() ? "" : " ") + Choices::letter(static_cast<int>(c)) + ":" +
                 std::to_string(item.choiceCounts[c]);
    std::string notes;
    for (const ItemNote &note : item.notes)
      notes += (notes.empty() ? "" : " ") + note.text();
    std::cout << item.question + 1 << '\t'
              << (item.dropped       ? "dropped"
                  : item.key.empty() ? "–"
                                     : Choices::text(item.key))
              << '\t' << fixed(item.p * 100, 0) << '\t' << fixed(item.discrimination, 2) << '\t'
              << (item.pointBiserial ? fixed(*item.pointBiserial, 2) : "–") << '\t' << answers
              << '\t' << item.blankCount << '\t' << notes << "\n";
  }
}

json scoresJSON(const ExamDocument &doc, const ItemAnalysis &analysis) {
  const ExamSummary &s = analysis.summary;
  json sheets = json::array();
  for (const ScannedSheet &sheet : doc.sheets)
    if (!sheet.excluded)
      sheets.push_back(sheetJSON(sheet, doc));
  json versions = json::object();
  for (const auto &[version, mean] : s.versionMeans)
    versions[Choices::letter(version)] = {{"mean", mean}, {"sheets", s.versionCounts.at(version)}};
  json items = json::array();
  for (const ItemStats &item : analysis.items) {
    json notes = json::array();
    for (const ItemNote &note : item.notes)
      notes.push_back(note.text());
    items.push_back(
        {{"question", item.question + 1},
         {"key", Choices::text(item.key)},
         {"dropped", item.dropped},
         {"percentRight", item.p * 100},
         {"discrimination", item.discrimination},
         {"pointBiserial", item.pointBiserial ? json(*item.pointBiserial) : json(nullptr)},
         {"choiceCounts", item.choiceCounts},
         {"blank", item.blankCount},
         {"notes", notes}});
  }
  return {{"summary",
           {{"sheets", s.count},
            {"mean", s.mean},
            {"median", s.median},
            {"standardDeviation", s.standardDeviation},
            {"high", s.high},
            {"low", s.low},
            {"reliability", s.reliability ? json(*s.reliability) : json(nullptr)},
            {"histogram", s.histogram},
            {"versions", versions}}},
          {"items", items},
          {"sheets", sheets}};
}

} // namespace ovalon::cli
