#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "feedstore/XmlStreamReader.h"

// The two libxml2 readers of a document in memory. openStreamReader(bytes) hands out the event
// reader; the text reader, which builds each node before it hands it out, is what the event reader
// is held to in tests, node for node.
namespace corvane::xml {

// libxml2's text reader over the bytes.
std::unique_ptr<StreamReader> openTreeStreamReader(std::span<const uint8_t> bytes);

// libxml2's push parser over the bytes, `chunk` bytes at a time, its events queued and handed out as
// the text reader hands out nodes: adjacent character data as one node, an element written "<a/>"
// as empty (one written "<a></a>" has an end), a DOCTYPE as Unsupported.
std::unique_ptr<StreamReader> openEventStreamReader(std::span<const uint8_t> bytes, size_t chunk = 64 * 1024);

}  // namespace corvane::xml
