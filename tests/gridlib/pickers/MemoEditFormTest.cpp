// The memo editor as a dialog through the memo-edit routine and as a drop-down with its bag: the text
// comes back only on OK, with the memo's line breaks, and a read-only run returns nothing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "gridlib/base/MemoEditFormsEh.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/testing/TestSupport.h"

namespace {

class MemoEditFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeMemoEditFormsEh();
    form_ = static_cast<TMemoEditWinEh*>(TMemoEditWinEh::GetGlobalRef());
  }

  // Runs the routine while the action works the open dialog.
  bool EditModal(String& text, bool readOnly, std::function<void()> action) {
    TTimer timer(nullptr);
    timer.SetInterval(50);
    timer.OnTimer = TNotifyEvent([&](TObject*) {
      if (!form_->GetVisible()) return;
      timer.SetEnabled(false);
      action();
    });
    timer.SetEnabled(true);
    return GetMemoEditProcEh()(text, TRect(), readOnly);
  }

  void Click(TControl* button) { SendClick(button, TPoint(5, 5)); }

  TMemoEditWinEh* form_ = nullptr;
};

TEST_F(MemoEditFormTest, DialogReturnsTheEditedLinesOnlyOnOk) {
  ASSERT_NE(GetMemoEditProcEh(), nullptr);
  String text = u"Акт сверки";
  EXPECT_TRUE(EditModal(text, false, [this] {
    EXPECT_EQ(form_->Memo1->GetText(), u"Акт сверки");
    EXPECT_TRUE(form_->sbOk->GetEnabled());
    form_->Memo1->GetLines()->Add(u"вторая строка");
    Click(form_->sbOk);
  }));
  EXPECT_EQ(text, u"Акт сверки\r\nвторая строка\r\n");
  EXPECT_EQ(form_->GetPassParams(), pspFieldValueEh);

  String kept = u"не менять";
  EXPECT_FALSE(EditModal(kept, false, [this] {
    form_->Memo1->SetText(u"изменено");
    Click(form_->sbCancel);
  }));
  EXPECT_EQ(kept, u"не менять");
}

TEST_F(MemoEditFormTest, ReadOnlyRunShowsTheTextWithOkDisabled) {
  String text = u"только чтение";
  EXPECT_FALSE(EditModal(text, true, [this] {
    EXPECT_FALSE(form_->sbOk->GetEnabled());
    EXPECT_TRUE(form_->Memo1->GetReadOnly());
    Click(form_->sbOk);
    Click(form_->sbCancel);
  }));
  EXPECT_EQ(text, u"только чтение");
  form_->SetReadOnly(false);
}

TEST_F(MemoEditFormTest, DropDownRunsReuseTheFormAndHandTheTextBackThroughTheBag) {
  EXPECT_EQ(TMemoEditWinEh::GetGlobalRef(), form_);
  TDynVarsEh bag(nullptr);
  bag.CreateDynVar(String(), Variant(String(u"первый")));
  bool accepted = false;
  const auto drop = [&](TDynVarsEh* params) {
    form_->ExecuteNomodal(TRect(100, 100, 200, 120), nullptr, daLeft, params, nullptr,
                          [&](TObject*, bool accept, TDynVarsEh*, TObject*) { accepted = accept; });
    form_->InitForm(nullptr, params);
    ProcessPendingEvents();
  };
  drop(&bag);
  form_->Memo1->SetText(u"второй");
  Click(form_->sbOk);
  ProcessPendingEvents();
  EXPECT_TRUE(accepted);
  EXPECT_EQ(VarToStr(bag.GetItem(0)->GetValue()), u"второй");
  // A run without a variable keeps the previous text.
  TDynVarsEh empty(nullptr);
  drop(&empty);
  EXPECT_EQ(form_->GetPassParams(), pspByFieldNamesEh);
  EXPECT_EQ(form_->Memo1->GetText(), u"второй");
  Click(form_->sbCancel);
  ProcessPendingEvents();
  EXPECT_FALSE(accepted);
}

}  // namespace
