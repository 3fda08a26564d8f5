// Layout and parent properties: Align and Anchors when the parent changes size, constraints, the
// non-client margin of borders and bevels, a disabled parent disabling its children, and font and
// colour passed on to children.
#include <gtest/gtest.h>

#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/testing/TestSupport.h"

namespace {

// A container that paints its client area in one colour.
class TBox : public TCustomControl {
  KIV_CLASS(TBox, TCustomControl)
 public:
  explicit TBox(TComponent* owner, TColor fill = clRed) : TCustomControl(owner), fill_(fill) {
    SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  }
  int clicks = 0;

 protected:
  void Paint() override {
    GetCanvas()->GetBrush()->SetColor(fill_);
    GetCanvas()->FillRect(GetClientRect());
  }
  void Click() override {
    ++clicks;
    TCustomControl::Click();
  }

 private:
  TColor fill_;
};

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetBounds(0, 0, 400, 300);
    panel = new TBox(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 200, 100);
  }
  void TearDown() override { delete form; }

  TControl* Child(TAlign align, TRect bounds) {
    auto* c = new TBox(form, clBlue);
    c->SetParent(panel);
    c->SetBoundsRect(bounds);
    c->SetAlign(align);
    return c;
  }

  TForm* form = nullptr;
  TBox* panel = nullptr;
};

