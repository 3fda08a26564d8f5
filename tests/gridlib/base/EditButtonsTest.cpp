// Edit buttons and drop-down form call parameters: button defaults, draw-back time, clicks and actions,
// state images, the spin control's halves and its repeat timer, and the values a drop-down form takes
// and gives back.
#include <gtest/gtest.h>

#include "gridlib/base/DropDownFormEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/data/DataSource.h"
#include "platform/graphics/ImageList.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

TEST(EditButtonTest, DefaultsShortcutsGlyphCountAndDrawBackTime) {
  TEditButtonsEh buttons(nullptr, TEditButtonEh::StaticClass());
  TEditButtonEh* b = buttons.Add();
  EXPECT_FALSE(b->GetVisible());
  EXPECT_EQ(b->GetStyle(), ebsDropDownEh);
  EXPECT_EQ(b->GetShortCut(), 0);
  b->SetNumGlyphs(0);
  EXPECT_EQ(b->GetNumGlyphs(), 1);
  b->SetNumGlyphs(7);
  EXPECT_EQ(b->GetNumGlyphs(), 4);
  // The collection's owner does not answer IEditButtonsOwnerEh: always, and not stored until set.
  EXPECT_EQ(b->GetDrawBackTime(), edbtAlwaysEh);
  EXPECT_FALSE(b->GetDrawBackTimeStored());
  b->SetDrawBackTime(edbtWhenHotEh);
  EXPECT_TRUE(b->GetDrawBackTimeStored());
  b->SetDrawBackTimeStored(false);
  EXPECT_EQ(b->GetDrawBackTime(), edbtAlwaysEh);

  TVisibleEditButtonEh visible(nullptr, 0);
  TDropDownEditButtonEh dropDown(nullptr, 0);
  EXPECT_TRUE(visible.GetVisible());
  EXPECT_FALSE(dropDown.GetVisible());
  EXPECT_EQ(visible.GetShortCut(), ShortCut(VK_DOWN, {ssAlt}));
  EXPECT_EQ(dropDown.GetShortCut(), ShortCut(VK_DOWN, {ssAlt}));
}

class TDrawBackOwner : public TPersistent, public IEditButtonsOwnerEh {
 public:
  TEditButtonDrawBackTimeEh GetEditButtonDrawBackTime() override { return edbtWhenHotEh; }
};

TEST(EditButtonTest, OwnerDecidesTheDefaultAndChangesReachTheCollection) {
  TDrawBackOwner owner;
  TEditButtonsEh buttons(&owner, TEditButtonEh::StaticClass());
  int changes = 0;
  buttons.OnChanged = [&](TObject*) { ++changes; };
  TEditButtonEh* b = buttons.Add();
  EXPECT_EQ(b->GetDrawBackTime(), edbtWhenHotEh);
  changes = 0;
  b->SetStyle(ebsEllipsisEh);
  b->SetStyle(ebsEllipsisEh);
  EXPECT_EQ(changes, 1) << "a setter notifies only on a change";
}

TEST(EditButtonTest, ClickPrefersTheHandlerThenTheAction) {
  InitTestApplication();
  TComponent owner(nullptr);
  auto* action = new TAction(&owner);
  int executed = 0;
  action->OnExecute = [&](TObject*) { ++executed; };
  TEditButtonEh b(nullptr, 0);

  bool handled = false;
  b.Click(&b, handled);
  EXPECT_FALSE(handled) << "no handler, no action";

  b.SetAction(action);
  b.Click(&b, handled);
  EXPECT_TRUE(handled);
  EXPECT_EQ(executed, 1);

  int clicked = 0;
  b.SetOnClick([&](TObject*, bool&) { ++clicked; });
  handled = false;
  b.Click(&b, handled);
  EXPECT_EQ(clicked, 1);
  EXPECT_EQ(executed, 1) << "a button with OnClick never runs its action";

  // The action's state shows on the button.
  action->SetEnabled(false);
  EXPECT_FALSE(b.GetEnabled());
}

TEST(EditButtonTest, StateImagesFallBackToTheNormalList) {
  InitTestApplication();
  TCustomImageList normal(nullptr);
  TButtonImagesEh images;
  images.SetNormalImages(&normal);
  images.SetHotIndex(3);
  EXPECT_EQ(images.GetStateImages(ebstHotEh), &normal);
  EXPECT_EQ(images.GetStateIndex(ebstHotEh), 3);
  EXPECT_EQ(images.GetStateIndex(ebstControlHotEh), -1);
  EXPECT_EQ(images.GetStateImages(ebstControlHotEh), &normal);
}

class SpinControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 200, 100);
    control_ = new TEditButtonControlEh(form_.get());
    control_->SetParent(form_.get());
    control_->SetBounds(10, 10, 17, 21);  // odd: row 10 is in neither half
    control_->SetStyle(ebsUpDownEh);
    control_->OnDown = [this](TObject*, bool top, bool& autoRepeat, bool&) {
      downs_.push_back(top);
      autoRepeat = keepRepeating_;
    };
    form_->Show();
  }
  void Tick() { control_->GetRepeatTimer()->OnTimer(control_->GetRepeatTimer()); }

  std::unique_ptr<TForm> form_;
  TEditButtonControlEh* control_ = nullptr;
  std::vector<bool> downs_;
  bool keepRepeating_ = true;
};

TEST_F(SpinControlTest, HoldingRepeatsAfter400ThenEvery100UntilTheHandlerStops) {
  SendMouseDown(control_, mbLeft, TPoint(8, 3));
  EXPECT_EQ(control_->GetButtonNum(), 1);
  ASSERT_NE(control_->GetRepeatTimer(), nullptr);
  EXPECT_TRUE(control_->GetRepeatTimer()->GetEnabled());
  EXPECT_EQ(control_->GetRepeatTimer()->GetInterval(), 400u);
  Tick();
  EXPECT_EQ(control_->GetRepeatTimer()->GetInterval(), 100u);
  Tick();
  EXPECT_EQ(control_->GetRepeatTimer()->GetInterval(), 100u);
  keepRepeating_ = false;
  Tick();
  EXPECT_FALSE(control_->GetRepeatTimer()->GetEnabled());
  EXPECT_EQ(downs_, (std::vector<bool>{true, true, true, true}));
  SendMouseUp(control_, mbLeft, TPoint(8, 3));
  EXPECT_FALSE(control_->GetRepeatTimer()->GetEnabled());
}

TEST_F(SpinControlTest, HalvesMiddleRowAndDraggingOutReleaseWithoutAClick) {
  int clicks = 0;
  control_->OnClick = [&](TObject*) { ++clicks; };
  SendMouseDown(control_, mbLeft, TPoint(8, 17));
  EXPECT_EQ(control_->GetButtonNum(), 2);
  EXPECT_EQ(downs_, (std::vector<bool>{false}));
  SendMouseUp(control_, mbLeft, TPoint(8, 17));
  EXPECT_EQ(clicks, 1);

  SendMouseDown(control_, mbLeft, TPoint(8, 10));
  EXPECT_EQ(control_->GetButtonNum(), 0) << "the middle row presses neither half";
  SendMouseUp(control_, mbLeft, TPoint(8, 10));

  clicks = 0;
  SendMouseDown(control_, mbLeft, TPoint(8, 2));
  SendMouseMove(control_, TPoint(8, 18), {ssLeft});
  EXPECT_EQ(control_->GetButtonNum(), 0) << "dragged out of the upper half";
  SendMouseUp(control_, mbLeft, TPoint(8, 18));
  EXPECT_EQ(clicks, 0);
}

TEST_F(SpinControlTest, SpeedButtonRepeatsItsClickWhileHeld) {
  auto* button = new TCustomSpeedButtonEh(form_.get());
  button->SetParent(form_.get());
  button->SetBounds(50, 10, 20, 20);
  button->SetAutoRepeat(true);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  SendMouseDown(button, mbLeft, TPoint(5, 5));
  ASSERT_NE(button->GetRepeatTimer(), nullptr);
  EXPECT_EQ(button->GetRepeatTimer()->GetInterval(), 400u);
  button->GetRepeatTimer()->OnTimer(button->GetRepeatTimer());
  EXPECT_EQ(button->GetRepeatTimer()->GetInterval(), 100u);
  EXPECT_EQ(clicks, 1);
  SendMouseUp(button, mbLeft, TPoint(5, 5));
  EXPECT_FALSE(button->GetRepeatTimer()->GetEnabled());
  EXPECT_EQ(clicks, 2) << "the release clicks once more";
}

// ---- Drop-down form call parameters ----

// A drop-down form that records the call and lets the test close it.
class TFakeDropDownForm : public TForm, public IDropDownFormEh {
 public:
  TFakeDropDownForm() : TForm(nullptr, 0) { SetBounds(0, 0, 120, 90); }
  bool Execute(TControl*, TControl*, TDropDownAlign, TDynVarsEh*) override { return false; }
  bool GetReadOnly() override { return readOnly; }
  void SetReadOnly(bool value) override { readOnly = value; }
  void Close() override {}
  void ExecuteNomodal(const TRect&, TControl*, TDropDownAlign, TDynVarsEh* params, TObject* sys,
                      TDropDownFormCallbackProcEh callback) override {
    bag = params;
    sysParams = sys;
    close = std::move(callback);
  }
  void Finish(bool accept) { close(this, accept, bag, sysParams); }

