#pragma once
// Windows only: registration of the type library embedded in the module (resource 1, "TYPELIB").

#include <windows.h>

#include <string>

namespace corvane {

// Loads the library from `modulePath` itself, or else from the same path ending in ".tlb", and
// registers it with the module's directory as its help directory.
HRESULT RegisterModuleTypeLib(const std::wstring& modulePath);

// Removes the registration of the library found at `modulePath` (or its ".tlb"), by the identifier,
// version, locale and platform recorded in it.
HRESULT UnregisterModuleTypeLib(const std::wstring& modulePath);

}  // namespace corvane