TEST_F(LayoutTest, AlignFillsEdgesInOrderAndFollowsTheParentsSize) {
  TControl* top = Child(alTop, Bounds(0, 0, 50, 10));
  TControl* bottom = Child(alBottom, Bounds(0, 0, 50, 20));
  TControl* left = Child(alLeft, Bounds(0, 0, 30, 50));
  TControl* right = Child(alRight, Bounds(0, 0, 40, 50));
  TControl* client = Child(alClient, Bounds(0, 0, 5, 5));
  struct Case {
    TControl* control;
    TRect small, large;
  } cases[] = {
      {top, Bounds(0, 0, 200, 10), Bounds(0, 0, 300, 10)},
      {bottom, Bounds(0, 80, 200, 20), Bounds(0, 180, 300, 20)},
      {left, Bounds(0, 10, 30, 70), Bounds(0, 10, 30, 170)},
      {right, Bounds(160, 10, 40, 70), Bounds(260, 10, 40, 170)},
      {client, Bounds(30, 10, 130, 70), Bounds(30, 10, 230, 170)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.control->GetBoundsRect(), c.small) << c.control->GetAlign();
  panel->SetBounds(10, 10, 300, 200);
  for (const Case& c : cases) EXPECT_EQ(c.control->GetBoundsRect(), c.large) << c.control->GetAlign();
  // A hidden control gives its room back.
  top->SetVisible(false);
  EXPECT_EQ(left->GetBoundsRect(), Bounds(0, 0, 30, 180));
  // Two top-aligned controls stack in the order of their Top.
  TControl* second = Child(alTop, Bounds(0, 500, 50, 15));
  top->SetVisible(true);
  EXPECT_EQ(top->GetTop(), 0);
  EXPECT_EQ(second->GetTop(), 10);
}

TEST_F(LayoutTest, AnchorsKeepDistancesToTheEdgesTheyAreTiedTo) {
  struct Case {
    TAnchors anchors;
    TRect after;
  } cases[] = {
      {{akLeft, akTop}, Bounds(10, 10, 50, 20)},
      {{akLeft, akTop, akRight}, Bounds(10, 10, 150, 20)},
      {{akRight, akBottom}, Bounds(110, 110, 50, 20)},
      {{akLeft, akTop, akRight, akBottom}, Bounds(10, 10, 150, 120)},
      {{akTop}, Bounds(28, 10, 50, 20)},  // centre 35 of 200 becomes 52.5 of 300, rounded
  };
  for (const Case& c : cases) {
    panel->SetBounds(10, 10, 200, 100);
    TControl* child = Child(alNone, Bounds(10, 10, 50, 20));
    child->SetAnchors(c.anchors);
    panel->SetBounds(10, 10, 300, 200);
    EXPECT_EQ(child->GetBoundsRect(), c.after);
    // Back to the first size, back to the first place.
    panel->SetBounds(10, 10, 200, 100);
    EXPECT_EQ(child->GetBoundsRect(), Bounds(10, 10, 50, 20));
    delete child;
  }
}

TEST_F(LayoutTest, ConstraintsLimitTheSizeEvenWhenAligned) {
  TControl* client = Child(alClient, Bounds(0, 0, 5, 5));
  client->GetConstraints()->SetMaxWidth(120);
  client->GetConstraints()->SetMinHeight(150);
  EXPECT_EQ(client->GetWidth(), 120);
  EXPECT_EQ(client->GetHeight(), 150);
  client->SetAlign(alNone);
  client->SetBounds(0, 0, 500, 10);
  EXPECT_EQ(client->GetWidth(), 120);
  EXPECT_EQ(client->GetHeight(), 150);
  // A maximum below the minimum moves the minimum down.
  client->GetConstraints()->SetMaxHeight(100);
  EXPECT_EQ(client->GetConstraints()->GetMinHeight(), 100);
  EXPECT_EQ(client->GetHeight(), 100);
}

TEST_F(LayoutTest, BorderAndBevelsTakeTheirWidthFromTheClientAreaAndArePainted) {
  struct Case {
    TBorderWidth border;
    TBevelKind kind;
    TBevelCut inner, outer;
    Integer margin;
  } cases[] = {
      {0, bkNone, bvRaised, bvLowered, 0}, {5, bkNone, bvRaised, bvLowered, 5},
      {0, bkFlat, bvRaised, bvLowered, 2}, {0, bkTile, bvNone, bvRaised, 1},
      {3, bkSoft, bvRaised, bvRaised, 5},
  };
  for (const Case& c : cases) {
    panel->SetBorderWidth(c.border);
    panel->SetBevelKind(c.kind);
    panel->SetBevelInner(c.inner);
    panel->SetBevelOuter(c.outer);
    EXPECT_EQ(panel->GetClientRect(), TRect(0, 0, 200 - 2 * c.margin, 100 - 2 * c.margin)) << c.margin;
    EXPECT_EQ(panel->ClientToScreen(TPoint(0, 0)).X - panel->GetParent()->ClientToScreen(TPoint(0, 0)).X,
              10 + c.margin);
  }
  // The frame is the control's own: flat bevels in the shadow colour, the client area inside.
  panel->SetBorderWidth(0);
  panel->SetBevelKind(bkFlat);
  panel->SetBevelInner(bvNone);
  panel->SetBevelOuter(bvRaised);
  TControl* child = Child(alClient, Bounds(0, 0, 5, 5));
  form->Show();
  ProcessPendingEvents();
  EXPECT_EQ(child->GetBoundsRect(), Bounds(0, 0, 198, 98));
  auto picture = CaptureControl(panel);
  EXPECT_EQ(static_cast<TColorRef>(PixelAt(picture.get(), 0, 0)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(static_cast<TColorRef>(PixelAt(picture.get(), 199, 99)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(PixelAt(picture.get(), 1, 1), clBlue);  // the child fills the client area
}

TEST_F(LayoutTest, DisabledParentDisablesItsChildren) {
  auto* inner = new TBox(form, clBlue);
  inner->SetParent(panel);
  inner->SetBounds(5, 5, 50, 30);
  inner->SetTabStop(true);
  form->Show();
  ProcessPendingEvents();
  EXPECT_TRUE(inner->CanFocus());
  panel->SetEnabled(false);
  EXPECT_TRUE(inner->GetEnabled());  // its own flag stays
  EXPECT_FALSE(inner->IsEnabled());
  EXPECT_FALSE(inner->CanFocus());
  SendClick(inner, TPoint(5, 5));
  EXPECT_EQ(inner->clicks, 0);
  panel->SetEnabled(true);
  SendClick(inner, TPoint(5, 5));
  EXPECT_EQ(inner->clicks, 1);
}

TEST_F(LayoutTest, FontAndColourPassToChildrenThatTakeTheirParents) {
  auto* follows = new TLabel(form);
  follows->SetParent(panel);
  auto* own = new TLabel(form);
  own->SetParent(panel);
  own->GetFont()->SetName(u"Courier New");
  EXPECT_FALSE(own->GetParentFont());
  panel->GetFont()->SetSize(14);
  panel->GetFont()->SetStyle(TFontStyles{fsBold});
  EXPECT_EQ(follows->GetFont()->GetSize(), 14);
  EXPECT_TRUE(follows->GetFont()->GetStyle().Contains(fsBold));
  EXPECT_TRUE(follows->GetParentFont());
  EXPECT_NE(own->GetFont()->GetSize(), 14);
  // Through two levels: the form's font reaches the panel (ParentFont) and its label.
  panel->SetParentFont(true);
  form->GetFont()->SetSize(11);
  EXPECT_EQ(panel->GetFont()->GetSize(), 11);
  EXPECT_EQ(follows->GetFont()->GetSize(), 11);

  // Colour: ParentColor children follow, others keep theirs; setting a colour ends ParentColor.
  EXPECT_TRUE(follows->GetParentColor());
  panel->SetColor(clYellow);
  EXPECT_EQ(follows->GetColor(), clYellow);
  own->SetColor(clLime);
  EXPECT_FALSE(own->GetParentColor());
  panel->SetColor(clAqua);
  EXPECT_EQ(follows->GetColor(), clAqua);
  EXPECT_EQ(own->GetColor(), clLime);
  // A control put on a parent takes the parent's font and colour at once.
  auto* late = new TLabel(form);
  late->SetParent(panel);
  EXPECT_EQ(late->GetColor(), clAqua);
  EXPECT_EQ(late->GetFont()->GetSize(), 11);
}

TEST_F(LayoutTest, ScaleAndCoordinates) {
  TControl* child = Child(alNone, Bounds(10, 20, 30, 40));
  child->ScaleBy(3, 2);
  EXPECT_EQ(child->GetBoundsRect(), Bounds(15, 30, 45, 60));
  TPoint screen = child->ClientToScreen(TPoint(1, 2));
  EXPECT_EQ(child->ScreenToClient(screen), TPoint(1, 2));
  EXPECT_EQ(child->ClientToParent(TPoint(1, 2)), TPoint(16, 32));
  EXPECT_EQ(panel->ControlAtPos(TPoint(20, 40), false, true), child);
  EXPECT_EQ(panel->ControlAtPos(TPoint(5, 5), false, true), nullptr);
  EXPECT_EQ(GetParentForm(child), form);
  EXPECT_THROW(panel->SetParent(panel), EInvalidOperation);
  EXPECT_THROW(panel->GetControl(5), EListError);
}

}  // namespace

// A parent whose handler of the news raises still lets a freed child go, and the failure reaches the
// application; a child taken out by hand leaves too, and the caller hears of the failure.
TEST_F(LayoutTest, ChildLeavesAParentWhoseHandlerRaises) {
  std::vector<String> reported;
  TExceptionEvent saved = Application->OnException;
  Application->OnException =
      TExceptionEvent([&](TObject*, Exception* e) { reported.push_back(e->Message()); });
  TWndMethod inherited = panel->WindowProc;
  panel->WindowProc = TWndMethod([&](TMessage& m) {
    if (m.Msg == CM_CONTROLCHANGE && m.LParam == 0) throw EInvalidOperation(u"panel refuses");
    inherited(m);
  });
  TControl* child = Child(alLeft, TRect(0, 0, 10, 10));
  ASSERT_EQ(panel->GetControlCount(), 1);
  delete child;
  EXPECT_EQ(panel->GetControlCount(), 0);
  EXPECT_EQ(reported, std::vector<String>{u"panel refuses"});
  TControl* other = Child(alNone, TRect(0, 0, 10, 10));
  EXPECT_THROW(panel->RemoveControl(other), EInvalidOperation);
  EXPECT_EQ(panel->GetControlCount(), 0);
  EXPECT_EQ(other->GetParent(), nullptr);
  panel->WindowProc = inherited;
  Application->OnException = saved;
}
