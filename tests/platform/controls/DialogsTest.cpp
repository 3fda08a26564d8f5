// Message boxes and dialogs: what the hook sees and answers, the real Qt boxes driven as a user would,
// and Application->Terminate() ending an open box.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/classes/StringList.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/controls/Later.h"

namespace {

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitTestApplication(); }
};

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / ("kiv_dialogs_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

struct BoxCase {
  Integer flags;
  std::vector<Integer> buttons;
  std::vector<String> captions;
  Integer defaultButton;
};

TEST_F(DialogsTest, MessageBoxFlagsGiveButtonsCaptionsAndDefault) {
  const BoxCase cases[] = {
      {16, {IDOK}, {u"ОК"}, IDOK},
      {20, {IDYES, IDNO}, {u"Да", u"Нет"}, IDYES},
      {36, {IDYES, IDNO}, {u"Да", u"Нет"}, IDYES},
      {36 | MB_DEFBUTTON2, {IDYES, IDNO}, {u"Да", u"Нет"}, IDNO},
      {48, {IDOK}, {u"ОК"}, IDOK},
      {52, {IDYES, IDNO}, {u"Да", u"Нет"}, IDYES},
      {64, {IDOK}, {u"ОК"}, IDOK},
      {MB_OKCANCEL, {IDOK, IDCANCEL}, {u"ОК", u"Отмена"}, IDOK},
      {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, {u"Прервать", u"Повтор", u"Пропустить"}, IDABORT},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, {u"Да", u"Нет", u"Отмена"}, IDCANCEL},
      {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, {u"Повтор", u"Отмена"}, IDRETRY},
  };
  for (const BoxCase& c : cases) {
    TDialogRecorder hook(TDialogAnswer::Button(c.defaultButton));
    Integer result = Application->MessageBox(u"Удалить запись?", u"Удаление", c.flags);
    SCOPED_TRACE(c.flags);
    ASSERT_EQ(hook.Count(), 1);
    const TDialogRequest& r = hook.Last();
    EXPECT_EQ(r.Kind, dkMessageBox);
    EXPECT_EQ(r.Text, u"Удалить запись?");
    EXPECT_EQ(r.Caption, u"Удаление");
    EXPECT_EQ(r.Flags, c.flags);
    EXPECT_EQ(r.Buttons, c.buttons);
    EXPECT_EQ(r.ButtonCaptions, c.captions);
    EXPECT_EQ(r.DefaultButton, c.defaultButton);
    EXPECT_EQ(result, c.defaultButton);
  }
}

TEST_F(DialogsTest, QuestionBoxReturnsTheChosenAnswer) {
  TDialogRecorder hook;
  hook.AnswerButton(IDYES).AnswerButton(IDNO);
  EXPECT_EQ(Application->MessageBox(u"Сохранить?", u"Запрос", 36), IDYES);
  EXPECT_EQ(Application->MessageBox(u"Сохранить?", u"Запрос", 36), IDNO);
  // An answer the box does not offer is a fault of the test, not a silent OK.
  hook.AnswerButton(IDOK);
  EXPECT_THROW(Application->MessageBox(u"Сохранить?", u"Запрос", 36), EInvalidOperation);
}

TEST_F(DialogsTest, MessageBoxWithoutCaptionIsCalledError) {
  TDialogRecorder hook(TDialogAnswer::Button(IDOK));
  Application->MessageBox(u"Нет связи", u"", MB_OK);
  EXPECT_EQ(hook.Last().Caption, u"Ошибка");
}

