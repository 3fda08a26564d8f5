// The rich-text editor: Cyrillic text with formatting saved and loaded back, the saved file opened by
// LibreOffice, the overwrite question, and the value handed back to the bag as RTF.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "gridlib/base/RichEditFormsEh.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class RichEditFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeRichEditFormsEh();
    dir_ = std::filesystem::temp_directory_path() / ("kiv-rich-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    form_ = std::make_unique<TRichEditWinEh>(nullptr);
    form_->Show();
    ProcessPendingEvents();
  }
  void TearDown() override {
    form_.reset();
    std::filesystem::remove_all(dir_);
  }

  void Select(Integer start, Integer length) {
    form_->Editor->SetSelStart(start);
    form_->Editor->SetSelLength(length);
    form_->SelectionChange(nullptr);
  }

  std::filesystem::path dir_;
  std::unique_ptr<TRichEditWinEh> form_;
};

TEST_F(RichEditFormTest, FormattedCyrillicSurvivesSaveAndLoadAndLibreOfficeReadsIt) {
  TRichEdit* editor = form_->Editor;
  editor->SetText(u"Итого: 100 руб.\r\nГлавный бухгалтер");
  Select(0, 5);
  form_->BoldButton->SetDown(true);
  form_->BoldButtonClick(form_->BoldButton);
  Select(18, 4);
  form_->CenterAlign->SetDown(true);
  form_->AlignButtonClick(form_->CenterAlign);

  const std::filesystem::path saved = dir_ / "акт.rtf";
  {
    TDialogRecorder dialogs;
    dialogs.Answer(TDialogAnswer::Accept(Utf8ToString((dir_ / "акт").string())));
    form_->FileSave(nullptr);
  }
  ASSERT_TRUE(std::filesystem::exists(saved));
  EXPECT_FALSE(editor->GetModified());

  editor->SetText(u"");
  {
    TDialogRecorder dialogs;
    dialogs.Answer(TDialogAnswer::Accept(Utf8ToString(saved.string())));
    form_->FileOpen(nullptr);
  }
  EXPECT_EQ(editor->GetText(), u"Итого: 100 руб.\r\nГлавный бухгалтер");
  Select(1, 2);
  EXPECT_TRUE(editor->GetSelAttributes()->GetStyle().Contains(fsBold));
  EXPECT_EQ(editor->GetParagraph()->GetAlignment(), taLeftJustify);
  Select(7, 3);
  EXPECT_FALSE(editor->GetSelAttributes()->GetStyle().Contains(fsBold));
  Select(20, 2);
  EXPECT_EQ(editor->GetParagraph()->GetAlignment(), taCenter);

  // Printed after the print dialog: the PDF printer's page holds the text.
  const std::filesystem::path pdf = dir_ / "printed.pdf";
  Printer()->SetOutputFileName(Utf8ToString(pdf.string()));
  {
    TDialogRecorder dialogs;
    dialogs.Answer(TDialogAnswer::Accept());
    form_->FilePrint(nullptr);
  }
  Printer()->SetOutputFileName(String());
  if (std::filesystem::exists(pdf) && std::system("command -v pdftotext >/dev/null") == 0) {
    ASSERT_EQ(std::system(("pdftotext '" + pdf.string() + "' '" + pdf.string() + ".txt'").c_str()), 0);
    EXPECT_NE(ReadFile(pdf.string() + ".txt").find("Главный бухгалтер"), std::string::npos);
  } else {
    ADD_FAILURE() << "nothing printed to " << pdf;
  }

  if (std::system("command -v soffice >/dev/null") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  const std::string command = "cd '" + dir_.string() + "' && HOME='" + dir_.string() +
                              "' soffice --headless --convert-to txt:Text --outdir out '" + saved.string() +
                              "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string text = ReadFile(dir_ / "out" / "акт.txt");
  EXPECT_NE(text.find("Итого: 100 руб."), std::string::npos) << text;
  EXPECT_NE(text.find("Главный бухгалтер"), std::string::npos) << text;
}

TEST_F(RichEditFormTest, SaveNamesAndTheOverwriteQuestion) {
  EXPECT_EQ(TRichEditWinEh::SaveFileName(u"письмо"), u"письмо.rtf");
  EXPECT_EQ(TRichEditWinEh::SaveFileName(u"ПИСЬМО.RtF"), u"ПИСЬМО.RtF");
  EXPECT_EQ(TRichEditWinEh::SaveFileName(u"notes.txt"), u"notes.txt.rtf");

  const std::filesystem::path existing = dir_ / "old.rtf";
  std::ofstream(existing) << "старое";
  form_->Editor->SetText(u"новое");
  for (Integer answer : {mrNo, mrCancel}) {
    TDialogRecorder dialogs;
    dialogs.Answer(TDialogAnswer::Accept(Utf8ToString(existing.string()))).AnswerButton(answer);
    form_->FileSave(nullptr);
    ASSERT_EQ(dialogs.Count(), 2);
    EXPECT_EQ(dialogs.Last().Text, u"OK to overwrite " + Utf8ToString(existing.string()));
    EXPECT_EQ(ReadFile(existing), "старое");
  }
  TDialogRecorder dialogs;
  dialogs.Answer(TDialogAnswer::Accept(Utf8ToString(existing.string()))).AnswerButton(mrYes);
  form_->FileSave(nullptr);
  EXPECT_EQ(ReadFile(existing).rfind("{\\rtf", 0), 0u);
}

TEST_F(RichEditFormTest, MenuShortcutsReachTheCommands) {
  TDialogRecorder dialogs;
  SendKey(form_->Editor, u'S', TShiftState{ssCtrl});
  SendKey(form_->Editor, u'O', TShiftState{ssCtrl});
  ProcessPendingEvents();
  ASSERT_EQ(dialogs.Count(), 2);
  EXPECT_EQ(dialogs.Requests()[0].Filter, form_->SaveDialog->GetFilter());
}

TEST_F(RichEditFormTest, PlainValueComesBackAsRtfAndEscapeReturnsNothing) {
  TDynVarsEh bag(nullptr);
  bag.CreateDynVar(String(), Variant(String(u"Договор № 5")));
  bool accepted = false;
  form_->ExecuteNomodal(TRect(10, 10, 100, 30), nullptr, daLeft, &bag, nullptr,
                        [&](TObject*, bool accept, TDynVarsEh*, TObject*) { accepted = accept; });
  form_->InitForm(nullptr, &bag);
  ProcessPendingEvents();
  EXPECT_EQ(form_->Editor->GetText(), u"Договор № 5");
  EXPECT_EQ(form_->GetPassParams(), pspFieldValueEh);
  form_->OKButtonClick(nullptr);
  ProcessPendingEvents();
  EXPECT_TRUE(accepted);
  const String rtf = VarToStr(bag.GetItem(0)->GetValue());
  EXPECT_EQ(rtf.rfind(u"{\\rtf", 0), 0u);

  // An RTF value is shown formatted, and Esc in the editor closes without handing it back.
  form_->ExecuteNomodal(TRect(10, 10, 100, 30), nullptr, daLeft, &bag, nullptr,
                        [&](TObject*, bool accept, TDynVarsEh*, TObject*) { accepted = accept; });
  form_->InitForm(nullptr, &bag);
  ProcessPendingEvents();
  EXPECT_EQ(form_->Editor->GetText(), u"Договор № 5");
  form_->Editor->SetText(u"изменено");
  SendKey(form_->Editor, VK_ESCAPE);
  ProcessPendingEvents();
  EXPECT_FALSE(accepted);
  EXPECT_EQ(VarToStr(bag.GetItem(0)->GetValue()), rtf);
}

}  // namespace
