#pragma once

#include "model/LayoutSignature.h"

#include <string>
#include <variant>

namespace ovalon {

// Why a scanned page could not be read. Not an error: it travels with the page.
struct PageProblem {
  struct NoCode {
    bool operator==(const NoCode &) const = default;
  };
  struct NoMarks {
    bool operator==(const NoMarks &) const = default;
  };
  struct OtherExam {
    std::string code;
    bool operator==(const OtherExam &) const = default;
  };
  struct LayoutChanged {
    LayoutSignature signature;
    bool operator==(const LayoutChanged &) const = default;
  };
  std::variant<NoCode, NoMarks, OtherExam, LayoutChanged> reason;

  static PageProblem noCode() { return {NoCode{}}; }
  static PageProblem noMarks() { return {NoMarks{}}; }
  static PageProblem otherExam(std::string code) { return {OtherExam{std::move(code)}}; }
  static PageProblem layoutChanged(LayoutSignature s) { return {LayoutChanged{s}}; }

  std::string title() const {
    switch (reason.index()) {
    case 0:
      return "No Ovalon code found";
    case 1:
      return "Corner squares not found";
    case 2:
      return "From another test";
    default:
      return "Printed for a different layout";
    }
  }

  std::string detail() const {
    if (auto *other = std::get_if<OtherExam>(&reason))
      return "Its code is " + other->code + ". Grade it with that test.";
    if (auto *changed = std::get_if<LayoutChanged>(&reason))
      return "It was printed for " + changed->signature.summary() +
             ". Change the test back, or reprint the sheets.";
    if (std::holds_alternative<NoMarks>(reason))
      return "Make sure all four corner squares are on the page, then rescan it.";
    return "If this is an answer sheet, rescan it, or grade it as a version you choose.";
  }

  bool operator==(const PageProblem &) const = default;
};

} // namespace ovalon
