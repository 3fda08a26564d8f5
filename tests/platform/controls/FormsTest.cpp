// Forms from text form resources: the component tree, Enter and Esc on the default and cancel buttons,
// the timer, the main-form rule, closing, activation around a modal form, and Terminate ending a
// modal loop.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/controls/Later.h"

namespace {

const char kLoginForm[] = R"(object TestLoginForm: TTestLoginForm
  Left = 100
  Top = 80
  BorderStyle = bsDialog
  Caption = 'Авторизация'
  ClientHeight = 120
  ClientWidth = 260
  Position = poScreenCenter
  OnCreate = FormCreate
  object Label1: TLabel
    Left = 16
    Top = 20
    Caption = 'Логин'
  end
  object Edit1: TEdit
    Left = 80
    Top = 16
    Width = 160
    TabOrder = 0
  end
  object Button1: TButton
    Left = 80
    Top = 80
    Caption = 'Вход'
    Default = True
    ModalResult = 1
    TabOrder = 1
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 165
    Top = 80
    Caption = 'Отмена'
    Cancel = True
    ModalResult = 2
    TabOrder = 2
  end
  object Timer1: TTimer
    Interval = 10
    OnTimer = Timer1Timer
  end
end
)";

class TTestLoginForm : public TForm {
  KIV_CLASS(TTestLoginForm, TForm)
 public:
  explicit TTestLoginForm(TComponent* owner) : TForm(owner) {}
  static void Published(TPropBuilder<TTestLoginForm>& p) {
    p.Method(u"FormCreate", &TTestLoginForm::FormCreate);
    p.Method(u"Timer1Timer", &TTestLoginForm::Timer1Timer);
    p.Method(u"Button1Click", &TTestLoginForm::Button1Click);
  }
  void FormCreate(TObject*) {
    createdWithEdit = FindComponent(u"Edit1") != nullptr;
    ++creates;
  }
  void Timer1Timer(TObject*) { ++ticks; }
  void Button1Click(TObject*) { ++okClicks; }

  bool createdWithEdit = false;
  int creates = 0;
  int ticks = 0;
  int okClicks = 0;
};

// A form class with no resource of its own.
class TPlainForm : public TForm {
  KIV_CLASS(TPlainForm, TForm)
 public:
  explicit TPlainForm(TComponent* owner) : TForm(owner) {}
};

// Stored as visible, with Visible read before the events are assigned.
const char kVisibleForm[] = R"(object VisibleForm: TVisibleForm
  BorderStyle = bsSingle
  Caption = 'Старт'
  ClientHeight = 80
  ClientWidth = 200
  Visible = True
  OnActivate = FormActivate
  OnCreate = FormCreate
  OnShow = FormShow
end
)";

class TVisibleForm : public TForm {
  KIV_CLASS(TVisibleForm, TForm)
 public:
  explicit TVisibleForm(TComponent* owner) : TForm(owner) {}
  static void Published(TPropBuilder<TVisibleForm>& p) {
    p.Method(u"FormActivate", &TVisibleForm::FormActivate);
    p.Method(u"FormCreate", &TVisibleForm::FormCreate);
    p.Method(u"FormShow", &TVisibleForm::FormShow);
  }
  void FormActivate(TObject*) { events += u"activate;"; }
  void FormCreate(TObject*) { events += u"create;"; }
  void FormShow(TObject*) { events += u"show;"; }

  String events;
};

const bool kFormsRegistered = [] {
  RegisterClass(TTestLoginForm::StaticClass());
  RegisterResource(u"TTestLoginForm", reinterpret_cast<const Byte*>(kLoginForm), std::strlen(kLoginForm));
  RegisterClass(TVisibleForm::StaticClass());
  RegisterResource(u"TVisibleForm", reinterpret_cast<const Byte*>(kVisibleForm), std::strlen(kVisibleForm));
  return true;
}();

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitTestApplication(); }
};

