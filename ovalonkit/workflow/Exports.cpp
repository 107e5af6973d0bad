#include "workflow/Exports.h"

#include "grading/ItemAnalysis.h"
#include "reports/Gradebook.h"
#include "reports/Reports.h"
#include "reports/ResultSlip.h"

#include <algorithm>

namespace ovalon::Exports {

namespace {

std::string trimmed(std::string text) {
  auto isSpace = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && isSpace(static_cast<unsigned char>(text.back())))
    text.pop_back();
  size_t start = 0;
  while (start < text.size() && isSpace(static_cast<unsigned char>(text[start])))
    ++start;
  return text.substr(start);
}

// The first `count` characters of UTF-8 text.
std::string firstCharacters(const std::string &text, size_t count) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (starts && characters++ == count)
      return text.substr(0, i);
  }
  return text;
}

} // namespace

int openItemCount(const ExamDocument &document) {
  return document.openItemCount();
}

std::optional<std::string> blocker(const ExamDocument &document) {
  if (std::ranges::all_of(document.sheets, &ScannedSheet::excluded))
    return "Grade some sheets first.";
  size_t unkeyed = document.exam.unkeyedQuestions().size();
  if (unkeyed > 0)
    return std::to_string(unkeyed) + " question" + (unkeyed == 1 ? " has" : "s have") +
           " no answer in the key.";
  int open = openItemCount(document);
  if (open > 0)
    return std::to_string(open) + " item" + (open == 1 ? "" : "s") + " still need" +
           (open == 1 ? "s" : "") + " a look in Review.";
  return std::nullopt;
}

std::string suggestedFileName(std::string_view name, std::string_view extension) {
  std::string text(name);
  std::ranges::replace(text, '/', '-');
  std::ranges::replace(text, ':', '-');
  text = trimmed(std::move(text));
  if (text.empty())
    text = "Ovalon";
  return firstCharacters(text, 120) + "." + std::string(extension);
}

Bytes scores(const ExamDocument &document, bool answers) {
  return Gradebook::data(document.exam, document.roster.students, document.sheets, answers);
}

std::optional<Bytes> slips(const ExamDocument &document, SlipLayout layout) {
  return Reports::slipsPDF(ResultSlip::all(document.exam, document.roster, document.sheets),
                           document.exam, layout);
}

std::optional<Bytes> report(const ExamDocument &document) {
  return Reports::itemAnalysisPDF(document.exam,
                                  ItemAnalysis::analyze(document.exam, document.sheets));
}

std::optional<Bytes> answerKeys(const ExamDocument &document) {
  return Reports::answerKeysPDF(document.exam);
}

} // namespace ovalon::Exports