  bool readOnly = false;
  TDynVarsEh* bag = nullptr;
  TObject* sysParams = nullptr;
  TDropDownFormCallbackProcEh close;
};

class TTestDropDownFormEh : public TCustomDropDownFormEh {
  KIV_CLASS(TTestDropDownFormEh, TCustomDropDownFormEh)
 public:
  explicit TTestDropDownFormEh(TComponent* owner) : TCustomDropDownFormEh(owner, 0) {}
};

class CallParamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    data_ = new TTestDataSet(&owner_);
    data_->GetFieldDefs()->Add(u"name", ftString, 20);
    data_->GetFieldDefs()->Add(u"qty", ftInteger);
    data_->AddRow({Variant(u"Болт"), Variant(5)});
    data_->Open();
    source_ = new TDataSource(&owner_);
    source_->SetDataSet(data_);
    link_.SetDataSource(source_);
    params_.FDataLink = &link_;
  }

  TComponent owner_{nullptr};
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TDataLink link_;
  TDropDownFormCallParamsEh params_;
};

TEST_F(CallParamsTest, DefaultsAndAFormWithoutTheInterfaceIsNotShown) {
  EXPECT_EQ(params_.GetAlign(), daCenter);
  EXPECT_EQ(params_.GetPassParams(), pspFieldValueEh);
  EXPECT_EQ(params_.GetFormWidth(), -1);
  EXPECT_EQ(params_.GetFormHeight(), -1);
  EXPECT_TRUE(params_.GetSaveFormSize());
  TForm plain(nullptr, 0);
  params_.SetDropDownForm(&plain);
  bool handled = false;
  params_.CheckShowDropDownForm(handled);
  EXPECT_FALSE(handled);
  params_.SetDropDownForm(nullptr);
  params_.SetDropDownFormClassName(u"TNoSuchFormEh");
  EXPECT_THROW(params_.CheckShowDropDownForm(handled), Exception);
}

TEST_F(CallParamsTest, ClassNamesGiveTheSharedFormOrANewOneFreedOnClose) {
  RegisterClass(TTestDropDownFormEh::StaticClass());
  auto unregister = MakeScopeExit([] {
    RegisterDropDownFormGlobalRefEh(TTestDropDownFormEh::StaticClass(), nullptr);
    UnRegisterClass(TTestDropDownFormEh::StaticClass());
  });
  params_.SetDropDownFormClassName(u"TTestDropDownFormEh");
  bool freeOnClose = false;
  std::unique_ptr<TCustomForm> fresh(params_.GetActualDropDownForm(freeOnClose));
  EXPECT_NE(dynamic_cast<TTestDropDownFormEh*>(fresh.get()), nullptr);
  EXPECT_TRUE(freeOnClose);

  TTestDropDownFormEh shared(nullptr);
  RegisterDropDownFormGlobalRefEh(TTestDropDownFormEh::StaticClass(), [&shared] { return &shared; });
  EXPECT_EQ(params_.GetActualDropDownForm(freeOnClose), &shared);
  EXPECT_FALSE(freeOnClose);

  // An explicit form wins over the class name; the owner's event wins over both.
  TFakeDropDownForm explicitForm;
  params_.SetDropDownForm(&explicitForm);
  EXPECT_EQ(params_.GetActualDropDownForm(freeOnClose), &explicitForm);
  params_.FOnGetActualDropDownFormProc = [&](TCustomForm*& form, bool& free) {
    form = &shared;
    free = true;
  };
  EXPECT_EQ(params_.GetActualDropDownForm(freeOnClose), &shared);
  EXPECT_TRUE(freeOnClose);
}

TEST_F(CallParamsTest, FieldValueWithoutAHandlerTravelsAsOneEmptyVariable) {
  TDynVarsEh bag(nullptr);
  params_.FillDynParams(&bag);
  ASSERT_EQ(bag.GetCount(), 1);
  EXPECT_TRUE(bag.GetItem(0)->GetData().IsEmpty());

  TDynVarsEh record(nullptr);
  params_.SetPassParams(pspRecordValuesEh);
  params_.FillDynParams(&record);
  ASSERT_EQ(record.GetCount(), 2);
  EXPECT_EQ(record.GetItem(1)->GetName(), u"qty");
  EXPECT_EQ(record.GetItem(1)->GetData().AsInteger(), 5);
}

