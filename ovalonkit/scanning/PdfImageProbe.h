#pragma once

#include <filesystem>
#include <set>

namespace ovalon::PdfImageProbe {

// The 1-based numbers of pages whose images are all 1-bit (at least one
// image): a black-and-white scan that may have dropped light pencil. The only
// place that looks inside a PDF's page resources.
std::set<int> blackAndWhitePages(const std::filesystem::path &path);

} // namespace ovalon::PdfImageProbe