TEST_F(FormsTest, FormResourceBuildsTheTreeBeforeOnCreateAndShowsHeadless) {
  auto* form = NewForm<TTestLoginForm>(nullptr);
  EXPECT_EQ(form->creates, 1);
  EXPECT_TRUE(form->createdWithEdit);
  EXPECT_EQ(form->GetCaption(), u"Авторизация");
  EXPECT_EQ(form->GetClientWidth(), 260);
  EXPECT_EQ(form->GetClientHeight(), 120);
  auto* edit = dynamic_cast<TEdit*>(form->FindComponent(u"Edit1"));
  auto* label = dynamic_cast<TLabel*>(form->FindComponent(u"Label1"));
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(edit->GetParent(), form);
  EXPECT_EQ(edit->GetWidth(), 160);
  EXPECT_EQ(label->GetCaption(), u"Логин");
  // AutoSize made the label as wide as its text.
  EXPECT_GT(label->GetWidth(), 10);
  EXPECT_LT(label->GetWidth(), 65);

  form->Show();
  ProcessPendingEvents();
  EXPECT_TRUE(form->GetShowing());
  EXPECT_TRUE(edit->GetShowing());
  EXPECT_EQ(FindControlByPath(u"TestLoginForm.Edit1"), edit);
  // poScreenCenter: centred in the work area.
  TRect work = Screen->GetWorkAreaRect();
  EXPECT_NEAR(form->GetLeft() + form->GetWidth() / 2.0, work.Left + work.Width() / 2.0, 1);
  // The first control in tab order has the focus.
  EXPECT_EQ(form->GetActiveControl(), edit);
  EXPECT_TRUE(edit->Focused());

  ProcessEventsFor(80);
  EXPECT_GE(form->ticks, 2);
  delete form;
}

TEST_F(FormsTest, EnterAndEscPressTheDefaultAndCancelButtons) {
  struct Case {
    Word key;
    TModalResult expected;
  } cases[] = {{VK_RETURN, mrOk}, {VK_ESCAPE, mrCancel}};
  for (const Case& c : cases) {
    auto* form = NewForm<TTestLoginForm>(nullptr);
    auto* edit = dynamic_cast<TEdit*>(form->FindComponent(u"Edit1"));
    TLater press([&] { SendKey(edit, c.key); }, 30);
    TModalResult result = form->ShowModal();
    EXPECT_EQ(result, c.expected) << c.key;
    EXPECT_EQ(form->okClicks, c.key == VK_RETURN ? 1 : 0);
    EXPECT_FALSE(form->GetVisible());
    delete form;
  }
}

TEST_F(FormsTest, ResourceLessFormClassIsRefusedButCreateNewWorks) {
  EXPECT_THROW(NewForm<TPlainForm>(nullptr), EResNotFound);
  auto* form = new TForm(nullptr, 0);
  form->AfterConstruction();
  EXPECT_EQ(form->GetControlCount(), 0);
  delete form;
}

TEST_F(FormsTest, CloseAsksOnCloseQueryAndOnCloseDecides) {
  auto* form = new TForm(nullptr, 0);
  form->AfterConstruction();
  bool allow = false;
  TCloseAction action = caHide;
  int closes = 0;
  form->OnCloseQuery = TCloseQueryEvent([&](TObject*, bool& canClose) { canClose = allow; });
  form->OnClose = TCloseEvent([&](TObject*, TCloseAction& a) {
    ++closes;
    a = action;
  });
  form->Show();
  form->Close();
  EXPECT_TRUE(form->GetVisible());
  EXPECT_EQ(closes, 0);
  allow = true;
  action = caNone;
  form->Close();
  EXPECT_TRUE(form->GetVisible());
  action = caHide;
  form->Close();
  EXPECT_FALSE(form->GetVisible());
  EXPECT_EQ(closes, 2);
  // caFree releases the form once the loop is back.
  form->Show();
  action = caFree;
  bool destroyed = false;
  form->OnDestroy = TNotifyEvent([&](TObject*) { destroyed = true; });
  form->Close();
  EXPECT_FALSE(destroyed);
  ProcessPendingEvents();
  EXPECT_TRUE(destroyed);
}

