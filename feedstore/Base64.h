#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace corvane {

// Base64 with the standard alphabet of RFC 4648; without padding the trailing "=" are left out.
std::string base64Encode(std::span<const uint8_t> bytes, bool padding = true);

}  // namespace corvane
