// Printer settings and the print dialog: codes written into and read from the device mode, fields a
// driver does not offer, the application's events, and the dialog's answers.
#include <gtest/gtest.h>

#include "platform/controls/Dialogs.h"
#include "platform/rtl/ScopeGuard.h"
#include "reportlib/output/QRPrintDialog.h"
#include "reportlib/output/QRPrinterSettings.h"
#include "tests/reportlib/output/OutputTestSupport.h"

namespace {

class PrinterSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    settings.SetPrinter(&printer);
  }
  TPrinter printer;
  TPrinterSettings settings;
};

TEST_F(PrinterSettingsTest, WritesTheCodesOfBinDuplexAndPaper) {
  struct Case {
    TQRBin bin;
    bool duplex;
    Integer extendedDuplex;
    TQRPaperSize paper;
    bool customPaper;
    Word binCode, duplexCode, paperCode;
  };
  const Case cases[] = {
      {TQRBin::Cassette, false, 0, TQRPaperSize::A3, false, 14, DMDUP_SIMPLEX, 8},
      {TQRBin::Upper, true, 0, TQRPaperSize::A4, false, 1, DMDUP_HORIZONTAL, 9},
      {TQRBin::Auto, false, 2, TQRPaperSize::Letter, false, 7, 2, 1},  // the raw code overrides Duplex
      {TQRBin::Manual, true, 0, TQRPaperSize::A5, true, 4, DMDUP_HORIZONTAL, 300},
  };
  for (const Case& c : cases) {
    settings.SetOutputBin(c.bin);
    settings.SetDuplex(c.duplex);
    settings.SetExtendedDuplex(c.extendedDuplex);
    settings.SetPaperSize(c.paper);
    settings.SetUseCustomPaperCode(c.customPaper);
    settings.SetCustomPaperCode(300);
    settings.ApplySettings();
    const TDeviceMode& m = settings.GetDeviceMode().Mode;
    EXPECT_EQ(m.dmDefaultSource, c.binCode);
    EXPECT_EQ(m.dmDuplex, c.duplexCode);
    EXPECT_EQ(m.dmPaperSize, c.paperCode);
  }
  // A bin code of 14 reads back as the first bin that has it.
  bool ok = false;
  EXPECT_EQ(QRBinOfCode(14, ok), TQRBin::Cassette);
  EXPECT_EQ(QRBinOfCode(1, ok), TQRBin::First);
  EXPECT_EQ(QRPaperCode(TQRPaperSize::Custom), 256);
}

TEST_F(PrinterSettingsTest, FieldsTheDriverLacksAreLeftAlone) {
  settings.SetDeviceFields(DM_ALLFIELDS & ~(DM_DUPLEX | DM_PAPERSIZE));
  settings.SetDuplex(true);
  EXPECT_FALSE(settings.GetDuplex()) << "ignored without the driver's duplex field";
  const Word paperBefore = settings.GetDeviceMode().Mode.dmPaperSize;
  settings.SetPaperSize(TQRPaperSize::A3);
  settings.SetUseCustomPaperCode(true);
  settings.SetCustomPaperCode(300);
  settings.ApplySettings();
  EXPECT_EQ(settings.GetDeviceMode().Mode.dmDuplex, DMDUP_SIMPLEX);
  EXPECT_EQ(settings.GetDeviceMode().Mode.dmPaperSize, paperBefore);
  settings.SetPaperSize(TQRPaperSize::Custom);
  EXPECT_EQ(settings.GetPaperSize(), TQRPaperSize::Custom);
}

TEST_F(PrinterSettingsTest, TheApplicationCanTakeOverBothDirections) {
  TPrinterSettings own;
  own.OnGetPrinterSettings = [](TObject*, bool& cancel, TQRDeviceMode*) { cancel = true; };
  TDeviceMode mode = printer.GetDeviceMode();
  mode.dmCopies = 4;
  printer.SetDeviceMode(mode);
  own.SetPrinter(&printer);
  EXPECT_EQ(own.GetCopies(), 1) << "the values stay as they were";
  settings.SetPrinter(&printer);
  EXPECT_EQ(settings.GetCopies(), 4);
  settings.OnApplyPrinterSettings = [](TObject*, bool& cancel, TQRDeviceMode* m) {
    m->Mode.dmCopies = 9;
    cancel = true;
  };
  settings.ApplySettings();
  EXPECT_EQ(printer.GetCopies(), 4) << "a cancelled apply selects nothing";
}

TEST(QRPrintDialogTest, ReturnsTheRangeAndKeepsThePrintersCopiesForOne) {
  InitTestApplication();
  TPrinter printer;
  TDeviceMode mode = printer.GetDeviceMode();
  mode.dmCopies = 3;
  printer.SetDeviceMode(mode);
  TDialogAnswer answer;
  TDialogRequest asked;
  auto old = SetDialogHook([&](const TDialogRequest& r) {
    asked = r;
    return answer;
  });
  auto restore = MakeScopeExit([&] { SetDialogHook(old); });
  TQRPrintDialog dialog(nullptr);
  dialog.SetPrinter(&printer);
  dialog.SetOptions(TPrintDialogOptions{poPageNums});
  dialog.SetMinPage(1);
  dialog.SetMaxPage(9);

  answer.Result = 1;
  answer.FromPage = 2;
  answer.ToPage = 5;
  answer.Copies = 1;
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(asked.Kind, dkPrint);
  EXPECT_EQ(asked.MaxPage, 9);
  EXPECT_EQ(dialog.GetPrintRange(), prPageNums);
  EXPECT_EQ(dialog.GetFromPage(), 2);
  EXPECT_EQ(dialog.GetToPage(), 5);
  EXPECT_EQ(dialog.GetCopies(), 3);
  EXPECT_EQ(dialog.GetPaperSize(), mode.dmPaperSize);
  EXPECT_EQ(Printer() == &printer, false) << "the process-wide printer is put back";

  answer = TDialogAnswer();  // cancel
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(printer.GetCopies(), 3);
}

}  // namespace
