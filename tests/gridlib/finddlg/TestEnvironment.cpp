// Every test of the find dialog runs in the headless application with the dialog and the in-memory
// table registered, as the program's start-up does.
#include <gtest/gtest.h>

#include "gridlib/base/DBGridEhFindDlgs.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/testing/TestSupport.h"

namespace {

class FindDlgEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InitTestApplication();
    InitializeToolCtrlsEh();
    InitializeMemTableEh();
    InitializeDBGridEhFindDlgs();
  }
};

const auto* const findDlgEnvironment = ::testing::AddGlobalTestEnvironment(new FindDlgEnvironment);

}  // namespace
