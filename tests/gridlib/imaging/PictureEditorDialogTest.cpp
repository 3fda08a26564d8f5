// The picture editor dialog, driven while it runs modally: the allowed operations enable its buttons,
// Cancel leaves the caller's picture as it was whatever happened inside, OK hands back the edited one,
// load, save, clear, paste and zoom act on the shown picture, and the routine keeps one dialog.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "gridlib/base/PictureEditFormsEh.h"
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/controls/Clipbrd.h"
#include "platform/graphics/Images.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/controls/Later.h"

namespace {

// Runs a step inside the dialog's modal loop, then closes the dialog with a result.
class TWhileModalEh {
 public:
  TWhileModalEh(TCustomForm* form, std::function<void()> step, TModalResult result)
      : later_([form, step = std::move(step), result] {
          step();
          form->SetModalResult(result);
        }) {}

 private:
  TLater later_;
};

void FillTwoColours(TPicture* picture, Integer width, Integer height) {
  TBitmap bitmap(width, height);
  bitmap.SetPixelFormat(pf24bit);
  bitmap.GetCanvas()->GetBrush()->SetColor(clGreen);
  bitmap.GetCanvas()->FillRect(TRect(0, 0, width, height));
  bitmap.GetCanvas()->GetBrush()->SetColor(clYellow);
  bitmap.GetCanvas()->FillRect(TRect(0, 0, width / 2, height));
  TPngImage png;
  png.Assign(&bitmap);
  picture->SetGraphic(&png);
}

class PictureEditorDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = dynamic_cast<TPictureEditorDialog*>(PictureEditorDialogEh());
    ASSERT_TRUE(dialog_);
    FillTwoColours(&picture_, 12, 8);
    folder_ = std::filesystem::temp_directory_path() / ("kiv-picture-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  String PathOf(const char* name) const { return Utf8ToString((folder_ / name).string()); }

  TPictureEditorDialog* dialog_ = nullptr;
  TPicture picture_;
  std::filesystem::path folder_;
};

TEST_F(PictureEditorDialogTest, TheAllowedOperationsEnableTheButtons) {
  struct Seen {
    bool cut, copy, paste, load, save, clear, zoomIn, zoomOut, reset, ok, cancel;
  } seen{};
  TWhileModalEh run(
      dialog_,
      [&] {
        seen = {dialog_->bCut->GetEnabled(),        dialog_->bCopy->GetEnabled(),
                dialog_->bPaste->GetEnabled(),      dialog_->Load->GetEnabled(),
                dialog_->Save->GetEnabled(),        dialog_->Clear->GetEnabled(),
                dialog_->bZoomIn->GetEnabled(),     dialog_->bZoomOut->GetEnabled(),
                dialog_->bReset->GetEnabled(),      dialog_->OKButton->GetEnabled(),
                dialog_->CancelButton->GetEnabled()};
      },
      mrCancel);
  EXPECT_FALSE(dialog_->Edit(&picture_, TDialogAllowedEditOperationsEh{dealopCopyEh}));
  EXPECT_TRUE(seen.copy && seen.ok && seen.cancel);
  EXPECT_FALSE(seen.cut || seen.paste || seen.load || seen.save || seen.clear || seen.zoomIn ||
               seen.zoomOut || seen.reset);

  TWhileModalEh again(
      dialog_, [&] { seen.reset = dialog_->bReset->GetEnabled(); }, mrCancel);
  dialog_->Edit(&picture_, TDialogAllowedEditOperationsEh{dealopShiftEh});
  EXPECT_TRUE(seen.reset) << "moving the picture alone can be reset";
}

TEST_F(PictureEditorDialogTest, CancelLeavesThePictureAsItWasAfterClearAndLoad) {
  TPicture jpeg;
  FillTwoColours(&jpeg, 30, 10);
  TJPEGImage file;
  file.Assign(jpeg.GetGraphic());
  file.SaveToFile(PathOf("loaded.jpg"));
  bool clearedDisablesFileButtons = false, loadEnablesThem = false;
  Integer loadedWidth = 0;
  TDialogRecorder dialogs;
  dialogs.Answer(TDialogAnswer::Accept(PathOf("loaded.jpg")));
  TWhileModalEh run(
      dialog_,
      [&] {
        dialog_->ClearClick(dialog_->Clear);
        clearedDisablesFileButtons =
            !dialog_->Save->GetEnabled() && !dialog_->Clear->GetEnabled() && dialog_->GetImage()->IsEmpty();
        dialog_->LoadClick(dialog_->Load);
        loadEnablesThem = dialog_->Save->GetEnabled() && dialog_->Clear->GetEnabled();
        loadedWidth = dialog_->GetImage()->GetPicture()->GetWidth();
      },
      mrCancel);
  EXPECT_FALSE(dialog_->Edit(&picture_, AllDialogEditOperationsEh()));
  EXPECT_TRUE(clearedDisablesFileButtons);
  EXPECT_TRUE(loadEnablesThem);
  EXPECT_EQ(loadedWidth, 30);
  ASSERT_TRUE(dynamic_cast<TPngImage*>(picture_.GetGraphic())) << "the caller's picture is untouched";
  EXPECT_EQ(picture_.GetWidth(), 12);
}

TEST_F(PictureEditorDialogTest, OkHandsBackThePastedPictureAndSaveWritesTheShownOne) {
  TPicture onClipboard;
  FillTwoColours(&onClipboard, 16, 16);
  Clipboard()->Assign(&onClipboard);
  Integer zoomAfterSteps = 0, zoomAfterReset = 0;
  TDialogRecorder dialogs;
  dialogs.Answer(TDialogAnswer::Accept(PathOf("saved.bmp")));
  TWhileModalEh run(
      dialog_,
      [&] {
        dialog_->bPasteClick(dialog_->bPaste);
        dialog_->bZoomInClick(dialog_->bZoomIn);
        dialog_->bZoomInClick(dialog_->bZoomIn);
        dialog_->bZoomOutClick(dialog_->bZoomOut);
        zoomAfterSteps = dialog_->GetImage()->GetZoom();
        dialog_->bResetClick(dialog_->bReset);
        zoomAfterReset = dialog_->GetImage()->GetZoom();
        dialog_->SaveClick(dialog_->Save);
      },
      mrOk);
  EXPECT_TRUE(dialog_->Edit(&picture_, AllDialogEditOperationsEh()));
  EXPECT_EQ(zoomAfterSteps, 110);
  EXPECT_EQ(zoomAfterReset, 100);
  EXPECT_EQ(picture_.GetWidth(), 16) << "OK hands back what was pasted";
  ASSERT_GE(dialogs.Count(), 1);
  EXPECT_EQ(dialogs.Last().DefaultExt, u"bmp") << "a pasted picture is a bitmap, offered as one";
  TPicture saved;
  saved.LoadFromFile(PathOf("saved.bmp"));
  EXPECT_EQ(saved.GetWidth(), 16);
  EXPECT_EQ(saved.GetBitmap()->GetCanvas()->GetPixel(2, 2), clYellow);
  EXPECT_EQ(saved.GetBitmap()->GetCanvas()->GetPixel(13, 2), clGreen);
}

TEST_F(PictureEditorDialogTest, TheRoutineKeepsOneDialogAndAnswersOk) {
  EXPECT_EQ(PictureEditorDialogEh(), dialog_);
  TWhileModalEh run(
      dialog_, [&] { dialog_->ClearClick(dialog_->Clear); }, mrOk);
  EXPECT_TRUE(EditPictureEh(&picture_));
  EXPECT_FALSE(picture_.GetGraphic()) << "the cleared picture comes back empty";
  EXPECT_EQ(PictureEditorDialogEh(), dialog_);

  // The axis grid's picture cells open the same dialog.
  ASSERT_TRUE(DBAxisGridPictureEditRoutineEh);
  bool shownHere = false;
  TWhileModalEh again(
      dialog_, [&] { shownHere = dialog_->GetShowing(); }, mrCancel);
  EXPECT_FALSE(DBAxisGridPictureEditRoutineEh(&picture_));
  EXPECT_TRUE(shownHere);
}

}  // namespace