TEST_F(DialogsTest, MessageDlgButtonsResultsAndCaptions) {
  struct Case {
    TMsgDlgType type;
    TMsgDlgButtons buttons;
    String caption;
    std::vector<Integer> results;
    std::vector<String> texts;
    Integer defaultResult;
  };
  const Case cases[] = {
      {mtConfirmation, mbYesNo, u"Подтверждение", {mrYes, mrNo}, {u"Да", u"Нет"}, mrYes},
      {mtWarning,
       mbYesNoCancel,
       u"Предупреждение",
       {mrYes, mrNo, mrCancel},
       {u"Да", u"Нет", u"Отмена"},
       mrYes},
      {mtError, mbOKCancel, u"Ошибка", {mrOk, mrCancel}, {u"ОК", u"Отмена"}, mrOk},
      {mtInformation, TMsgDlgButtons{mbOK}, u"Информация", {mrOk}, {u"ОК"}, mrOk},
      {mtConfirmation,
       TMsgDlgButtons{mbYes, mbNo, mbAll},
       u"Подтверждение",
       {mrYes, mrNo, mrAll},
       {u"Да", u"Нет", u"Все"},
       mrYes},
      {mtWarning,
       mbAbortRetryIgnore,
       u"Предупреждение",
       {mrAbort, mrRetry, mrIgnore},
       {u"Прервать", u"Повтор", u"Пропустить"},
       mrRetry},
  };
  for (const Case& c : cases) {
    TDialogRecorder hook(TDialogAnswer::Button(c.results.back()));
    EXPECT_EQ(MessageDlg(u"Текст", c.type, c.buttons, 7), c.results.back());
    const TDialogRequest& r = hook.Last();
    EXPECT_EQ(r.Kind, dkMessageDlg);
    EXPECT_EQ(r.DlgType, c.type);
    EXPECT_EQ(r.Caption, c.caption);
    EXPECT_EQ(r.Buttons, c.results);
    EXPECT_EQ(r.ButtonCaptions, c.texts);
    EXPECT_EQ(r.DefaultButton, c.defaultResult);
    EXPECT_EQ(r.HelpContext, 7);
  }
}

TEST_F(DialogsTest, ShowMessageAndPositionedDialogs) {
  Application->SetTitle(u"KIV.ERP");
  TDialogRecorder hook(TDialogAnswer::Button(mrOk));
  ShowMessageFmt(u"Записей: %d", {42});
  EXPECT_EQ(hook.Last().Text, u"Записей: 42");
  EXPECT_EQ(hook.Last().Caption, u"KIV.ERP");
  EXPECT_EQ(hook.Last().Buttons, std::vector<Integer>{mrOk});

  MessageDlgPos(u"Здесь", mtInformation, TMsgDlgButtons{mbOK}, 0, 120, 80);
  EXPECT_EQ(hook.Last().X, 120);
  EXPECT_EQ(hook.Last().Y, 80);
  // An explicit default button.
  hook.AnswerButton(mrNo);
  EXPECT_EQ(MessageDlg(u"Удалить?", mtConfirmation, mbYesNo, 0, mbNo), mrNo);
  EXPECT_EQ(hook.Last().DefaultButton, mrNo);
}

TEST_F(DialogsTest, MessageDialogFormAsksTheHookWhenShownModally) {
  TDialogRecorder hook(TDialogAnswer::Button(mrNo));
  std::unique_ptr<TForm> form(CreateMessageDialog(u"Продолжить?", mtConfirmation, mbYesNo));
  EXPECT_EQ(form->GetCaption(), u"Подтверждение");
  int buttons = 0;
  for (Integer i = 0; i < form->GetControlCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(form->GetControl(i))) {
      ++buttons;
      EXPECT_TRUE(b->GetModalResult() == mrYes || b->GetModalResult() == mrNo);
      EXPECT_EQ(b->GetDefault(), b->GetModalResult() == mrYes);
      EXPECT_EQ(b->GetCancel(), b->GetModalResult() == mrNo);
    }
  EXPECT_EQ(buttons, 2);
  EXPECT_EQ(form->ShowModal(), mrNo);
  EXPECT_EQ(hook.Last().Text, u"Продолжить?");
}

TEST_F(DialogsTest, InputQueryTakesTheTypedTextOnlyWhenAccepted) {
  TDialogRecorder hook;
  hook.Answer(TDialogAnswer::Accept(u"Склад №2")).Answer(TDialogAnswer::Cancel());
  String value = u"Склад";
  EXPECT_TRUE(InputQuery(u"Склад", u"Название:", value));
  EXPECT_EQ(value, u"Склад №2");
  EXPECT_EQ(hook.Last().Kind, dkInputQuery);
  EXPECT_EQ(hook.Last().Caption, u"Склад");
  EXPECT_EQ(hook.Last().Text, u"Название:");
  EXPECT_EQ(hook.Last().Value, u"Склад");
  EXPECT_FALSE(InputQuery(u"Склад", u"Название:", value));
  EXPECT_EQ(value, u"Склад №2");
  EXPECT_EQ(InputBox(u"Склад", u"Название:", u"по умолчанию"), u"по умолчанию");
}

