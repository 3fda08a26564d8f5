// The extra controls: panel bevels and client area, bevel and shape pictures, the image's canvas and
// placement, the splitter's drag, the radio group's ItemIndex and clicks, the paint box; and a form
// resource with one of each standard control that loads, saves back unchanged and renders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>

#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Images.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/controls/FormText.h"

namespace {

class ExtCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override { delete form; }

  template <class T>
  T* Make(TWinControl* parent, TRect bounds) {
    auto* c = new T(form);
    c->SetParent(parent);
    c->SetBoundsRect(bounds);
    return c;
  }
  void ShowForm() {
    form->Show();
    ProcessPendingEvents();
  }

  TForm* form = nullptr;
};

TEST_F(ExtCtrlsTest, PanelDrawsItsBevelsAndKeepsChildrenInsideThem) {
  auto* panel = Make<TPanel>(form, Bounds(10, 10, 120, 60));
  panel->SetCaption(u"");
  auto* child = Make<TPanel>(panel, Bounds(0, 0, 10, 10));
  child->SetAlign(alClient);
  child->SetBevelOuter(bvNone);
  child->SetColor(clRed);
  ShowForm();
  struct Case {
    TBevelCut outer, inner;
    Integer width;
    TColor topLeft, bottomRight;
  } cases[] = {
      {bvRaised, bvNone, 1, clBtnHighlight, clBtnShadow},
      {bvLowered, bvNone, 1, clBtnShadow, clBtnHighlight},
      {bvRaised, bvLowered, 2, clBtnHighlight, clBtnShadow},
  };
  for (const Case& c : cases) {
    panel->SetBevelOuter(c.outer);
    panel->SetBevelInner(c.inner);
    panel->SetBevelWidth(c.width);
    ProcessPendingEvents();
    Integer inset = c.width * (c.inner != bvNone ? 2 : 1);
    EXPECT_EQ(child->GetBoundsRect(), TRect(inset, inset, 120 - inset, 60 - inset)) << c.outer << c.inner;
    auto shot = CaptureControl(panel);
    EXPECT_EQ(PixelAt(shot.get(), 0, 30), ColorToRGB(c.topLeft));
    EXPECT_EQ(PixelAt(shot.get(), 119, 30), ColorToRGB(c.bottomRight));
    EXPECT_EQ(PixelAt(shot.get(), 60, 30), ColorToRGB(clRed));
  }
  panel->SetBevelOuter(bvNone);
  panel->SetBevelInner(bvNone);
  EXPECT_EQ(child->GetBoundsRect(), TRect(0, 0, 120, 60));
}

TEST_F(ExtCtrlsTest, PanelCaptionFollowsAlignment) {
  auto* panel = Make<TPanel>(form, Bounds(10, 10, 200, 40));
  panel->SetCaption(u"ЖЖЖ");
  ShowForm();
  auto darkColumns = [&] {
    auto shot = CaptureControl(panel);
    Integer first = -1, last = -1;
    for (Integer x = 2; x < 198; ++x)
      for (Integer y = 2; y < 38; ++y)
        if (PixelAt(shot.get(), x, y) == static_cast<TColor>(ColorToRGB(clBlack))) {
          if (first < 0) first = x;
          last = x;
        }
    return std::make_pair(first, last);
  };
  panel->SetAlignment(taLeftJustify);
  auto left = darkColumns();
  panel->SetAlignment(taCenter);
  auto center = darkColumns();
  panel->SetAlignment(taRightJustify);
  auto right = darkColumns();
  ASSERT_GE(left.first, 0);
  EXPECT_LT(left.first, 10);
  EXPECT_NEAR((center.first + center.second) / 2.0, 100, 4);
  EXPECT_GT(right.second, 188);
}