TEST_F(FormsTest, ModalChildClosingActivatesItsOwnerAgain) {
  auto* owner = new TForm(nullptr, 0);
  owner->AfterConstruction();
  int activations = 0, deactivations = 0;
  owner->OnActivate = TNotifyEvent([&](TObject*) { ++activations; });
  owner->OnDeactivate = TNotifyEvent([&](TObject*) { ++deactivations; });
  owner->Show();
  ProcessPendingEvents();
  EXPECT_EQ(activations, 1);
  auto* child = new TForm(owner, 0);
  child->AfterConstruction();
  TLater close([&] { child->SetModalResult(mrOk); }, 20);
  EXPECT_EQ(child->ShowModal(), mrOk);
  EXPECT_EQ(deactivations, 1);
  EXPECT_EQ(activations, 2);
  EXPECT_EQ(Screen->GetActiveCustomForm(), owner);
  // A visible form cannot become modal.
  EXPECT_THROW(owner->ShowModal(), EInvalidOperation);
  delete owner;
}

TEST_F(FormsTest, AFormStoredAsVisibleShowsAfterOnCreateAndRunsItsActivation) {
  auto* form = NewForm<TVisibleForm>(nullptr);
  ProcessPendingEvents();
  EXPECT_EQ(form->events, u"create;show;activate;");
  EXPECT_TRUE(form->GetShowing());
  EXPECT_EQ(Screen->GetActiveCustomForm(), form);
  // Another form of the program taking over deactivates it; coming back activates it again.
  int deactivations = 0;
  form->OnDeactivate = TNotifyEvent([&](TObject*) { ++deactivations; });
  auto* other = new TForm(nullptr, 0);
  other->AfterConstruction();
  other->Show();
  ProcessPendingEvents();
  EXPECT_EQ(deactivations, 1);
  form->SetFocus();
  EXPECT_EQ(form->events, u"create;show;activate;activate;");
  delete other;
  delete form;
}

TEST_F(FormsTest, AFormShownModallyTwiceThenFreedLeavesTheNextFormSound) {
  auto* owner = new TForm(nullptr, 0);
  owner->AfterConstruction();
  owner->Show();
  ProcessPendingEvents();
  auto* child = new TForm(owner, 0);
  child->AfterConstruction();
  auto* box = new TEdit(child);
  box->SetParent(child);
  for (int i = 0; i < 2; ++i) {
    TLater close([&] { child->SetModalResult(mrOk); }, 20);
    EXPECT_EQ(child->ShowModal(), mrOk);
  }
  delete child;
  ProcessPendingEvents();
  auto* next = new TForm(owner, 0);
  next->AfterConstruction();
  TLater close([&] { next->SetModalResult(mrCancel); }, 20);
  EXPECT_EQ(next->ShowModal(), mrCancel);
  delete owner;
  // Showing a form asks Qt which windows block it: the freed ones must not be among them.
  auto* fresh = new TForm(nullptr, 0);
  fresh->AfterConstruction();
  fresh->Show();
  ProcessPendingEvents();
  EXPECT_TRUE(fresh->GetShowing());
  delete fresh;
}

TEST_F(FormsTest, ModalResultSetInOnCloseQueryRefusalKeepsTheFormOpen) {
  auto* form = new TForm(nullptr, 0);
  form->AfterConstruction();
  int asked = 0;
  form->OnCloseQuery = TCloseQueryEvent([&](TObject*, bool& canClose) { canClose = ++asked > 1; });
  TLater first([&] { form->SetModalResult(mrOk); }, 20);
  TLater second([&] { form->SetModalResult(mrYes); }, 60);
  EXPECT_EQ(form->ShowModal(), mrYes);
  EXPECT_EQ(asked, 2);
  delete form;
}

TEST_F(FormsTest, MainFormIsTheFirstFormWhoseCreationCompletes) {
  // Creation order and completion order differ when OnCreate creates another form.
  ASSERT_EQ(Application->GetMainForm(), nullptr);
  TTestLoginForm* login = nullptr;
  Application->CreateForm(login);
  ASSERT_NE(login, nullptr);
  EXPECT_EQ(Application->GetMainForm(), login);
  TTestLoginForm* second = nullptr;
  Application->CreateForm(second);
  EXPECT_EQ(Application->GetMainForm(), login);
  delete second;
  delete login;
  EXPECT_EQ(Application->GetMainForm(), nullptr);
}

