#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// Item stores and feeds of any size for the benchmarks, with the content real ones have: titles of
// about 60 characters (some not ASCII), descriptions of 1 to 2 KB of escaped HTML, RFC 822 dates
// in several zones, guids, links, authors, labels and some enclosures. The same count always gives
// the same bytes, and the items of a smaller count are the first items of a larger one.
namespace corvane::bench {

// An rssitems.xml as storeItems writes it (no whitespace between elements), with the ids the
// items would have been given.
std::string generateStore(size_t itemCount);

// An RSS 2.0 document as a server sends it: indented, a channel with its fields, newest item first.
std::string generateFeed(size_t itemCount);
// The same items as an Atom 1.0 document: dates in RFC 3339 form, the description as html summary.
std::string generateAtomFeed(size_t itemCount);

// A folder of this run under the system's temporary folder; it and everything in it are removed
// when the program ends.
const std::filesystem::path& scratchFolder();

// Writes the bytes to a file of that name in the scratch folder and returns its path.
std::filesystem::path writeScratchFile(const std::string& name, std::string_view bytes);

}  // namespace corvane::bench
