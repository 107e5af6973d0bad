#include "workflow/Review.h"

#include "grading/Assembly.h"
#include "scanning/Grader.h"
#include "scanning/GrayImage.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace ovalon::Review {

namespace {

ScannedSheet *findSheet(ExamDocument &document, const Uuid &id) {
  auto found = std::ranges::find(document.sheets, id, &ScannedSheet::id);
  return found == document.sheets.end() ? nullptr : &*found;
}

void refreshIDs(ExamDocument &document) {
  document.sheets =
      Assembly::refreshIDFlags(std::move(document.sheets), document.exam, document.roster.students);
}

} // namespace

std::vector<Item> items(const ExamDocument &document) {
  std::vector<Item> list;
  for (const ScanIssue &issue : document.issues)
    list.push_back({Item::Issue{issue.id}});
  std::vector<const ScannedSheet *> sheets;
  for (const ScannedSheet &sheet : document.sheets)
    sheets.push_back(&sheet);
  std::ranges::stable_sort(sheets, {}, &ScannedSheet::number);
  for (const ScannedSheet *sheet : sheets)
    for (const ReviewFlag &flag : sheet->flags)
      list.push_back({Item::Flag{sheet->id, flag.id}});
  return list;
}

std::vector<std::string> names(const ExamDocument &document, const std::vector<Item> &list) {
  std::vector<std::string> out;
  std::map<std::string, int> used;
  for (const Item &item : list) {
    std::string name = "?";
    if (const auto *ref = std::get_if<Item::Issue>(&item.target)) {
      auto issue = std::ranges::find(document.issues, ref->issue, &ScanIssue::id);
      if (issue != document.issues.end())
        name = issue->source + "#" + std::to_string(issue->sourcePage);
    } else {
      const auto &flagRef = std::get<Item::Flag>(item.target);
      auto sheet = std::ranges::find(document.sheets, flagRef.sheet, &ScannedSheet::id);
      if (sheet != document.sheets.end()) {
        auto flag = std::ranges::find(sheet->flags, flagRef.flag, &ReviewFlag::id);
        if (flag != sheet->flags.end()) {
          name = "S" + std::to_string(sheet->number) + ":";
          if (flag->kind == FlagKind::studentID)
            name += "id";
          else if (flag->kind == FlagKind::missingPage)
            name += "pages";
          else
            name += "Q" + std::to_string(questionNumber(document.exam, *sheet, *flag).value_or(0));
        }
      }
    }
    int seen = ++used[name];
    out.push_back(seen == 1 ? name : name + "/" + std::to_string(seen));
  }
  return out;
}

std::optional<Item> named(const ExamDocument &document, const std::vector<Item> &list,
                          std::string_view name) {
  auto folded = [](std::string_view text) {
    std::string out(text);
    if (out.starts_with('s') || out.starts_with('S'))
      std::ranges::transform(out, out.begin(),
                             [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
  };
  std::vector<std::string> all = names(document, list);
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i] == name || (all[i].starts_with('S') && folded(all[i]) == folded(name)))
      return list[i];
  return std::nullopt;
}

bool isOpen(const ExamDocument &document, const Item &item) {
  if (const auto *issue = std::get_if<Item::Issue>(&item.target)) {
    auto found = std::ranges::find(document.issues, issue->issue, &ScanIssue::id);
    return found != document.issues.end() && !found->dismissed;
  }
  const auto &flag = std::get<Item::Flag>(item.target);
  auto sheet = std::ranges::find(document.sheets, flag.sheet, &ScannedSheet::id);
  if (sheet == document.sheets.end() || sheet->excluded)
    return false;
  auto found = std::ranges::find(sheet->flags, flag.flag, &ReviewFlag::id);
  return found != sheet->flags.end() && !found->resolution;
}

std::optional<Item> step(const std::vector<Item> &list, const std::optional<Item> &from,
                         bool forward, const std::function<bool(const Item &)> &accept) {
  const long count = static_cast<long>(list.size());
  auto at = from ? std::ranges::find(list, *from) : list.end();
  // Without a starting point, going forward starts at the top and backward at the bottom.
  long start = at == list.end() ? (forward ? -1 : count) : at - list.begin();
  for (long offset = 1; offset <= count; ++offset) {
    long index = ((start + (forward ? offset : -offset)) % count + count) % count;
    if (accept(list[static_cast<size_t>(index)]))
      return list[static_cast<size_t>(index)];
  }
  return std::nullopt;
}

