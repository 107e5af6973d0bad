#include "Commands.h"

#include "CliError.h"
#include "ReviewList.h"
#include "library/ImageStaging.h"
#include "model/Choices.h"
#include "workflow/Review.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>

namespace ovalon::cli {

namespace {

// Picture changes that wait until every decision of the call has been accepted
// and saved.
struct PictureChanges {
  std::map<Uuid, Bytes> save;
  std::vector<Uuid> remove;
};

bool isSettled(const std::string &state) {
  return state != "open";
}

std::optional<int> versionIndex(const std::string &decision) {
  if (!decision.starts_with("version:") || decision.size() != 9)
    return std::nullopt;
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(decision[8])));
  if (letter < 'A' || letter > 'D')
    return std::nullopt;
  return letter - 'A';
}

// A scan issue: leave the page out, or read it as page 1 of a version.
void decideIssue(ExamDocument &doc, const ScanIssue &issue, const std::string &decision,
                 const Workspace &workspace, PictureChanges &pictures, const CliError &refusal) {
  if (decision == "dismiss" || decision == "reopen") {
    Review::dismissIssue(doc, issue.id, decision == "dismiss");
    return;
  }
  auto version = versionIndex(decision);
  if (!version || !doc.exam.version(*version))
    throw refusal;
  std::optional<Bytes> picture;
  if (issue.image)
    picture = workspace.library().loadImage(*issue.image, doc.exam.id);
  if (!picture)
    throw CliError::failed("The picture of that page isn\u2019t in the library any more.");
  auto regrade = Review::gradeIssueAsVersion(doc, issue.id, *version, *picture);
  if (!regrade)
    throw CliError::failed(regrade.error());
  pictures.save.merge(regrade->images);
  if (regrade->retired)
    pictures.remove.push_back(*regrade->retired);
}

// A flag's decision, or nothing for one that doesn't fit the flag.
std::optional<std::optional<Resolution>> flagDecision(const ExamDocument &doc, const Located &at,
                                                      const std::string &decision) {
  bool markFlag = at.flag->position.has_value();
  if (decision == "reopen")
    return std::optional<Resolution>{};
  if (decision == "accept")
    return Resolution::accept();
  if (decision == "exclude")
    return Resolution::exclude();
  if (decision == "blank" && markFlag)
    return Resolution::blank();
  if (decision == "darkest" && markFlag && at.flag->suggestion)
    return Resolution::choice(*at.flag->suggestion);
  if (decision.starts_with("student:") && at.flag->kind == FlagKind::studentID &&
      decision.size() > 8)
    return Resolution::student(decision.substr(8));
  if (auto slot = Choices::index(decision); slot && markFlag && *slot < doc.exam.choiceCount)
    return Resolution::choice(*slot);
  return std::nullopt;
}

// One "ITEM=DECISION" pair applied to the document, or a usage error. ITEM is
// a number of the list as it was when the call began, or an item's name. A
// settled item changes only when reopened (or with `force`).
void decide(ExamDocument &doc, const std::vector<Review::Item> &items, const std::string &pair,
            bool force, const Workspace &workspace, PictureChanges &pictures) {
  auto equals = pair.rfind('=');
  std::string item = equals == std::string::npos ? pair : pair.substr(0, equals);
  std::optional<Review::Item> target;
  if (!item.empty() && std::ranges::all_of(item, [](unsigned char c) { return std::isdigit(c); })) {
    size_t number = item.size() > 6 ? 0 : std::stoul(item);
    if (number >= 1 && number <= items.size())
      target = items[number - 1];
  } else if (!item.empty()) {
    target = Review::named(doc, items, item);
  }
  if (equals == std::string::npos || !target)
    throw CliError::usage("\u201C" + pair + "\u201D doesn\u2019t name a review item (1 to " +
                          std::to_string(items.size()) + " or a name like S3:Q6, as in 3=B).");
  std::string decision = pair.substr(equals + 1);
  auto at = locate(doc, *target);
  if (!at)
    throw CliError::usage("Item " + item + " was settled by an earlier decision in this call.");
  CliError refusal =
      CliError::usage("\u201C" + decision + "\u201D doesn\u2019t fit item " + item + ".");
  std::optional<std::optional<Resolution>> resolution;
  if (at->issue) {
    if (decision != "dismiss" && decision != "reopen" && !versionIndex(decision))
      throw refusal;
  } else if (!(resolution = flagDecision(doc, *at, decision))) {
    throw refusal;
  }
  std::string was = state(doc, *target);
  if (decision != "reopen" && isSettled(was) && !force)
    throw CliError::failed(
        "Item " + item + " is already " +
        (was.starts_with("settled") ? "settled (" + was.substr(9) + ")" : "settled: " + was) +
        ". Reopen it first (" + item + "=reopen), or add --force.");
  if (at->issue)
    return decideIssue(doc, *at->issue, decision, workspace, pictures, refusal);
  Review::resolve(doc, at->sheet->id, at->flag->id, *resolution);
}

