#pragma once

#include "model/Bytes.h"

#include <optional>
#include <string>
#include <string_view>

namespace ovalon::Base64 {

// Standard alphabet with trailing "=" padding.
std::string encode(const Bytes &data);

// Nothing for text that is not padded standard Base64.
std::optional<Bytes> decode(std::string_view text);

} // namespace ovalon::Base64
