// Windows only: the test program's main thread enters a COM apartment, as every thread that uses the
// XML component does in the product.
#include <objbase.h>

#include <gtest/gtest.h>

namespace {

class ComApartmentEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ComApartmentEnvironment);

}  // namespace