TEST_F(FormsTest, DataModuleIsListedOnTheScreen) {
  auto* module = new TDataModule(nullptr, 0);
  module->AfterConstruction();
  module->SetName(u"DataModule7");
  EXPECT_EQ(FindComponentByPath(u"DataModule7"), module);
  Integer count = Screen->GetDataModuleCount();
  delete module;
  EXPECT_EQ(Screen->GetDataModuleCount(), count - 1);
}

TEST_F(FormsTest, PopupFormShowsWithoutTakingTheFocus) {
  auto* owner = new TForm(nullptr, 0);
  owner->AfterConstruction();
  auto* edit = new TEdit(owner);
  edit->SetParent(owner);
  owner->Show();
  ProcessPendingEvents();
  ASSERT_TRUE(edit->Focused());
  auto* popup = new TForm(owner, 0);
  popup->AfterConstruction();
  popup->SetBorderStyle(bsNone);
  popup->SetBounds(5000, 5000, 100, 80);
  popup->ShowNoActivate();
  ProcessPendingEvents();
  EXPECT_TRUE(popup->GetShowing());
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(Screen->GetActiveCustomForm(), owner);
  // Placed inside the work area of its monitor.
  TRect work = Screen->WorkAreaOfRect(popup->GetBoundsRect());
  EXPECT_LE(popup->GetLeft() + popup->GetWidth(), work.Right);
  EXPECT_LE(popup->GetTop() + popup->GetHeight(), work.Bottom);
  delete owner;
}

TEST_F(FormsTest, ScreenKeepsUserCursorsAndFindsMonitors) {
  static std::vector<Byte> picture;
  {
    TBitmap bitmap(16, 16);
    TMemoryStream stream;
    bitmap.SaveToStream(&stream);
    auto* bytes = static_cast<const Byte*>(stream.GetMemory());
    picture.assign(bytes, bytes + stream.GetSize());
  }
  RegisterResource(u"TESTCURSOR", picture.data(), picture.size());
  HCURSOR cursor = LoadCursor(0, u"TESTCURSOR");
  ASSERT_NE(cursor, nullptr);
  Screen->SetCursors(1, cursor);
  EXPECT_EQ(Screen->GetCursors(1), cursor);
  EXPECT_NE(Screen->GetCursors(crHourGlass), nullptr);
  EXPECT_THROW(LoadCursor(0, u"NOSUCHCURSOR"), EOutOfResources);
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(Screen->GetCursor(), crHourGlass);
  Screen->SetCursor(crDefault);

  ASSERT_GE(Screen->GetMonitorCount(), 1);
  TMonitor* primary = Screen->GetMonitor(0);
  EXPECT_TRUE(primary->GetPrimary());
  TRect far = Bounds(100000, 100000, 10, 10);
  EXPECT_EQ(Screen->MonitorFromRect(far, mdNull), nullptr);
  EXPECT_EQ(Screen->MonitorFromRect(far, mdNearest), primary);
  EXPECT_EQ(Screen->WorkAreaOfRect(far), primary->GetWorkareaRect());
  EXPECT_EQ(Screen->GetPixelsPerInch(), 96);
  EXPECT_GT(Screen->GetFonts()->GetCount(), 0);
}

// Terminate ends the modal loop and the main loop: ShowModal returns and so does Run.
TEST_F(FormsTest, TerminateWhileAModalFormIsOpenEndsTheProgram) {
  TTestLoginForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_EQ(Application->GetMainForm(), main);
  TModalResult result = -1;
  bool modalWasOpen = false;
  auto* child = new TForm(main, 0);
  child->AfterConstruction();
  TLater openModal(
      [&] {
        TLater stop(
            [&] {
              modalWasOpen = child->IsModal() && child->GetShowing();
              Application->Terminate();
            },
            20);
        result = child->ShowModal();
      },
      20);
  Application->Run();
  EXPECT_TRUE(modalWasOpen);
  EXPECT_EQ(result, mrCancel);
  EXPECT_TRUE(Application->GetTerminated());
  EXPECT_FALSE(child->GetVisible());
  delete main;
  ResetApplicationForTests();
}

}  // namespace
