#include "Commands.h"

#include "CliError.h"
#include "library/FileIO.h"
#include "simulator/SampleClass.h"

#include <iostream>

namespace ovalon::cli {

Runner addSampleScanCommand(CLI::App &app) {
  auto output = std::make_shared<std::string>();
  CLI::App *command = app.add_subcommand(
      "sample-scan", "Write the sample class's scanned sheets as a PDF (no library needed)");
  command->add_option("-o,--output", *output, "PDF file to write")->required();
  return [output](const Workspace &) {
    Exam exam = SampleClass::exam(Date::now());
    auto pdf = SampleClass::scanPDF(exam, SampleClass::roster());
    if (!pdf)
      throw CliError::failed("The sample scan couldn\u2019t be made.");
    if (auto written = FileIO::writeAtomically(*output, *pdf); !written)
      throw CliError::failed(written.error());
    std::cout << "Wrote the sample class\u2019s scan to " << *output << "\n";
  };
}

} // namespace ovalon::cli
