#pragma once

#include <string>
#include <string_view>

namespace corvane {

// A URL as a browser uses it: spaces and control characters trimmed from both ends, tabs and line
// breaks removed wherever they stand.
std::u16string normalizeLink(std::u16string_view url);

// The scheme of the normalized URL in lower case, or empty when it has none (a relative URL) or
// anything but letters, digits, "+", "-" and "." stands before the first ":".
std::u16string linkScheme(std::u16string_view url);

// True only for http and https URLs (scheme in any case, after normalizing) without control
// characters or double quotes, which could break out of a command line when the link is opened.
// The list and the command open nothing else, and the page fills its own two links only with such.
bool isWebLink(std::u16string_view url);

}  // namespace corvane
