#pragma once

#include "library/ExamDocument.h"

#include <string>

namespace ovalon {

// What a list of tests shows of one document (ovalon-cli list, the app's
// sidebar). The library keeps it beside each document, so listing a library
// never reads the sheets.
struct DocumentSummary {
  Uuid id;
  std::string title;
  Date created;
  Date modified;
  int questionCount = 0;
  int versionCount = 0;
  int sheetCount = 0;
  int openItems = 0; // open flags on included sheets plus pages not dismissed

  static DocumentSummary of(const ExamDocument &document) {
    return {document.exam.id,
            document.exam.title,
            document.exam.created,
            document.modified,
            document.exam.questionCount,
            static_cast<int>(document.exam.versions.size()),
            static_cast<int>(document.sheets.size()),
            document.openItemCount()};
  }

  bool operator==(const DocumentSummary &) const = default;
};

} // namespace ovalon