// Sheet numbers and ranges like "3", "5-7".
std::vector<int> sheetNumbers(const std::vector<std::string> &words) {
  std::vector<int> numbers;
  for (const std::string &word : words) {
    int first = 0, last = 0;
    char dash = 0, extra = 0;
    int read = std::sscanf(word.c_str(), "%d%c%d%c", &first, &dash, &last, &extra);
    if (read == 1 && first >= 1) {
      numbers.push_back(first);
      continue;
    }
    if (read != 3 || dash != '-' || first < 1 || last < first || last - first > 100'000)
      throw CliError::usage("\u201C" + word +
                            "\u201D isn\u2019t a sheet number or a range like 5-7.");
    for (int n = first; n <= last; ++n)
      numbers.push_back(n);
  }
  return numbers;
}

Uuid sheetNumbered(const ExamDocument &doc, int number) {
  auto sheet = std::ranges::find(doc.sheets, number, &ScannedSheet::number);
  if (sheet == doc.sheets.end())
    throw CliError::usage("\u201C" + doc.exam.title + "\u201D has no sheet " +
                          std::to_string(number) + ".");
  return sheet->id;
}

} // namespace

Runner addReviewCommand(CLI::App &app) {
  struct Options {
    std::string name;
    bool open = false;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "review", "The review list: pages that couldn't be graded, then every flag by sheet");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_flag("--open", options->open, "Only the items that still need a decision");
  command->add_flag("--json", options->json, "Print a JSON array");
  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.find(options->name);
    if (options->json)
      std::cout << reviewListJSON(doc, options->open).dump() << "\n";
    else
      printReviewList(doc, options->open);
  };
}

Runner addResolveCommand(CLI::App &app) {
  struct Options {
    std::string name;
    std::vector<std::string> pairs;
    bool force = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "resolve", "Decide review items: ITEM=DECISION with a choice letter, blank, darkest, "
                 "accept, exclude, student:ID, reopen; for a page not read, dismiss or version:B. "
                 "ITEM is the item's number or its name (S3:Q6, S22:id, S5:pages, scan.pdf#4). "
                 "All or nothing");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command
      ->add_option("decisions", options->pairs, "Pairs like 3=B S4:Q12=blank S1:id=student:204501")
      ->required();
  command->add_flag("--force", options->force,
                    "Change items that are already settled without reopening them first");
  return [options](const Workspace &workspace) {
    const Uuid id = workspace.locate(options->name).id;
    // Only a page graded as a sheet brings pictures in.
    std::optional<ImageStaging> staging;
    if (std::ranges::any_of(options->pairs, [](const std::string &pair) {
          return pair.find("=version:") != std::string::npos;
        })) {
      auto opened = ImageStaging::open(workspace.library(), id);
      if (!opened)
        throw CliError::failed(opened.error());
      staging.emplace(std::move(*opened));
    }
    PictureChanges pictures;
    workspace.update(
        id,
        [&](ExamDocument &doc) {
          std::vector<Review::Item> items = Review::items(doc);
          for (const std::string &pair : options->pairs)
            decide(doc, items, pair, options->force, workspace, pictures);
          for (const auto &[picture, jpeg] : pictures.save)
            if (auto added = staging->add(picture, jpeg); !added)
              throw CliError::failed(added.error());
          return ExamLibrary::Edited::changed;
        },
        staging ? &*staging : nullptr);
    workspace.library().deleteImages(pictures.remove, id);
    std::cout << "Saved " << options->pairs.size()
              << (options->pairs.size() == 1 ? " decision" : " decisions") << ".\n";
  };
}

Runner addExcludeCommand(CLI::App &app) {
  struct Options {
    std::string name;
    int sheet = 0;
    bool include = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App *command =
      app.add_subcommand("exclude", "Leave a sheet out of the results, or take it back");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("sheet", options->sheet, "Sheet number")->required();
  command->add_flag("--include", options->include, "Take the sheet back into the results");
  return [options](const Workspace &workspace) {
    workspace.update(workspace.locate(options->name).id, [&](ExamDocument &doc) {
      Review::setExcluded(doc, sheetNumbered(doc, options->sheet), !options->include);
      return ExamLibrary::Edited::changed;
    });
    std::cout << "Sheet " << options->sheet
              << (options->include ? " counts again.\n" : " is left out.\n");
  };
}

Runner addRemoveSheetCommand(CLI::App &app) {
  struct Options {
    std::string name;
    std::vector<std::string> sheets;
  };
  auto options = std::make_shared<Options>();
  CLI::App *command =
      app.add_subcommand("remove-sheet", "Take graded sheets out of the test and delete their "
                                         "pictures (pages, ID bubbles and name line)");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("sheets", options->sheets, "Sheet numbers and ranges, like 3 5-7")
      ->required();
  return [options](const Workspace &workspace) {
    const Uuid id = workspace.locate(options->name).id;
    std::vector<int> numbers = sheetNumbers(options->sheets);
    std::vector<Uuid> pictures;
    workspace.update(id, [&](ExamDocument &doc) {
      std::vector<Uuid> sheets;
      for (int number : numbers)
        sheets.push_back(sheetNumbered(doc, number));
      pictures = *Review::removeSheets(doc, sheets);
      return ExamLibrary::Edited::changed;
    });
    // Only once nothing refers to them any more.
    workspace.library().deleteImages(pictures, id);
    std::ranges::sort(numbers);
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    if (numbers.size() == 1) {
      std::cout << "Sheet " << numbers.front() << " removed.\n";
    } else {
      std::cout << numbers.size() << " sheets removed.\n";
    }
  };
}

} // namespace ovalon::cli