std::optional<int> questionNumber(const Exam &exam, const ScannedSheet &sheet,
                                  const ReviewFlag &flag) {
  if (!flag.position)
    return std::nullopt;
  const ExamVersion *version = exam.version(sheet.version);
  int position = *flag.position;
  if (!version || position < 0 || position >= static_cast<int>(version->order.size()))
    return position + 1;
  return version->question(position) + 1;
}

bool resolve(ExamDocument &document, const Uuid &sheetID, const Uuid &flagID,
             std::optional<Resolution> resolution) {
  ScannedSheet *sheet = findSheet(document, sheetID);
  if (!sheet)
    return false;
  auto flag = std::ranges::find(sheet->flags, flagID, &ReviewFlag::id);
  if (flag == sheet->flags.end())
    return false;
  bool excludes = resolution && std::holds_alternative<Resolution::Exclude>(resolution->decision);
  bool aboutID = flag->kind == FlagKind::studentID;
  // A later ID flag only says the sheet's decided student has another sheet
  // too; picking someone else is a new decision on the sheet's ID.
  auto firstID = std::ranges::find(sheet->flags, FlagKind::studentID, &ReviewFlag::kind);
  if (aboutID && firstID != flag && resolution &&
      std::holds_alternative<Resolution::Student>(resolution->decision)) {
    firstID->resolution = std::move(resolution);
    sheet->flags.erase(flag);
    refreshIDs(document);
    return true;
  }
  flag->resolution = std::move(resolution);
  if (excludes)
    sheet->excluded = true;
  if (excludes || aboutID)
    refreshIDs(document);
  return true;
}

bool setExcluded(ExamDocument &document, const Uuid &sheetID, bool excluded) {
  ScannedSheet *sheet = findSheet(document, sheetID);
  if (!sheet)
    return false;
  sheet->excluded = excluded;
  if (!excluded)
    for (ReviewFlag &flag : sheet->flags)
      if (flag.resolution && std::holds_alternative<Resolution::Exclude>(flag.resolution->decision))
        flag.resolution.reset();
  refreshIDs(document);
  return true;
}

std::optional<std::vector<Uuid>> removeSheet(ExamDocument &document, const Uuid &sheetID) {
  auto sheet = std::ranges::find(document.sheets, sheetID, &ScannedSheet::id);
  if (sheet == document.sheets.end())
    return std::nullopt;
  std::vector<Uuid> pictures = sheet->pictures();
  document.sheets.erase(sheet);
  refreshIDs(document);
  return pictures;
}

std::optional<std::vector<Uuid>> removeSheets(ExamDocument &document,
                                              const std::vector<Uuid> &sheets) {
  for (const Uuid &id : sheets)
    if (!findSheet(document, id))
      return std::nullopt;
  std::vector<Uuid> pictures;
  std::erase_if(document.sheets, [&](ScannedSheet &sheet) {
    if (std::ranges::find(sheets, sheet.id) == sheets.end())
      return false;
    std::ranges::move(sheet.pictures(), std::back_inserter(pictures));
    return true;
  });
  refreshIDs(document);
  return pictures;
}

bool dismissIssue(ExamDocument &document, const Uuid &issueID, bool dismissed) {
  auto issue = std::ranges::find(document.issues, issueID, &ScanIssue::id);
  if (issue == document.issues.end())
    return false;
  issue->dismissed = dismissed;
  return true;
}

std::expected<Regrade, std::string> gradeIssueAsVersion(ExamDocument &document, const Uuid &issueID,
                                                        int version, const Bytes &pageImage) {
  auto issue = std::ranges::find(document.issues, issueID, &ScanIssue::id);
  if (issue == document.issues.end())
    return std::unexpected("That page is no longer in the test.");
  if (!document.exam.version(version))
    return std::unexpected("This test has no version " + std::to_string(version + 1) + ".");
  auto page = GrayImage::fromImageData(pageImage);
  if (!page)
    return std::unexpected(std::string("The picture of that page couldn\u2019t be read."));

  const Exam &exam = document.exam;
  SheetIdentity assumed{exam.examCode(), version, 1, exam.signature(), false};
  PageOutcome outcome = Grader::readPage(*page, exam, issue->source, issue->sourcePage, assumed);
  AssemblyResult result =
      Assembly::assemble({outcome}, exam, document.roster.students, document.sheets);
  if (result.sheets.empty()) {
    std::string why = result.issues.empty() ? "" : " " + result.issues.front().title() + ".";
    return std::unexpected("The page still couldn\u2019t be read as an answer sheet." + why);
  }

  Regrade regrade{std::move(result.images), issue->image};
  document.issues.erase(issue);
  for (ScannedSheet &sheet : result.sheets)
    document.sheets.push_back(std::move(sheet));
  return regrade;
}

} // namespace ovalon::Review
