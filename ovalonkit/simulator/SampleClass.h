#pragma once

#include "model/Bytes.h"
#include "model/Date.h"
#include "model/Exam.h"
#include "model/Roster.h"
#include "model/Uuid.h"
#include "simulator/ScanDistortion.h"
#include "simulator/SimulatedSheet.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace ovalon {

// The made-up class a new user can grade without printing or scanning anything: its test,
// roster, answers and a handful of irregularities that give Review something to show.
// Everything is drawn from fixed seeds, so the class is the same every time.
namespace SampleClass {

inline constexpr std::string_view testID = "3C9E51A0-7B42-4D1E-9A6F-2B8D4E7C1A05";
inline constexpr std::string_view title = "Sample Class: Cells & Organelles";
inline constexpr std::string_view keyText = "BCADA DBCAB CADBC ABDCA DCBAB CDABD";
inline constexpr uint64_t seed = 20261001;
inline constexpr std::string_view rosterSource = "Period 3 Biology.csv";
inline constexpr std::string_view scanFileName = "Sample Class Scan.pdf";

// The sample test: 30 questions A–D, 6-digit ID, US Letter, two versions, keyed, created
// three days before `now`.
Exam exam(Date now);

// 26 students with IDs 204501 to 204526, from "Period 3 Biology.csv".
Roster roster();

// One filled-in sheet per student of `roster` in sorted order: answers drawn for each
// student's ability and each question's difficulty, versions alternating A, B, …, and the
// built-in irregularities (a faint mark, a double mark, a blank, a check mark, an erased
// mark, an unlisted ID and light ID bubbles).
std::vector<SimulatedSheet> sampleSheets(const Exam &exam, const Roster &roster);

// How each of `count` sheets comes out of the scanner: slightly tilted, sheared, shifted and
// noisy, each a little differently.
std::vector<ScanDistortion> distortions(int count);

// The scan PDF of the whole sample class.
std::optional<Bytes> scanPDF(const Exam &exam, const Roster &roster);

} // namespace SampleClass

} // namespace ovalon
