#include "grading/Assembly.h"

#include "model/Choices.h"
#include "model/Roster.h"
#include "scanning/MarkReading.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>
#include <utility>

namespace ovalon::Assembly {

namespace {

ReviewFlag idFlag(std::string note) {
  return {Uuid::random(), FlagKind::studentID, {}, {}, {}, {}, std::move(note), {}};
}

std::vector<ReviewFlag> markFlags(PageOutcome &outcome) {
  std::vector<ReviewFlag> flags;
  for (const QuestionRead &read : outcome.questions) {
    if (!read.mark.flag)
      continue;
    auto crop = outcome.crops.find(read.position);
    flags.push_back(
        {Uuid::random(),
         FlagKindInfo::from(*read.mark.flag),
         read.position,
         crop == outcome.crops.end() ? std::nullopt : std::optional(std::move(crop->second)),
         read.mark.fills,
         read.mark.strongest,
         markNote(*read.mark.flag, read.mark.fills),
         {}});
  }
  return flags;
}

void placeMarks(ScannedSheet &sheet, const std::vector<QuestionRead> &questions, int count) {
  for (const QuestionRead &read : questions)
    if (read.position >= 0 && read.position < count)
      sheet.marks[static_cast<size_t>(read.position)] = read.mark;
}

// One student's sheet while its pages are being collected.
struct OpenSheet {
  ScannedSheet sheet;
  std::set<int> pages;
};

ScannedSheet finished(OpenSheet open, const Exam &exam) {
  std::string missing;
  for (int page = 1; page <= exam.pageCount(); ++page)
    if (!open.pages.contains(page))
      missing += (missing.empty() ? "" : ", ") + std::to_string(page);
  if (!missing.empty())
    open.sheet.flags.push_back({Uuid::random(),
                                FlagKind::missingPage,
                                {},
                                {},
                                {},
                                {},
                                "Page " + missing +
                                    " wasn't in the scan. Accept it with those answers blank, "
                                    "or leave the sheet out.",
                                {}});
  return std::move(open.sheet);
}

// The id of a picture already stored, or a new one it is filed under among the scan's images.
std::optional<Uuid> kept(std::optional<Bytes> &picture, std::optional<Uuid> stored,
                         std::map<Uuid, Bytes> &images) {
  if (stored || !picture)
    return stored;
  Uuid id = Uuid::random();
  images[id] = std::move(*picture);
  return id;
}

ScannedSheet firstPage(PageOutcome &outcome, const Exam &exam, int number,
                       std::optional<Uuid> picture, const PageOrigin &origin,
                       std::map<Uuid, Bytes> &images) {
  ScannedSheet sheet;
  sheet.id = Uuid::random();
  sheet.number = number;
  sheet.source = outcome.source;
  sheet.sourcePages = {outcome.sourcePage};
  sheet.cornerMethods = {outcome.method};
  sheet.version = outcome.identity->version;
  sheet.marks.assign(static_cast<size_t>(exam.questionCount), MarkRead::empty(exam.choiceCount));
  placeMarks(sheet, outcome.questions, exam.questionCount);
  sheet.idColumns = outcome.idColumns;
  sheet.readID = readID(outcome.idColumns);
  sheet.name = outcome.name;
  if (picture)
    sheet.pageImages.push_back(*picture);
  sheet.idImage = kept(outcome.idCrop, origin.idPicture, images);
  sheet.nameImage = kept(outcome.nameCrop, origin.namePicture, images);
  sheet.flags = markFlags(outcome);
  sheet.gradedAt = Date::now();
  return sheet;
}

void join(OpenSheet &open, PageOutcome &outcome, const Exam &exam, std::optional<Uuid> picture) {
  placeMarks(open.sheet, outcome.questions, exam.questionCount);
  std::ranges::move(markFlags(outcome), std::back_inserter(open.sheet.flags));
  open.sheet.sourcePages.push_back(outcome.sourcePage);
  open.sheet.cornerMethods.push_back(outcome.method);
  if (picture)
    open.sheet.pageImages.push_back(*picture);
  open.pages.insert(outcome.identity->page);
}

ScanIssue issue(const PageOutcome &outcome, std::optional<Uuid> picture) {
  return {
      Uuid::random(), outcome.source, outcome.sourcePage, outcome.problem, {}, picture, false, {}};
}

std::optional<ReviewFlag> computeIDFlag(const ScannedSheet &sheet, const Exam &exam,
                                        const Roster &roster,
                                        const std::map<std::string, int> &claimed) {
  if (exam.idDigits == 0) {
    if (roster.students.empty())
      return std::nullopt;
    return idFlag("This test has no ID bubbles. Pick the student.");
  }
  const std::string &id = sheet.readID;
  if (id.empty())
    return idFlag("No student ID is filled in.");
  if (id.find('?') != std::string::npos)
    return idFlag("Some ID digits are unclear (" + id + ").");
  if (!roster.students.empty() && !roster.student(id))
    return idFlag("ID " + id + " isn't on the roster.");
  if (auto earlier = claimed.find(Student::idKey(id)); earlier != claimed.end())
    return idFlag("ID " + id + " is also on sheet " + std::to_string(earlier->second) + ".");
  return std::nullopt;
}

const ReviewFlag *firstIDFlag(const ScannedSheet &sheet) {
  auto found = std::ranges::find(sheet.flags, FlagKind::studentID, &ReviewFlag::kind);
  return found == sheet.flags.end() ? nullptr : &*found;
}

// A sheet whose ID the teacher decided keeps that flag; its later ID flags only
// ever say that the student it counts for has an earlier sheet too. A clash
// the teacher accepted stays accepted.
void refreshClash(ScannedSheet &sheet, const std::map<std::string, int> &claimed) {
  std::optional<ReviewFlag> previous;
  std::vector<ReviewFlag> flags;
  bool first = true;
  for (ReviewFlag &flag : sheet.flags) {
    if (flag.kind == FlagKind::studentID && !std::exchange(first, false)) {
      if (!previous)
        previous = std::move(flag);
      continue;
    }
    flags.push_back(std::move(flag));
  }
  sheet.flags = std::move(flags);
  const ReviewFlag *decided = firstIDFlag(sheet);
  if (sheet.excluded || !decided || !decided->resolution)
    return;
  auto id = sheet.studentID();
  auto earlier = id ? claimed.find(Student::idKey(*id)) : claimed.end();
  if (earlier == claimed.end())
    return;
  ReviewFlag clash =
      idFlag("ID " + *id + " is also on sheet " + std::to_string(earlier->second) + ".");
  if (previous && previous->resolution)
    clash = std::move(*previous);
  else if (previous)
    clash.id = previous->id;
  auto at = std::ranges::find(sheet.flags, FlagKind::studentID, &ReviewFlag::kind);
  sheet.flags.insert(std::next(at), std::move(clash));
}

// What refreshing ID flags needs of a sheet: everything but its pictures.
ScannedSheet withoutPictures(const ScannedSheet &sheet) {
  ScannedSheet light = sheet;
  light.idCrop.reset();
  light.nameCrop.reset();
  for (ReviewFlag &flag : light.flags)
    flag.crop.reset();
  return light;
}

} // namespace

std::string readID(const std::vector<MarkRead> &idColumns) {
  std::string text;
  for (const MarkRead &column : idColumns) {
    if (column.choice)
      text += std::to_string(*column.choice);
    else
      text += column.flag == MarkFlag::blank ? ' ' : '?';
  }
  auto first = text.find_first_not_of(' ');
  if (first == std::string::npos)
    return "";
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  std::ranges::replace(text, ' ', '?');
  return text;
}

std::string markNote(MarkFlag flag, const std::vector<double> &fills) {
  std::string letters;
  for (int slot : MarkReading::marked(MarkRead{fills, {}, flag, {}}, MarkThresholds{}))
    letters += (letters.empty() ? "" : " and ") + Choices::letter(slot);
  switch (flag) {
  case MarkFlag::blank:
    return "No bubble is filled.";
  case MarkFlag::double_:
    return letters.empty() ? "More than one bubble is marked." : letters + " are both marked.";
  case MarkFlag::faint:
    return "Only a light mark" + (letters.empty() ? "" : " on " + letters) + ".";
  case MarkFlag::unaligned:
    return "The page is bent or folded here, so this row\u2019s bubbles couldn\u2019t be found "
           "for sure. Check the picture.";
  }
  return "";
}

std::vector<ScannedSheet> refreshIDFlags(std::vector<ScannedSheet> sheets, const Exam &exam,
                                         const std::vector<Student> &students) {
  Roster roster{students, std::nullopt};
  std::map<std::string, int> claimed; // ID key → sheet number
  for (ScannedSheet &sheet : sheets) {
    const ReviewFlag *existing = firstIDFlag(sheet);
    bool decided = existing && existing->resolution;
    if (decided || (existing && existing->asksForDifferentStudent())) {
      refreshClash(sheet, claimed);
    } else {
      std::optional<Uuid> previousID = existing ? std::optional(existing->id) : std::nullopt;
      std::erase_if(sheet.flags, [](const ReviewFlag &f) { return f.kind == FlagKind::studentID; });
      if (sheet.excluded)
        continue;
      if (auto flag = computeIDFlag(sheet, exam, roster, claimed)) {
        if (previousID)
          flag->id = *previousID;
        sheet.flags.insert(sheet.flags.begin(), std::move(*flag));
      }
    }
    if (sheet.excluded)
      continue;
    if (auto id = sheet.studentID())
      claimed.try_emplace(Student::idKey(*id), sheet.number);
  }
  return sheets;
}

AssemblyResult assemble(const std::vector<PageOutcome> &outcomes, const Exam &exam,
                        const std::vector<Student> &students,
                        const std::vector<ScannedSheet> &existing,
                        const std::vector<PageOrigin> &origins) {
  return assemble(std::vector<PageOutcome>(outcomes), exam, students, existing, origins);
}

AssemblyResult assemble(std::vector<PageOutcome> &&outcomes, const Exam &exam,
                        const std::vector<Student> &students,
                        const std::vector<ScannedSheet> &existing,
                        const std::vector<PageOrigin> &origins) {
  AssemblyResult result;
  std::vector<ScannedSheet> made;
  std::optional<OpenSheet> open;
  int nextNumber = 1;
  for (const ScannedSheet &sheet : existing)
    nextNumber = std::max(nextNumber, sheet.number + 1);

  for (size_t i = 0; i < outcomes.size(); ++i) {
    PageOutcome &outcome = outcomes[i];
    const PageOrigin origin = i < origins.size() ? origins[i] : PageOrigin{};
    std::optional<Uuid> picture;
    auto keepPicture = [&] {
      if (origin.picture) {
        picture = origin.picture;
      } else if (outcome.preview) {
        picture = Uuid::random();
        result.images[*picture] = std::move(*outcome.preview);
      }
    };
    if (outcome.problem) {
      keepPicture();
      result.issues.push_back(issue(outcome, picture));
      result.issues.back().sourceDigest = origin.digest;
      continue;
    }
    if (!outcome.identity)
      continue;
    keepPicture();
    int page = outcome.identity->page;
    if (page == 1) {
      if (open)
        made.push_back(finished(std::move(*open), exam));
      open = OpenSheet{firstPage(outcome, exam, nextNumber++, picture, origin, result.images), {1}};
      open->sheet.sourceDigest = origin.digest;
    } else if (open && open->sheet.version == outcome.identity->version &&
               !open->pages.contains(page)) {
      join(*open, outcome, exam, picture);
    } else {
      ScanIssue orphan = issue(outcome, picture);
      orphan.orphanPage = page;
      orphan.sourceDigest = origin.digest;
      result.issues.push_back(std::move(orphan));
    }
  }
  if (open)
    made.push_back(finished(std::move(*open), exam));

  // The existing sheets are only context here, so their pictures needn't come along.
  std::vector<ScannedSheet> all;
  all.reserve(existing.size() + made.size());
  for (const ScannedSheet &sheet : existing)
    all.push_back(withoutPictures(sheet));
  std::ranges::move(made, std::back_inserter(all));
  const size_t count = made.size();
  all = refreshIDFlags(std::move(all), exam, students);
  result.sheets.assign(std::make_move_iterator(all.end() - static_cast<long>(count)),
                       std::make_move_iterator(all.end()));
  return result;
}

} // namespace ovalon::Assembly
