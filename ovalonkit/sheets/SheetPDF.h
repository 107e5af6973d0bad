#pragma once

#include "model/Bytes.h"
#include "sheets/SheetJob.h"

#include <optional>
#include <vector>

namespace ovalon {

struct Exam;

namespace SheetPDF {

// Every job's sheets in one PDF on the test's paper: jobs in order, sheets in
// order within a job, each sheet's pages 1 to pageCount. Titled with the
// test's title. Nothing when the document cannot be opened.
std::optional<Bytes> make(const Exam &exam, const std::vector<SheetJob> &jobs);

} // namespace SheetPDF

} // namespace ovalon
