// The main of the test binaries that link the testing library: the libraries start as the program
// starts them, then GoogleTest runs.
#include <gtest/gtest.h>

#include "platform/dbctrls/DbCtrlsLibrary.h"
#include "platform/printing/PrintingLibrary.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  InitializeDbCtrls();
  InitializePrinting();
  return RUN_ALL_TESTS();
}