TEST_F(DialogsTest, OpenDialogReportsItsSettingsAndTakesTheAnswer) {
  TOpenDialog dialog(nullptr);
  dialog.SetFilter(u"Text files|*.txt|All|*.*");
  dialog.SetFilterIndex(2);
  dialog.SetInitialDir(u"/tmp");
  dialog.SetOptions(TOpenOptions{ofAllowMultiSelect, ofHideReadOnly});
  TDialogRecorder hook;
  TDialogAnswer answer = TDialogAnswer::Accept();
  answer.Files = {u"/tmp/a.txt", u"/tmp/б.txt"};
  answer.FilterIndex = 1;
  hook.Answer(answer).Answer(TDialogAnswer::Cancel());
  ASSERT_TRUE(dialog.Execute());
  const TDialogRequest& r = hook.Last();
  EXPECT_EQ(r.Kind, dkOpenFile);
  EXPECT_EQ(r.Caption, u"Открыть");
  EXPECT_EQ(r.Filter, u"Text files|*.txt|All|*.*");
  EXPECT_EQ(r.FilterIndex, 2);
  EXPECT_EQ(r.InitialDir, u"/tmp");
  EXPECT_EQ(TOpenOptions::FromBits(static_cast<UInt64>(r.Flags)),
            (TOpenOptions{ofAllowMultiSelect, ofHideReadOnly}));
  EXPECT_EQ(dialog.GetFileName(), u"/tmp/a.txt");
  ASSERT_EQ(dialog.GetFiles()->Count(), 2);
  EXPECT_EQ(dialog.GetFiles()->Get(1), u"/tmp/б.txt");
  EXPECT_EQ(dialog.GetFilterIndex(), 1);
  // Cancelled: nothing changes.
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.GetFileName(), u"/tmp/a.txt");
}

TEST_F(DialogsTest, OpenDialogRefusesAMissingFileWhenItMustExist) {
  TOpenDialog dialog(nullptr);
  dialog.SetOptions(TOpenOptions{ofFileMustExist});
  dialog.SetTitle(u"Загрузить");
  TDialogRecorder hook(TDialogAnswer::Button(IDOK));
  hook.Answer(TDialogAnswer::Accept(Utf8ToString(TempPath("missing.txt"))));
  EXPECT_FALSE(dialog.Execute());
  EXPECT_TRUE(dialog.GetFileName().empty());
  ASSERT_EQ(hook.Count(), 2);
  EXPECT_EQ(hook.Requests()[0].Caption, u"Загрузить");
  EXPECT_EQ(hook.Requests()[1].Kind, dkMessageBox);
  EXPECT_NE(hook.Requests()[1].Text.find(u"Файл не найден"), String::npos);
}

TEST_F(DialogsTest, SaveDialogAddsTheDefaultExtensionAndConfirmsOverwriting) {
  std::string existing = TempPath("report.csv");
  std::ofstream(existing) << "x";
  String base = Utf8ToString(existing.substr(0, existing.size() - 4));
  TSaveDialog dialog(nullptr);
  dialog.SetDefaultExt(u"csv");
  dialog.SetOptions(TOpenOptions{ofOverwritePrompt});
  {
    TDialogRecorder hook;
    hook.Answer(TDialogAnswer::Accept(base)).AnswerButton(IDNO);
    EXPECT_FALSE(dialog.Execute());
    ASSERT_EQ(hook.Count(), 2);
    EXPECT_EQ(hook.Requests()[0].Kind, dkSaveFile);
    EXPECT_EQ(hook.Requests()[0].Caption, u"Сохранить как");
    EXPECT_EQ(hook.Requests()[1].Flags, MB_YESNO | MB_ICONWARNING);
  }
  {
    TDialogRecorder hook;
    hook.Answer(TDialogAnswer::Accept(base)).AnswerButton(IDYES);
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.GetFileName(), base + u".csv");
  }
  {
    // A new file needs no question.
    TDialogRecorder hook;
    hook.Answer(TDialogAnswer::Accept(base + u"_new"));
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(hook.Count(), 1);
    EXPECT_EQ(dialog.GetFileName(), base + u"_new.csv");
  }
  std::filesystem::remove(existing);
}

TEST_F(DialogsTest, PictureDialogsOfferTheGraphicFormats) {
  TOpenPictureDialog open(nullptr);
  TSavePictureDialog save(nullptr);
  EXPECT_NE(open.GetFilter().find(u"*.bmp"), String::npos);
  EXPECT_EQ(open.GetFilter(), save.GetFilter());
  TDialogRecorder hook;
  hook.Answer(TDialogAnswer::Accept(u"/tmp/p.bmp"));
  EXPECT_TRUE(save.Execute());
  EXPECT_EQ(hook.Last().Kind, dkSaveFile);
}

