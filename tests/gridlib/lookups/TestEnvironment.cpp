// Every lookup test runs in the headless application with the tool controls and the lookup lists
// registered.
#include <gtest/gtest.h>

#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/editors/DBLookupGridsEh.h"
#include "platform/testing/TestSupport.h"

namespace {

class LookupsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InitTestApplication();
    InitializeToolCtrlsEh();
    InitializeLookupGridsEh();
  }
};

const auto* const lookupsEnvironment = ::testing::AddGlobalTestEnvironment(new LookupsEnvironment);

}  // namespace
