// Every test of the image and rich-text controls runs in the headless application with the tool
// controls, the picture providers and the picture editor installed.
#include <gtest/gtest.h>

#include "gridlib/base/PictureEditFormsEh.h"
#include "gridlib/base/RichEditFormsEh.h"
#include "platform/testing/TestSupport.h"

namespace {

class ImagingEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InitTestApplication();
    InitializeToolCtrlsEh();
    InitializeRichEditFormsEh();
    InitializePictureEditFormsEh();
  }
};

const auto* const imagingEnvironment = ::testing::AddGlobalTestEnvironment(new ImagingEnvironment);

}  // namespace
