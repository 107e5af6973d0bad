#pragma once

#include "model/Bytes.h"

#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace ovalon::FileIO {

// The whole file, or nothing when it cannot be read (missing, a folder, no access).
std::optional<Bytes> read(const std::filesystem::path &path);

// Writes the bytes to a temporary file beside `path`, flushes it to disk and
// renames it over `path`, so readers see either the old file or the new one.
// The error is one sentence naming what went wrong.
std::expected<void, std::string> writeAtomically(const std::filesystem::path &path,
                                                 std::span<const uint8_t> bytes);

std::expected<void, std::string> writeAtomically(const std::filesystem::path &path,
                                                 std::string_view text);

} // namespace ovalon::FileIO
