#pragma once

#include "model/Exam.h"
#include "sheets/SheetFill.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// What a save chooser shows: the suggested name (with its extension, the one type
// allowed) and a line saying what is being saved.
struct SavePanel {
  std::string fileName;
  std::string message;
  bool operator==(const SavePanel &) const = default;
};

// What an open chooser shows and which files it lets the teacher pick.
struct OpenPanel {
  enum class Files {
    scan,   // one PDF or image
    scans,  // PDFs and images, several at once
    roster, // one CSV or text file
  };
  std::string message;
  std::string button;
  Files files = Files::scan;
  bool operator==(const OpenPanel &) const = default;
};

// A yes-or-no question before something that can't be undone.
struct Question {
  std::string title;  // "Clear the roster?"
  std::string detail; // what goes, and what stays
  std::string action; // the button that goes ahead: "Clear Roster"
  bool operator==(const Question &) const = default;
};

// One of several named options, e.g. which column of a class list holds the IDs.
struct Choice {
  std::string title;                // "Which column holds the student IDs?"
  std::string detail;               // why the teacher is asked
  std::vector<std::string> options; // shown in this order
  std::string action;               // the button that takes the choice: "Import"
  bool operator==(const Choice &) const = default;
};

// One printed page: page `page` (from 1) of version `version`, pre-filled or blank.
struct PrintPage {
  int version = 0;
  int page = 1;
  std::optional<SheetFill> fill;
  bool operator==(const PrintPage &) const = default;
};

// The sheets handed to the print dialog: every page at the test's paper size.
struct PrintJob {
  Exam exam;
  std::vector<PrintPage> pages;
};

// Everything the model asks of the person at the screen outside its window:
// file choosers, confirmations, choices and the print dialog. The app answers with Qt dialogs; the
// tests answer with scripted choices, so the model runs without a display.
class Panels {
public:
  virtual ~Panels() = default;
  // The chosen destination, or nothing when the teacher cancels.
  virtual std::optional<std::filesystem::path> chooseSaveFile(const SavePanel &panel) = 0;
  // The chosen files; empty when the teacher cancels.
  virtual std::vector<std::filesystem::path> chooseFiles(const OpenPanel &panel) = 0;
  // True when the teacher goes ahead.
  virtual bool confirm(const Question &question) = 0;
  // The index of the option chosen, or nothing when the teacher cancels.
  virtual std::optional<size_t> choose(const Choice &choice) = 0;
  virtual void print(const PrintJob &job) = 0;
};

} // namespace ovalon