TEST_F(DialogsTest, FontAndColorDialogsTakeOnlyAcceptedAnswers) {
  TFontDialog fonts(nullptr);
  fonts.GetFont()->SetName(u"Arial");
  fonts.GetFont()->SetSize(10);
  TDialogRecorder hook;
  TDialogAnswer font = TDialogAnswer::Accept();
  font.FontName = u"Times New Roman";
  font.FontSize = 14;
  font.FontStyle = static_cast<Int64>(TFontStyles{fsBold, fsItalic}.Bits());
  hook.Answer(font).Answer(TDialogAnswer::Cancel());
  EXPECT_TRUE(fonts.Execute());
  EXPECT_EQ(hook.Last().Kind, dkFont);
  EXPECT_EQ(hook.Last().FontName, u"Arial");
  EXPECT_EQ(hook.Last().FontSize, 10);
  EXPECT_EQ(fonts.GetFont()->GetName(), u"Times New Roman");
  EXPECT_EQ(fonts.GetFont()->GetSize(), 14);
  EXPECT_EQ(fonts.GetFont()->GetStyle(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_FALSE(fonts.Execute());
  EXPECT_EQ(fonts.GetFont()->GetName(), u"Times New Roman");

  TColorDialog colors(nullptr);
  colors.SetColor(clRed);
  TDialogAnswer color = TDialogAnswer::Accept();
  color.Color = clNavy;
  hook.Answer(color).Answer(TDialogAnswer::Cancel());
  EXPECT_TRUE(colors.Execute());
  EXPECT_EQ(hook.Last().Color, clRed);
  EXPECT_EQ(colors.GetColor(), clNavy);
  EXPECT_FALSE(colors.Execute());
  EXPECT_EQ(colors.GetColor(), clNavy);
}

TEST_F(DialogsTest, RealMessageBoxShowsRussianButtonsAndAnswersTheClickedOne) {
  ASSERT_FALSE(DialogHookInstalled());
  String seenText;
  std::vector<String> seenButtons;
  TLater click([&] {
    seenText = ActiveDialogText();
    seenButtons = ActiveDialogButtons();
    ClickActiveDialogButton(u"Нет");
  });
  EXPECT_EQ(Application->MessageBox(u"Удалить документ?", u"Удаление", 36), IDNO);
  EXPECT_EQ(seenText, u"Удалить документ?");
  EXPECT_EQ(seenButtons.size(), 2u);
  EXPECT_NE(std::find(seenButtons.begin(), seenButtons.end(), u"Да"), seenButtons.end());
}

TEST_F(DialogsTest, RealInputQueryReturnsTheTextWhenOkIsClicked) {
  TLater click([] { ClickActiveDialogButton(u"ОК"); });
  String value = u"исходный";
  EXPECT_TRUE(InputQuery(u"Ввод", u"Значение:", value));
  EXPECT_EQ(value, u"исходный");
}

TEST_F(DialogsTest, RealFileDialogShowsAndReturnsTheChosenFile) {
  std::string path = TempPath("chosen.txt");
  std::ofstream(path) << "x";
  TOpenDialog dialog(nullptr);
  dialog.SetTitle(u"Выбор файла");
  dialog.SetFilter(u"Text files|*.txt|All|*.*");
  dialog.SetOptions(TOpenOptions{ofFileMustExist});
  dialog.SetFileName(Utf8ToString(path));
  String title;
  TLater cancel([&] {
    title = ActiveDialogText();
    ClickActiveDialogButton(u"Cancel");
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(title, u"Выбор файла");
  TLater open([] { ClickActiveDialogButton(u"Open"); });
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.GetFileName(), Utf8ToString(path));
  EXPECT_EQ(dialog.GetFilterIndex(), 1);
  std::filesystem::remove(path);
}

// Terminate ends the program's loops for good, so it runs in a process of its own: a box opened from
// the main loop is closed by Terminate, answers No, and the main loop ends as well.
TEST_F(DialogsTest, TerminateClosesAnOpenMessageBoxWithTheCautiousAnswer) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        InitTestApplication();
        TForm* mainForm = nullptr;
        Application->CreateForm(mainForm);
        Integer answer = -1;
        TLater open([&] { answer = Application->MessageBox(u"Удалить?", u"Удаление", 36); });
        TLater stop([] { Application->Terminate(); }, 200);
        Application->Run();
        std::fprintf(stderr, "answer=%d terminated=%d\n", answer, Application->GetTerminated() ? 1 : 0);
        std::exit(answer == IDNO ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "answer=7 terminated=1");
}

}  // namespace
