#include "Commands.h"

#include "CliError.h"
#include "ReviewList.h"
#include "model/Choices.h"
#include "workflow/Review.h"

#include <iostream>

namespace ovalon::cli {

namespace {

// Picture changes that wait until every decision of the call has been accepted.
struct PictureChanges {
  std::map<Uuid, Bytes> save;
  std::vector<Uuid> remove;
};

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
  if (decision == "dismiss") {
    Review::dismissIssue(doc, issue.id);
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

// One "ITEM=DECISION" pair applied to the document, or a usage error.
void decide(ExamDocument &doc, const std::vector<Review::Item> &items, const std::string &pair,
            const Workspace &workspace, PictureChanges &pictures) {
  auto equals = pair.find('=');
  size_t number = 0;
  try {
    number = equals == std::string::npos ? 0 : std::stoul(pair.substr(0, equals));
  } catch (const std::exception &) {
  }
  if (number == 0 || number > items.size())
    throw CliError::usage("\u201C" + pair + "\u201D doesn\u2019t name a review item (1 to " +
                          std::to_string(items.size()) + ", as in 3=B).");
  std::string decision = pair.substr(equals + 1);
  std::string item = std::to_string(number);
  auto at = locate(doc, items[number - 1]);
  if (!at)
    throw CliError::usage("Item " + item + " was settled by an earlier decision in this call.");
  CliError refusal =
      CliError::usage("\u201C" + decision + "\u201D doesn\u2019t fit item " + item + ".");
  if (at->issue)
    return decideIssue(doc, *at->issue, decision, workspace, pictures, refusal);
  auto resolution = flagDecision(doc, *at, decision);
  if (!resolution)
    throw refusal;
  Review::resolve(doc, at->sheet->id, at->flag->id, *resolution);
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
  };
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "resolve", "Decide review items: ITEM=DECISION with a choice letter, blank, darkest, "
                 "accept, exclude, student:ID, reopen; for a page not read, dismiss or version:B");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("decisions", options->pairs, "Pairs like 3=B 4=blank 1=student:204501")
      ->required();
  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.find(options->name);
    std::vector<Review::Item> items = Review::items(doc);
    PictureChanges pictures;
    for (const std::string &pair : options->pairs)
      decide(doc, items, pair, workspace, pictures);
    if (auto saved = workspace.library().saveImages(pictures.save, doc.exam.id); !saved)
      throw CliError::failed(saved.error().description());
    workspace.save(doc);
    workspace.library().deleteImages(pictures.remove, doc.exam.id);
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
    ExamDocument doc = workspace.find(options->name);
    Review::setExcluded(doc, sheetNumbered(doc, options->sheet), !options->include);
    workspace.save(doc);
    std::cout << "Sheet " << options->sheet
              << (options->include ? " counts again.\n" : " is left out.\n");
  };
}

Runner addRemoveSheetCommand(CLI::App &app) {
  struct Options {
    std::string name;
    int sheet = 0;
  };
  auto options = std::make_shared<Options>();
  CLI::App *command = app.add_subcommand(
      "remove-sheet", "Take a graded sheet out of the test and delete its page pictures");
  command->add_option("test", options->name, "Title or the start of the id")->required();
  command->add_option("sheet", options->sheet, "Sheet number")->required();
  return [options](const Workspace &workspace) {
    ExamDocument doc = workspace.find(options->name);
    auto pictures = Review::removeSheet(doc, sheetNumbered(doc, options->sheet));
    workspace.save(doc);
    workspace.library().deleteImages(*pictures, doc.exam.id);
    std::cout << "Sheet " << options->sheet << " removed.\n";
  };
}

} // namespace ovalon::cli
