#include "workflow/Exports.h"

#include "grading/ItemAnalysis.h"
#include "reports/Gradebook.h"
#include "reports/Reports.h"
#include "reports/ResultSlip.h"

#include <algorithm>

namespace ovalon::Exports {

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// What stands in for a character some file system or other computer refuses in a name.
// Between two words' letters "/" and ":" read as a hyphen ("3/4" gives "3-4"); set apart by
// a space they separate parts of the title ("Unit 3: Cells" gives "Unit 3 - Cells").
std::string replacement(std::string_view text, size_t i) {
  const char c = text[i];
  const bool joined =
      i > 0 && i + 1 < text.size() && !isSpace(text[i - 1]) && !isSpace(text[i + 1]);
  switch (c) {
  case '/':
  case '\\':
  case ':':
    return joined ? "-" : " - ";
  case '|':
    return " - ";
  case '"':
    return "'";
  case '*':
  case '?':
  case '<':
  case '>':
    return "";
  default:
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? " " : std::string(1, c);
  }
}

// Spaces, hyphens and dots at either end make names that hide themselves (".x"), look like
// command options ("-x") or are refused on other systems ("x.").
std::string trimmedEnds(std::string text) {
  auto loose = [](char c) { return isSpace(c) || c == '-' || c == '.'; };
  size_t start = 0;
  while (start < text.size() && loose(text[start]))
    ++start;
  size_t end = text.size();
  while (end > start && loose(text[end - 1]))
    --end;
  return text.substr(start, end - start);
}

// At most `characters` characters and `bytes` bytes of UTF-8 text (file systems count
// bytes), cut at a space when one is near the end so no word is left half.
std::string shortened(const std::string &text, size_t characters, size_t bytes) {
  size_t count = 0, cut = text.size();
  for (size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if ((lead & 0xC0) == 0x80)
      continue;
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (count++ == characters || i + length > bytes) {
      cut = i;
      break;
    }
  }
  if (cut == text.size())
    return text;
  const size_t space = text.rfind(' ', cut);
  if (space != std::string::npos && space + 24 > cut)
    cut = space;
  return text.substr(0, cut);
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
  std::string text;
  for (size_t i = 0; i < name.size(); ++i) {
    const std::string part = replacement(name, i);
    for (char c : part)
      if (!isSpace(c) || (!text.empty() && text.back() != ' '))
        text += isSpace(c) ? ' ' : c;
  }
  text = trimmedEnds(shortened(trimmedEnds(std::move(text)), 120, 240));
  if (text.empty())
    text = "Ovalon";
  return text + "." + std::string(extension);
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
