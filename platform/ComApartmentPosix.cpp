#include "platform/ComApartment.h"

namespace corvane {

ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;

}  // namespace corvane
