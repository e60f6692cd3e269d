#include <objbase.h>

#include "platform/ComApartment.h"

namespace corvane {

ComApartment::ComApartment() : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
    if (entered_) CoUninitialize();
}

}  // namespace corvane
