#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The few operating-system services the portable core needs, with one implementation per platform.
namespace corvane::system {

std::optional<std::u16string> environmentVariable(std::u16string_view name);
// An empty value removes the variable.
void setEnvironmentVariable(std::u16string_view name, std::u16string_view value);

uint32_t currentThreadId();

// The platform's debugger channel (OutputDebugStringW on Windows); nothing natively.
void writeDebugOutput(std::u16string_view line);

// Appends the bytes to the file in one write, creating it when missing. False when it cannot.
bool appendToFile(std::u16string_view path, std::string_view bytes);

}  // namespace corvane::system
