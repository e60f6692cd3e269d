#pragma once

#include <string>
#include <string_view>

namespace corvane {

// The target of a URI reference resolved against a base URI (RFC 3986, section 5.2, strict). A
// base without a scheme is no base: the reference is then given back as it stands, trimmed.
std::u16string resolveUrlReference(std::u16string_view base, std::u16string_view reference);

// The markup with the value of every href and src attribute resolved against the base, the rest
// left byte for byte. Values are taken as written (an entity in one stays as it is).
std::u16string resolveMarkupLinks(std::u16string_view markup, std::u16string_view base);
// The same, in the markup itself, which is left as it is when no value changes.
void resolveMarkupLinksInPlace(std::u16string& markup, std::u16string_view base);

}  // namespace corvane