TEST_F(ExtCtrlsTest, ShapeAndBevelPaintTheirKinds) {
  auto* shape = Make<TShape>(form, Bounds(10, 10, 60, 40));
  shape->SetShape(stCircle);
  shape->GetBrush()->SetColor(clRed);
  shape->GetPen()->SetColor(clBlue);
  auto* bevel = Make<TBevel>(form, Bounds(100, 10, 60, 40));
  bevel->SetShape(bsTopLine);
  ShowForm();
  auto s = CaptureControl(shape);
  EXPECT_EQ(PixelAt(s.get(), 30, 20), ColorToRGB(clRed));
  EXPECT_NE(PixelAt(s.get(), 2, 2), ColorToRGB(clRed)) << "a circle leaves the corners";
  EXPECT_NE(PixelAt(s.get(), 8, 20), ColorToRGB(clRed)) << "a circle is as wide as it is high";
  shape->SetShape(stRectangle);
  s = CaptureControl(shape);
  EXPECT_EQ(PixelAt(s.get(), 0, 0), ColorToRGB(clBlue));
  EXPECT_EQ(PixelAt(s.get(), 3, 3), ColorToRGB(clRed));

  auto b = CaptureControl(bevel);
  EXPECT_EQ(PixelAt(b.get(), 30, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(PixelAt(b.get(), 30, 1), ColorToRGB(clBtnHighlight));
  bevel->SetStyle(bsRaised);
  b = CaptureControl(bevel);
  EXPECT_EQ(PixelAt(b.get(), 30, 0), ColorToRGB(clBtnHighlight));
}

TEST_F(ExtCtrlsTest, ImageCanvasDrawsIntoItsBitmapAndPlacementFollowsTheFlags) {
  auto* image = Make<TImage>(form, Bounds(10, 10, 80, 40));
  TCanvas* canvas = image->GetCanvas();
  EXPECT_EQ(image->GetPicture()->GetWidth(), 80) << "an empty picture becomes a bitmap of the control's size";
  canvas->GetBrush()->SetColor(clLime);
  canvas->FillRect(TRect(0, 0, 80, 40));
  ShowForm();
  auto shot = CaptureControl(image);
  EXPECT_EQ(PixelAt(shot.get(), 40, 20), ColorToRGB(clLime));

  TBitmap small;
  small.SetSize(20, 10);
  image->GetPicture()->SetBitmap(&small);
  struct Case {
    bool stretch, proportional, center;
    TRect dest;
  } cases[] = {
      {false, false, false, TRect(0, 0, 20, 10)}, {false, false, true, TRect(30, 15, 50, 25)},
      {true, false, false, TRect(0, 0, 80, 40)},  {true, true, false, TRect(0, 0, 80, 40)},
      {true, true, true, TRect(0, 0, 80, 40)},    {false, true, false, TRect(0, 0, 20, 10)},
  };
  for (const Case& c : cases) {
    image->SetStretch(c.stretch);
    image->SetProportional(c.proportional);
    image->SetCenter(c.center);
    EXPECT_EQ(image->DestRect(), c.dest) << c.stretch << c.proportional << c.center;
  }
  // A tall picture stretched proportionally keeps its ratio and is centred.
  small.SetSize(10, 20);
  image->GetPicture()->SetBitmap(&small);
  image->SetStretch(true);
  image->SetProportional(true);
  image->SetCenter(true);
  EXPECT_EQ(image->DestRect(), TRect(30, 0, 50, 40));
}

TEST_F(ExtCtrlsTest, SplitterResizesTheControlAlignedAgainstItWithinMinSize) {
  auto* left = Make<TPanel>(form, Bounds(0, 0, 100, 100));
  left->SetAlign(alLeft);
  auto* splitter = Make<TSplitter>(form, Bounds(100, 0, 3, 100));
  splitter->SetAlign(alLeft);
  auto* rest = Make<TPanel>(form, Bounds(0, 0, 10, 10));
  rest->SetAlign(alClient);
  int moved = 0;
  splitter->OnMoved = TNotifyEvent([&moved](TObject*) { ++moved; });
  ShowForm();
  ASSERT_EQ(splitter->GetLeft(), 100);
  auto drag = [&](Integer dx) {
    SendMouseDown(splitter, mbLeft, TPoint(1, 10));
    SendMouseMove(splitter, TPoint(1 + dx, 10), {ssLeft});
    SendMouseUp(splitter, mbLeft, TPoint(1 + dx, 10));
    ProcessPendingEvents();
  };
  drag(40);
  EXPECT_EQ(left->GetWidth(), 140);
  EXPECT_EQ(splitter->GetLeft(), 140);
  EXPECT_EQ(moved, 1);
  drag(-200);
  EXPECT_EQ(left->GetWidth(), 30) << "MinSize";
  drag(1000);
  EXPECT_EQ(rest->GetWidth(), 30) << "the rest keeps MinSize too";
  EXPECT_EQ(moved, 3);
}

TEST_F(ExtCtrlsTest, RadioGroupItemIndexFromCodeClicksOnChangeAsTheClassLibraryDoes) {
  auto* group = Make<TRadioGroup>(form, Bounds(10, 10, 200, 120));
  group->GetItems()->SetText(u"Наличные\nКарта\nСчёт");
  int clicks = 0;
  group->OnClick = TNotifyEvent([&clicks](TObject*) { ++clicks; });
  ShowForm();
  struct Step {
    Integer set, index;
    int clicksAfter;
  } steps[] = {{1, 1, 1}, {1, 1, 1}, {2, 2, 2}, {-1, -1, 2}, {9, -1, 2}, {0, 0, 3}};
  for (const Step& s : steps) {
    group->SetItemIndex(s.set);
    EXPECT_EQ(group->GetItemIndex(), s.index) << s.set;
    EXPECT_EQ(clicks, s.clicksAfter) << s.set;
    for (Integer i = 0; i < 3; ++i) EXPECT_EQ(group->GetButton(i)->GetChecked(), i == s.index);
  }
  SendClick(group->GetButton(2), TPoint(8, 8));
  EXPECT_EQ(group->GetItemIndex(), 2);
  EXPECT_EQ(clicks, 4);

  group->SetColumns(2);
  EXPECT_GT(group->GetButton(2)->GetLeft(), group->GetButton(0)->GetLeft()) << "two columns";
  group->GetItems()->Delete(2);
  EXPECT_EQ(group->GetItemIndex(), 1) << "the index stays inside the list";
  EXPECT_THROW(group->GetButton(2), EListError);
}

TEST_F(ExtCtrlsTest, PaintBoxPaintsThroughOnPaint) {
  auto* box = Make<TPaintBox>(form, Bounds(10, 10, 50, 50));
  box->OnPaint = TNotifyEvent([box](TObject*) {
    box->GetCanvas()->GetBrush()->SetColor(clNavy);
    box->GetCanvas()->FillRect(TRect(0, 0, 25, 50));
  });
  ShowForm();
  auto shot = CaptureControl(box);
  EXPECT_EQ(PixelAt(shot.get(), 5, 25), ColorToRGB(clNavy));
  EXPECT_NE(PixelAt(shot.get(), 40, 25), ColorToRGB(clNavy));
}

TEST_F(ExtCtrlsTest, ScrollBoxScrollsItsChildrenWithinTheirRange) {
  auto* box = Make<TScrollBox>(form, Bounds(10, 10, 104, 104));
  auto* child = Make<TPanel>(box, Bounds(10, 150, 50, 30));
  ShowForm();
  TControlScrollBar* vert = box->GetVertScrollBar();
  TControlScrollBar* horz = box->GetHorzScrollBar();
  EXPECT_EQ(vert->GetRange(), 180);
  EXPECT_TRUE(vert->IsScrollBarVisible());
  EXPECT_FALSE(horz->IsScrollBarVisible());
  EXPECT_EQ(box->GetClientWidth(), 100 - 17) << "the bar takes its room from the client area";
  EXPECT_EQ(box->GetClientHeight(), 100);
  vert->SetPosition(50);
  EXPECT_EQ(child->GetTop(), 100);
  vert->SetPosition(1000);
  EXPECT_EQ(vert->GetPosition(), 80) << "no further than the range less the client";
  EXPECT_EQ(child->GetTop(), 70);
  vert->SetPosition(0);
  box->ScrollInView(child);
  EXPECT_EQ(child->GetTop() + child->GetHeight(), 100);
  SendWheel(box, 120, TPoint(20, 20));
  EXPECT_EQ(vert->GetPosition(), 80 - 24);
  // The child moved out of the way: the range shrinks and the position comes back.
  child->SetTop(child->GetTop() - 100);
  EXPECT_FALSE(vert->IsScrollBarVisible());
  EXPECT_EQ(vert->GetPosition(), 0);
}

// ---- One of each control in a form resource ----

const char kAllControls[] = R"(object StdControlsForm: TStdControlsForm
  Left = 0
  Top = 0
  Caption = 'Все элементы'
  ClientHeight = 420
  ClientWidth = 620
  object Label1: TLabel
    Left = 8
    Top = 8
    Width = 120
    Height = 17
    AutoSize = False
    Caption = '&Наименование'
    FocusControl = ComboBox1
    Layout = tlCenter
    WordWrap = True
  end
  object Panel1: TPanel
    Left = 400
    Top = 8
    Width = 200
    Height = 60
    Alignment = taLeftJustify
    BevelInner = bvLowered
    BevelWidth = 2
    BorderStyle = bsSingle
    Caption = 'Панель'
    ParentBackground = False
    TabOrder = 0
    object Shape1: TShape
      Left = 150
      Top = 10
      Width = 30
      Height = 30
      Brush.Color = clRed
      Pen.Color = clBlue
      Shape = stCircle
    end
  end
  object CheckBox1: TCheckBox
    Left = 8
    Top = 32
    Width = 120
    Height = 17
    AllowGrayed = True
    Caption = 'Флажок'
    State = cbGrayed
    TabOrder = 1
  end
  object RadioButton1: TRadioButton
    Left = 136
    Top = 32
    Width = 120
    Height = 17
    Caption = 'Выбор'
    Checked = True
    TabOrder = 2
  end
  object ComboBox1: TComboBox
    Left = 136
    Top = 8
    Width = 145
    Height = 21
    Style = csDropDownList
    DropDownCount = 12
    Items.Strings = (
      'Первый'
      'Второй')
    ItemIndex = 1
    TabOrder = 3
  end
  object ListBox1: TListBox
    Left = 8
    Top = 56
    Width = 120
    Height = 60
    MultiSelect = True
    Items.Strings = (
      'один'
      'два')
    TabOrder = 4
  end
  object GroupBox1: TGroupBox
    Left = 136
    Top = 56
    Width = 120
    Height = 60
    Caption = 'Группа'
    TabOrder = 5
  end
  object RadioGroup1: TRadioGroup
    Left = 264
    Top = 56
    Width = 130
    Height = 60
    Caption = 'Оплата'
    Columns = 2
    Items.Strings = (
      'Нал'
      'Безнал')
    ItemIndex = 1
    TabOrder = 6
  end
  object ScrollBar1: TScrollBar
    Left = 8
    Top = 124
    Width = 248
    Height = 17
    LargeChange = 10
    Max = 200
    PageSize = 20
    Position = 50
    TabOrder = 7
  end
  object Bevel1: TBevel
    Left = 264
    Top = 124
    Width = 130
    Height = 17
    Shape = bsBottomLine
    Style = bsRaised
  end
  object Image1: TImage
    Left = 400
    Top = 76
    Width = 64
    Height = 64
    Center = True
    Proportional = True
    Stretch = True
  end
  object SpeedButton1: TSpeedButton
    Left = 472
    Top = 76
    Width = 60
    Height = 22
    AllowAllUp = True
    Caption = 'Быстро'
    Down = True
    Flat = True
    GroupIndex = 3
  end
  object BitBtn1: TBitBtn
    Left = 472
    Top = 104
    Width = 90
    Height = 25
    Kind = bkOK
    TabOrder = 8
  end
  object DateTimePicker1: TDateTimePicker
    Left = 8
    Top = 150
    Width = 150
    Height = 21
    Date = 45292.0d
    Time = 0.5d
    Format = 'dd.MM.yyyy HH:mm'
    ShowCheckbox = True
    TabOrder = 9
  end
  object ProgressBar1: TProgressBar
    Left = 168
    Top = 150
    Width = 150
    Height = 16
    Max = 50
    Position = 20
    Step = 5
    TabOrder = 10
  end
  object TrackBar1: TTrackBar
    Left = 328
    Top = 146
    Width = 150
    Height = 30
    Frequency = 2
    Max = 20
    Position = 7
    TabOrder = 11
  end
  object Edit1: TEdit
    Left = 488
    Top = 150
    Width = 80
    Height = 21
    TabOrder = 12
    Text = '5'
  end
  object UpDown1: TUpDown
    Left = 568
    Top = 150
    Width = 17
    Height = 21
    Associate = Edit1
    Max = 900
    Position = 5
    TabOrder = 13
    Thousands = False
  end
  object PageControl1: TPageControl
    Left = 8
    Top = 184
    Width = 300
    Height = 120
    ActivePage = TabSheet2
    TabOrder = 14
    object TabSheet1: TTabSheet
      Caption = 'Общие'
    end
    object TabSheet2: TTabSheet
      Caption = 'Реквизиты'
      ImageIndex = 1
    end
  end
  object TabControl1: TTabControl
    Left = 320
    Top = 184
    Width = 290
    Height = 120
    TabIndex = 1
    Tabs.Strings = (
      'Январь'
      'Февраль')
    TabOrder = 15
  end
  object ToolBar1: TToolBar
    Left = 0
    Top = 0
    Width = 620
    Height = 29
    ButtonWidth = 60
    ShowCaptions = True
    TabOrder = 16
    object ToolButton1: TToolButton
      Left = 0
      Top = 0
      Caption = 'Открыть'
    end
    object ToolButton2: TToolButton
      Left = 60
      Top = 0
      Width = 8
      Style = tbsSeparator
    end
    object ToolButton3: TToolButton
      Left = 68
      Top = 0
      Caption = 'Режим'
      Down = True
      Style = tbsCheck
    end
  end
  object StatusBar1: TStatusBar
    Left = 0
    Top = 401
    Width = 620
    Height = 19
    Panels = <
      item
        Text = 'Готово'
        Width = 120
      end
      item
        Alignment = taCenter
        Style = psOwnerDraw
        Width = 80
      end>
  end
  object PaintBox1: TPaintBox
    Left = 400
    Top = 310
    Width = 60
    Height = 60
  end
  object ScrollBox1: TScrollBox
    Left = 470
    Top = 310
    Width = 140
    Height = 80
    TabOrder = 18
    VertScrollBar.Increment = 16
    object Splitter1: TSplitter
      Left = 0
      Top = 0
      Height = 76
      MinSize = 20
      ResizeStyle = rsUpdate
    end
    object ListBox2: TListBox
      Left = 10
      Top = 90
      Width = 100
      Height = 40
      Style = lbOwnerDrawFixed
      ItemHeight = 18
      TabOrder = 0
    end
  end
end
)";

class TStdControlsForm : public TForm {
  KIV_CLASS(TStdControlsForm, TForm)
 public:
  explicit TStdControlsForm(TComponent* owner) : TForm(owner) {}
};

const bool kRegistered = [] {
  RegisterClass(TStdControlsForm::StaticClass());
  RegisterResource(u"TStdControlsForm", reinterpret_cast<const Byte*>(kAllControls),
                   std::strlen(kAllControls));
  return true;
}();

void TFileStreamDump(const char* dir, const std::string& text) {
  FILE* f = std::fopen((std::string(dir) + "/std-controls.form").c_str(), "wb");
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

// The "Name = value" lines of a text form, without indentation, each with its object path.
std::multiset<std::string> PropertyLines(const std::string& text) {
  std::multiset<std::string> out;
  std::istringstream in(text);
  std::string line, object;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    line = line.substr(start);
    if (line.rfind("object ", 0) == 0) {
      object = line.substr(7, line.find(':') - 7);
      continue;
    }
    out.insert(object + "." + line);
  }
  return out;
}

TEST_F(ExtCtrlsTest, FormResourceWithEveryControlLoadsSavesBackAndRenders) {
  auto* loaded = NewForm<TStdControlsForm>(nullptr);
  std::unique_ptr<TStdControlsForm> owner(loaded);
  // A few properties reached their controls.
  auto* combo = dynamic_cast<TComboBox*>(loaded->FindComponent(u"ComboBox1"));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->GetItemIndex(), 1);
  EXPECT_EQ(combo->GetText(), u"Второй");
  auto* check = dynamic_cast<TCheckBox*>(loaded->FindComponent(u"CheckBox1"));
  EXPECT_EQ(check->GetState(), cbGrayed);
  auto* pages = dynamic_cast<TPageControl*>(loaded->FindComponent(u"PageControl1"));
  EXPECT_EQ(pages->GetPageCount(), 2);
  EXPECT_EQ(pages->GetActivePageIndex(), 1);
  auto* group = dynamic_cast<TRadioGroup*>(loaded->FindComponent(u"RadioGroup1"));
  EXPECT_EQ(group->GetItemIndex(), 1);
  EXPECT_TRUE(group->GetButton(1)->GetChecked());
  auto* status = dynamic_cast<TStatusBar*>(loaded->FindComponent(u"StatusBar1"));
  ASSERT_EQ(status->GetPanels()->GetCount(), 2);
  EXPECT_EQ(status->GetPanels()->GetItem(0)->GetText(), u"Готово");
  auto* upDown = dynamic_cast<TUpDown*>(loaded->FindComponent(u"UpDown1"));
  EXPECT_EQ(upDown->GetAssociate(), loaded->FindComponent(u"Edit1"));
  auto* toolBar = dynamic_cast<TToolBar*>(loaded->FindComponent(u"ToolBar1"));
  ASSERT_EQ(toolBar->GetButtonCount(), 3);
  EXPECT_EQ(toolBar->GetButton(2)->GetCaption(), u"Режим");
  auto* scrollBox = dynamic_cast<TScrollBox*>(loaded->FindComponent(u"ScrollBox1"));
  ASSERT_NE(scrollBox, nullptr);
  EXPECT_EQ(scrollBox->GetVertScrollBar()->GetIncrement(), 16);
  auto* bitBtn = dynamic_cast<TBitBtn*>(loaded->FindComponent(u"BitBtn1"));
  EXPECT_EQ(bitBtn->GetModalResult(), mrOk);
  EXPECT_EQ(bitBtn->GetCaption(), u"OK");

  // Saved back, every property written in the resource comes out again, and a second round is
  // identical to the first.
  std::string saved = WriteFormText(loaded);
  if (const char* dir = std::getenv("KIV_SHOT_DIR")) TFileStreamDump(dir, saved);
  std::multiset<std::string> original = PropertyLines(kAllControls), written = PropertyLines(saved);
  for (const std::string& line : original) {
    // The form's own size is the core's business (it stores Width and Height).
    if (line.rfind("StdControlsForm.", 0) == 0) continue;
    if (line.find("Strings = (") != std::string::npos || line.find(".'") != std::string::npos ||
        line.find("item") != std::string::npos || line.find("end") != std::string::npos ||
        line.rfind(".<") != std::string::npos)
      continue;
    EXPECT_TRUE(written.count(line)) << "lost: " << line;
  }
  EXPECT_NE(saved.find("'Первый'"), std::string::npos);
  EXPECT_NE(saved.find("Text = 'Готово'"), std::string::npos);
  {
    auto* again = new TStdControlsForm(nullptr);
    std::unique_ptr<TStdControlsForm> guard(again);
    TMemoryStream text, binary;
    text.WriteBuffer(saved.data(), static_cast<Integer>(saved.size()));
    text.SetPosition(0);
    ObjectTextToBinary(&text, &binary);
    binary.SetPosition(0);
    ReadComponentFromStream(&binary, again);
    EXPECT_EQ(WriteFormText(again), saved);
  }

  // The picture of the whole form, for a person to look at.
  loaded->Show();
  ProcessPendingEvents();
  auto shot = CaptureControl(loaded);
  ASSERT_GT(shot->GetWidth(), 600);
  if (const char* dir = std::getenv("KIV_SHOT_DIR")) {
    TPngImage png;
    png.Assign(shot.get());
    png.SaveToFile(Utf8ToString(std::string(dir) + "/std-controls.png"));
  }
}

}  // namespace
