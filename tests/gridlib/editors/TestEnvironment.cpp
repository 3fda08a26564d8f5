// Every test of the editors runs in the headless application with the tool controls registered.
#include <gtest/gtest.h>

#include "gridlib/base/CalculatorEh.h"
#include "gridlib/base/DateTimeCalendarPickersEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/testing/TestSupport.h"

namespace {

class EditorsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InitTestApplication();
    InitializeToolCtrlsEh();
    InitializeDateTimeCalendarPickersEh();
    InitializeCalculatorEh();
  }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new EditorsEnvironment);

}  // namespace
