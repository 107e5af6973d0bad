#pragma once

#include "Workspace.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>

namespace ovalon::cli {

// Each command adds its subcommand and returns what runs it once the
// arguments are parsed.
using Runner = std::function<void(const Workspace &)>;

Runner addNewCommand(CLI::App &app);
Runner addListCommand(CLI::App &app);
Runner addShowCommand(CLI::App &app);
Runner addKeyCommand(CLI::App &app);
Runner addVersionsCommand(CLI::App &app);
Runner addRosterCommand(CLI::App &app);
Runner addSheetsCommand(CLI::App &app);
Runner addScoresCommand(CLI::App &app);
Runner addSampleScanCommand(CLI::App &app);
Runner addExportCommand(CLI::App &app);
Runner addReadCommand(CLI::App &app);
Runner addGradeCommand(CLI::App &app);
Runner addRescanCommand(CLI::App &app);
Runner addSampleCommand(CLI::App &app);
Runner addReviewCommand(CLI::App &app);
Runner addResolveCommand(CLI::App &app);
Runner addExcludeCommand(CLI::App &app);
Runner addRemoveSheetCommand(CLI::App &app);
Runner addDeleteCommand(CLI::App &app);
Runner addSimulateCommand(CLI::App &app);

} // namespace ovalon::cli