TEST_F(CallParamsTest, AcceptedValuesComeBackAndUnreturnedFieldsKeepTheirs) {
  TFakeDropDownForm form;
  params_.SetDropDownForm(&form);
  params_.SetPassFieldNames(u"name;qty");
  params_.SetAssignBackFieldNames(u"name;qty");
  bool handled = false;
  params_.CheckShowDropDownForm(handled);
  ASSERT_TRUE(handled);
  ASSERT_EQ(form.bag->GetCount(), 2);
  EXPECT_EQ(form.bag->GetItem(0)->GetData().AsString(), u"Болт");
  // The form returns only the name; the quantity must survive.
  form.bag->Clear();
  form.bag->CreateDynVar(u"name", Variant(u"Гайка"));
  form.SetWidth(200);  // the user resized it
  form.Finish(true);
  EXPECT_EQ(data_->FindField(u"name")->GetAsString(), u"Гайка");
  EXPECT_EQ(data_->FindField(u"qty")->GetAsInteger(), 5);
  EXPECT_EQ(data_->GetState(), dsBrowse) << "posted";
  // The call remembers the user's size; the form goes back to its own.
  EXPECT_EQ(params_.GetFormWidth(), 200);
  EXPECT_EQ(form.GetWidth(), 120);

  // The next call opens at the remembered size; closing without Accept writes nothing.
  params_.CheckShowDropDownForm(handled);
  EXPECT_EQ(form.GetWidth(), 200);
  form.bag->Clear();
  form.bag->CreateDynVar(u"name", Variant(u"Шайба"));
  form.Finish(false);
  EXPECT_EQ(data_->FindField(u"name")->GetAsString(), u"Гайка");
}

TEST_F(CallParamsTest, ARefusedValueLeavesTheRecordAsItWasAndIsReported) {
  TFakeDropDownForm form;
  params_.SetDropDownForm(&form);
  params_.SetPassFieldNames(u"name;qty");
  params_.SetAssignBackFieldNames(u"name;qty");
  String reported;
  Application->OnException = [&](TObject*, Exception* e) { reported = e->Message(); };
  auto unhook = MakeScopeExit([] { Application->OnException = nullptr; });
  bool handled = false;
  params_.CheckShowDropDownForm(handled);
  ASSERT_TRUE(handled);
  form.bag->Clear();
  form.bag->CreateDynVar(u"name", Variant(u"Гайка"));
  form.bag->CreateDynVar(u"qty", Variant(u"много"));
  form.Finish(true);
  EXPECT_FALSE(reported.empty());
  EXPECT_EQ(data_->GetState(), dsBrowse) << "the edit begun for the write-back is cancelled";
  EXPECT_EQ(data_->FindField(u"name")->GetAsString(), u"Болт");
  EXPECT_EQ(data_->FindField(u"qty")->GetAsInteger(), 5);

  // A drop-down form stays up, not closing on the lost activation, while the error is shown.
  TTestDropDownFormEh dropDown(nullptr);
  dropDown.OnReturnParams = [](TCustomDropDownFormEh*, TDynVarsEh* bag) {
    bag->Clear();
    bag->CreateDynVar(u"qty", Variant(u"много"));
  };
  bool keptWhileReported = false;
  Application->OnException = [&](TObject*, Exception*) { keptWhileReported = dropDown.GetKeepFormVisible(); };
  params_.SetDropDownForm(&dropDown);
  params_.CheckShowDropDownForm(handled);
  dropDown.SetModalResult(mrOk);
  dropDown.Close();
  EXPECT_TRUE(keptWhileReported);
  EXPECT_FALSE(dropDown.GetKeepFormVisible()) << "put back afterwards";
  EXPECT_EQ(data_->GetState(), dsBrowse);
}

}  // namespace

namespace {

TEST(EditButtonStreamingTest, SpeedButtonsRoundTripAndButtonPropertiesGoByName) {
  InitTestApplication();
  InitializeToolCtrlsEh();
  TForm source(nullptr, 0);
  source.SetName(u"Holder");
  auto* button = new TSpeedButtonEh(&source);
  button->SetName(u"Plus1");
  button->SetParent(&source);
  button->SetStyle(ebsPlusEh);
  button->SetActive(true);
  TMemoryStream stream;
  stream.WriteComponent(&source);
  stream.SetPosition(0);
  TForm copy(nullptr, 0);
  stream.ReadComponent(&copy);
  auto* read = dynamic_cast<TSpeedButtonEh*>(copy.FindComponent(u"Plus1"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetStyle(), ebsPlusEh);
  EXPECT_TRUE(read->GetActive());

  TEditButtonsEh buttons(nullptr, TEditButtonEh::StaticClass());
  TEditButtonEh* b = buttons.Add();
  SetEnumProp(b, u"Style", u"ebsAltUpDownEh");
  EXPECT_EQ(b->GetStyle(), ebsAltUpDownEh);
  const TPropInfo* drawBack = GetPropInfo(b, u"DrawBackTime");
  ASSERT_NE(drawBack, nullptr);
  EXPECT_FALSE(IsStoredProp(b, drawBack)) << "not streamed until set";
  SetEnumProp(b, u"DrawBackTime", u"edbtNeverEh");
  EXPECT_TRUE(IsStoredProp(b, drawBack));
}

}  // namespace
