#pragma once

#include "library/ExamDocument.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace ovalon::testing {

// A small class for tests that grade through ovalon-cli: "Unit test" (20
// questions, A–D, a 4-digit ID, keyed 1 point each) with a roster of twelve
// students, IDs 1001 to 1012.
ExamDocument smallClass();

// One page per student, drawn by our renderer at 150 dpi and put in a PDF as
// a scanner would: student n (1 to 12) bubbles ID 1000 + n and every answer
// right except question n, left blank (so each sheet raises one review item).
void writeClassScan(const std::filesystem::path &path, const Exam &exam,
                    const std::vector<int> &students);

// The picture files in the test's picture folder, and anything else in it
// (a staging folder left behind shows up here).
std::set<std::string> pictureFolder(const std::filesystem::path &library, const Uuid &examID);

// The picture files the document refers to: "<id>.jpg" for pages, "<id>.png"
// for the pictures of ID bubbles and name lines.
std::set<std::string> picturesOf(const ExamDocument &document);

} // namespace ovalon::testing
