// The edit-buttons box's widths and heights, and where the caption label stands round its editor.
#include <gtest/gtest.h>

#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/testing/TestSupport.h"

namespace {

class ButtonsBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box_ = new TEditButtonsBoxEh(&owner_);
    box_->OnCreateEditButtonControl = [this](TObject*, TEditButtonControlEh*& control) {
      control = new TEditButtonControlEh(&owner_);
    };
    buttons_.Add();
    buttons_.Add();
  }
  void Lay(bool flat, Integer maxHeight) {
    box_->BeginLayout();
    box_->SetButtonsCount(2);
    for (Integer i = 0; i < 2; ++i) box_->BtnCtlList()[i].EditButton = buttons_.GetEditButton(i);
    box_->SetFlat(flat);
    box_->SetMaxButtonHeight(maxHeight);
    box_->EndLayout();
  }

  TComponent owner_{nullptr};
  TEditButtonsBoxEh* box_ = nullptr;
  TEditButtonsEh buttons_{nullptr, TEditButtonEh::StaticClass()};
};

TEST_F(ButtonsBoxTest, HiddenButtonsTakeNoRoom) {
  Lay(true, 21);
  EXPECT_EQ(box_->GetButtonsWidth(), 0);
  EXPECT_EQ(box_->GetButtonHeight(), NoButtonHeightEh);
  box_->SetButtonsCount(0);
  EXPECT_EQ(box_->GetButtonsCount(), 0);
}

TEST_F(ButtonsBoxTest, FlatButtonsWithoutThemesCountOneSeparator) {
  const bool themes = ThemesEnabled();
  SetThemesEnabled(false);
  for (Integer i = 0; i < 2; ++i) buttons_.GetEditButton(i)->SetVisible(true);
  Lay(true, 100);
  const Integer w = DefaultEditButtonWidthEh();
  EXPECT_EQ(box_->GetButtonsWidth(), 2 * w + 1);
  // Tall room: the height follows the width's proportion.
  EXPECT_EQ(box_->GetButtonHeight(), EditButtonHeightForWidthEh(w, true));
  const auto& list = box_->GetBtnCtlList();
  EXPECT_EQ(list[0].EditButtonControl->GetLeft(), 0);
  EXPECT_EQ(list[0].ButtonLine->GetLeft(), w);
  EXPECT_EQ(list[1].EditButtonControl->GetLeft(), w + 1);
  EXPECT_EQ(list[1].EditButtonControl->GetTag(), 1);

  // An explicit width, and a box lower than the buttons would like.
  buttons_.GetEditButton(1)->SetWidth(30);
  buttons_.GetEditButton(0)->SetVisible(false);
  Lay(false, 15);
  EXPECT_EQ(box_->GetButtonsWidth(), 30);
  EXPECT_EQ(box_->GetButtonHeight(), 15);
  SetThemesEnabled(themes);
}

TEST_F(ButtonsBoxTest, ClicksReachTheOwnerWithTheControl) {
  buttons_.GetEditButton(0)->SetVisible(true);
  Lay(false, 20);
  TObject* clicked = nullptr;
  box_->OnClick = [&](TObject* sender) { clicked = sender; };
  box_->GetBtnCtlList()[0].EditButtonControl->Click();
  EXPECT_EQ(clicked, box_->GetBtnCtlList()[0].EditButtonControl);
}

// An editor stand-in that places its label as the editors do.
class LabelledControl : public TWinControl, public IControlLabelOwnerEh {
 public:
  explicit LabelledControl(TComponent* owner) : TWinControl(owner), location(this) {}
  String GetControlLabelCaption() override { return u"Подпись"; }
  Integer GetControlTextBaseLine() override { return 17; }
  void UpdateControlLabelBounds() override {}
  void ControlLabelLocationChanged() override { ++changes; }
  TControlLabelLocationEh location;
  int changes = 0;
};

TEST(ControlLabelLocationTest, FourteenPositionsNearAndFar) {
  TComponent owner(nullptr);
  auto* editor = new LabelledControl(&owner);
  editor->SetBounds(100, 50, 120, 21);
  struct Case {
    TLabelPositionEh position;
    TSpacingBoundEh bound;
    TPoint expected;
  };
  // A 60 x 15 label, spacing 3.
  const Case cases[] = {
      {lpLeftCenterEh, sbNearBoundEh, {37, 53}},         {lpAboveLeftEh, sbNearBoundEh, {100, 32}},
      {lpAboveLeftEh, sbFarBoundEh, {100, 47}},          {lpAboveCenterEh, sbNearBoundEh, {130, 32}},
      {lpAboveRightEh, sbNearBoundEh, {160, 32}},        {lpBelowLeftEh, sbNearBoundEh, {100, 74}},
      {lpBelowRightEh, sbFarBoundEh, {160, 89}},         {lpLeftTopEh, sbNearBoundEh, {37, 50}},
      {lpLeftTextBaselineEh, sbNearBoundEh, {37, 52}},   {lpLeftBottomEh, sbFarBoundEh, {97, 56}},
      {lpRightTopEh, sbNearBoundEh, {223, 50}},          {lpRightCenterEh, sbFarBoundEh, {283, 53}},
      {lpRightTextBaselineEh, sbNearBoundEh, {223, 52}}, {lpRightBottomEh, sbNearBoundEh, {223, 56}},
      {lpBelowCenterEh, sbNearBoundEh, {130, 74}},
  };
  for (const Case& c : cases) {
    editor->location.SetPosition(c.position);
    editor->location.SetLabelSpacingBound(c.bound);
    TPoint p;
    editor->location.CalcLabelPosForControl(60, 15, p);
    EXPECT_EQ(p, c.expected) << "position " << c.position << " bound " << c.bound;
  }
  const int changes = editor->changes;
  editor->location.SetSpacing(3);
  EXPECT_EQ(editor->changes, changes) << "an equal value is no change";
  editor->location.SetOffset(2);
  EXPECT_EQ(editor->changes, changes + 1);
}

TEST(ControlLabelTest, CaptionFallsBackToTheEditorsAndVisibilityFollowsIt) {
  TComponent owner(nullptr);
  auto* parent = new TWinControl(&owner);
  auto* editor = new LabelledControl(&owner);
  editor->SetParent(parent);
  auto* label = new TControlLabelEh(editor);
  label->SetFocusControl(editor);
  label->UpdateCaption();
  EXPECT_EQ(label->GetCaption(), u"Подпись");
  label->SetCaption(u"Своя");
  EXPECT_TRUE(label->GetCaptionStored());
  label->SetCaption(u"");
  EXPECT_EQ(label->GetCaption(), u"Подпись");

  EXPECT_EQ(label->GetParent(), nullptr);
  label->SetVisible(true);
  EXPECT_EQ(label->GetParent(), parent);
  EXPECT_TRUE(label->TControl::GetVisible());
  editor->SetVisible(false);
  label->UpdateVisibility();
  EXPECT_FALSE(label->TControl::GetVisible()) << "a hidden editor hides its label";
}

}  // namespace

namespace {

TEST(EditButtonsCollectionTest, DescendantButtonsJoinTheirCollection) {
  TEditButtonsEh visible(nullptr, TVisibleEditButtonEh::StaticClass());
  TEditButtonEh* button = visible.Add();
  EXPECT_TRUE(button->GetVisible());
  EXPECT_EQ(visible.GetCount(), 1);
  TEditButtonsEh dropDown(nullptr, TDropDownEditButtonEh::StaticClass());
  EXPECT_EQ(dropDown.Add()->GetShortCut(), ShortCut(VK_DOWN, {ssAlt}));
}

}  // namespace
