#include "scanning/KeyScan.h"

#include "model/Choices.h"
#include "scanning/MarkReading.h"

#include <algorithm>
#include <map>
#include <set>

namespace ovalon::KeyScan {

namespace {

std::optional<int> masterChoice(const ExamVersion &version, std::optional<int> printed,
                                int position) {
  if (!printed)
    return std::nullopt;
  return version.masterChoice(*printed, position);
}

KeyRead answer(int question, const ExamVersion &version, const Exam &exam,
               const std::map<int, const PageOutcome *> &taken) {
  int position = version.position(question);
  if (std::ranges::find(version.order, question) == version.order.end())
    position = question;
  KeyRead read{question, position, MarkRead::empty(exam.choiceCount), {}, {}, {}, true};
  auto page = taken.find(position / Exam::questionsPerPage + 1);
  if (page == taken.end())
    return read;
  const PageOutcome &outcome = *page->second;
  auto row = std::ranges::find(outcome.questions, position, &QuestionRead::position);
  if (row == outcome.questions.end())
    return read;
  read.mark = row->mark;
  read.choice = masterChoice(version, row->mark.choice, position);
  read.suggestion = masterChoice(version, row->mark.strongest, position);
  if (auto crop = outcome.crops.find(position); crop != outcome.crops.end())
    read.crop = crop->second;
  read.missing = false;
  return read;
}

} // namespace

std::expected<ScannedKey, KeyScanError> readKey(const std::vector<PageOutcome> &outcomes,
                                                const Exam &exam) {
  std::vector<const PageOutcome *> usable;
  for (const PageOutcome &outcome : outcomes)
    if (!outcome.problem && outcome.identity)
      usable.push_back(&outcome);
  if (usable.empty())
    return std::unexpected(
        KeyScanError{outcomes.empty() ? std::nullopt : outcomes.front().problem});

  int version = usable.front()->identity->version;
  const ExamVersion *printed = exam.version(version);
  if (!printed)
    return std::unexpected(KeyScanError{});

  ScannedKey key;
  key.id = Uuid::random();
  key.source = usable.front()->source;
  key.version = version;
  key.preview = usable.front()->preview;
  std::map<int, const PageOutcome *> taken; // by printed page number
  size_t next = 0;
  for (; next < usable.size(); ++next) {
    const SheetIdentity &identity = *usable[next]->identity;
    if (identity.version != version || taken.contains(identity.page))
      break;
    taken[identity.page] = usable[next];
    key.sourcePages.push_back(usable[next]->sourcePage);
  }
  for (; next < usable.size(); ++next)
    key.extraSheets += usable[next]->identity->page == 1;

  for (int q = 0; q < exam.questionCount; ++q)
    key.answers.push_back(answer(q, *printed, exam, taken));
  int pages = (exam.questionCount + Exam::questionsPerPage - 1) / Exam::questionsPerPage;
  for (int page = 1; page <= pages; ++page)
    if (!taken.contains(page))
      key.missingPages.push_back(page);
  return key;
}

std::string note(const KeyRead &read) {
  if (read.missing)
    return "Its page of the key sheet wasn\u2019t in the scan.";
  if (!read.mark.flag)
    return "";
  std::string letters;
  for (int slot : MarkReading::marked(read.mark, MarkThresholds{}))
    letters += (letters.empty() ? "" : " and ") + Choices::letter(slot);
  switch (*read.mark.flag) {
  case MarkFlag::blank:
    return "No bubble is filled on the key.";
  case MarkFlag::double_:
    return letters.empty() ? "More than one bubble is marked." : letters + " are both marked.";
  case MarkFlag::faint:
    return "Only a light mark" + (letters.empty() ? "" : " on " + letters) + ".";
  case MarkFlag::unaligned:
    return "The key sheet is bent or folded here, so this row couldn\u2019t be read for sure.";
  }
  return "";
}

} // namespace ovalon::KeyScan
