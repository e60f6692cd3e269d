#pragma once
// Windows only: runs a registration script of the module's resources (type "REGISTRY").

#include <windows.h>

#include "server/RegistryScript.h"

namespace corvane {

// Carries out the script's registration or unregistration actions in order and stops at the first
// failure, which it returns; what was done before stays done. Running out of memory throws: callers
// run it inside comCall.
HRESULT RunRegistryScript(HINSTANCE module, UINT resourceId, bool registering,
                          const server::Replacements& replacements);

}  // namespace corvane
