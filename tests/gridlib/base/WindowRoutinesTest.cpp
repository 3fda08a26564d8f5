// Window routines: popup placement against the work area with the size-grip messages, messages posted
// once, messages performed over owned components, and pictures read from blob fields.
#include <gtest/gtest.h>

#include <cstring>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/Forms.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

// A popup that records the size-grip side messages it receives.
class TRecordingPopup : public TWinControl {
 public:
  TRecordingPopup() : TWinControl(nullptr) {}
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_USER + 100)
      sides.push_back(static_cast<TSizeGripChangePosition>(message.WParam));
    else if (message.Msg == WM_USER + 7)
      ++performed;
    TWinControl::WndProc(message);
  }
  std::vector<TSizeGripChangePosition> sides;
  int performed = 0;
};

class WindowRoutinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    work_ = Screen->WorkAreaOfRect(TRect(0, 0, 1, 1));
    ASSERT_GT(work_.Height(), 200);
  }
  TRect work_;
};

TEST_F(WindowRoutinesTest, PopupGoesBelowAboveOrToTheLargerSideShortened) {
  struct Case {
    const char* name;
    TRect rect;  // relative to the work area's top-left corner (bottom-relative when negative)
    Integer height;
    TAlignment align;
    Integer expectedY;  // likewise
    Integer expectedHeight;
    TSizeGripChangePosition vertical;
  };
  const Integer H = work_.Height();
  const Case cases[] = {
      {"fits below", TRect(10, 100, 60, 120), 50, taLeftJustify, 120, 50, sgcpToBottom},
      {"only above fits", TRect(10, H - 30, 60, H - 10), 80, taLeftJustify, H - 110, 80, sgcpToTop},
      {"neither, more room above", TRect(10, H - 100, 60, H - 80), H, taLeftJustify, 0, H - 100, sgcpToTop},
      {"neither, more room below", TRect(10, 40, 60, 60), H, taLeftJustify, 60, H - 60, sgcpToBottom},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TRecordingPopup popup;
    popup.SetBounds(0, 0, 100, c.height);
    TRect rect = c.rect;
    rect =
        TRect(rect.Left + work_.Left, rect.Top + work_.Top, rect.Right + work_.Left, rect.Bottom + work_.Top);
    TPoint pos;
    PlacePopupAtRectEh(rect, &popup, c.align, pos);
    EXPECT_EQ(pos, TPoint(rect.Left, work_.Top + c.expectedY));
    EXPECT_EQ(popup.GetHeight(), c.expectedHeight);
    ASSERT_EQ(popup.sides.size(), 2u);
    EXPECT_EQ(popup.sides[0], c.vertical);
    EXPECT_EQ(popup.sides[1], sgcpToRight);
  }
}

TEST_F(WindowRoutinesTest, PopupAlignsAndStaysInsideHorizontally) {
  const TRect anchor(work_.Left + 200, work_.Top + 10, work_.Left + 260, work_.Top + 30);
  struct Case {
    TRect rect;
    TAlignment align;
    Integer expectedX;
    TSizeGripChangePosition horizontal;
  };
  const Case cases[] = {
      {anchor, taLeftJustify, anchor.Left, sgcpToRight},
      {anchor, taRightJustify, anchor.Right - 100, sgcpToLeft},
      {anchor, taCenter, anchor.Left - 20, sgcpToRight},
      {TRect(work_.Right - 30, anchor.Top, work_.Right, anchor.Bottom), taLeftJustify, work_.Right - 100,
       sgcpToLeft},
      {TRect(work_.Left + 10, anchor.Top, work_.Left + 20, anchor.Bottom), taRightJustify, work_.Left,
       sgcpToRight},
  };
  for (const Case& c : cases) {
    TRecordingPopup popup;
    popup.SetBounds(0, 0, 100, 40);
    TPoint pos;
    PlacePopupAtRectEh(c.rect, &popup, c.align, pos);
    EXPECT_EQ(pos.X, c.expectedX) << "align " << c.align << " at " << c.rect.Left;
    ASSERT_EQ(popup.sides.size(), 2u);
    EXPECT_EQ(popup.sides[1], c.horizontal) << "align " << c.align << " at " << c.rect.Left;
  }
  // A popup wider than the work area is cut to it.
  TRecordingPopup wide;
  wide.SetBounds(0, 0, work_.Width() + 500, 40);
  TPoint pos;
  PlacePopupAtRectEh(anchor, &wide, taLeftJustify, pos);
  EXPECT_EQ(wide.GetWidth(), work_.Width());
  EXPECT_EQ(pos.X, work_.Left);
}

TEST_F(WindowRoutinesTest, MessagesArePostedOnceAndPerformedOverOwnedComponents) {
  const UINT msg = WM_USER + 55;
  PostMessageOnceEh(msg, 1, 2);
  PostMessageOnceEh(msg, 3, 4);
  TMsg queued;
  ASSERT_TRUE(PeekMessage(&queued, Application->GetHandle(), msg, msg, PM_REMOVE));
  EXPECT_EQ(queued.wParam, 1u);
  EXPECT_FALSE(PeekMessage(&queued, Application->GetHandle(), msg, msg, PM_REMOVE)) << "posted once";

  TComponent root(nullptr);
  auto* outer = new TRecordingPopup();
  root.InsertComponent(outer);
  auto* inner = new TRecordingPopup();
  outer->InsertComponent(inner);
  new TComponent(inner);  // not a control: skipped, its owned components still visited
  PerformForComponentsEh(&root, TRecordingPopup::StaticClass(), WM_USER + 7, 0, 0);
  EXPECT_EQ(outer->performed, 1);
  EXPECT_EQ(inner->performed, 1);
}

// A 2 x 1 bitmap as a BMP file.
std::vector<Byte> TinyBmp() {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(2, 1);
  bitmap.GetCanvas()->SetPixel(0, 0, clRed);
  bitmap.GetCanvas()->SetPixel(1, 0, clBlue);
  TMemoryStream stream;
  bitmap.SaveToStream(&stream);
  const auto* bytes = static_cast<const Byte*>(stream.Memory());
  return std::vector<Byte>(bytes, bytes + stream.GetSize());
}

TEST_F(WindowRoutinesTest, PicturesComeFromBlobsWithOrWithoutTheGraphicHeader) {
  const std::vector<Byte> bmp = TinyBmp();
  ASSERT_EQ(bmp[0], 'B');
  std::vector<Byte> withHeader = {1, 0, 0, 1, 0, 0, 0, 0};
  const auto size = static_cast<Cardinal>(bmp.size());
  std::memcpy(withHeader.data() + 4, &size, 4);
  withHeader.insert(withHeader.end(), bmp.begin(), bmp.end());

  TComponent owner(nullptr);
  auto* ds = new TTestDataSet(&owner);
  ds->GetFieldDefs()->Add(u"PIC", ftGraphic);
  ds->AddRow({VarArrayOfBytes(TBytes(bmp.begin(), bmp.end()))});
  ds->AddRow({VarArrayOfBytes(TBytes(withHeader.begin(), withHeader.end()))});
  ds->AddRow({Variant::Null()});
  ds->Open();
  auto* field = dynamic_cast<TBlobField*>(ds->FieldByName(u"PIC"));
  ASSERT_TRUE(field);
  field->SetGraphicHeader(true);

  for (int row = 0; row < 2; ++row) {
    std::unique_ptr<TGraphic> graphic(LoadGraphicFromFieldEh(field));
    ASSERT_TRUE(graphic) << "row " << row;
    auto* bitmap = dynamic_cast<TBitmap*>(graphic.get());
    ASSERT_TRUE(bitmap) << "row " << row;
    EXPECT_EQ(bitmap->GetWidth(), 2);
    EXPECT_EQ(bitmap->GetCanvas()->GetPixel(0, 0), clRed) << "row " << row;
    EXPECT_EQ(bitmap->GetCanvas()->GetPixel(1, 0), clBlue) << "row " << row;
    ds->Next();
  }
  std::unique_ptr<TGraphic> empty(LoadGraphicFromFieldEh(field));
  EXPECT_TRUE(!empty || empty->GetEmpty()) << "a null blob gives no picture";
  EXPECT_EQ(LoadGraphicFromFieldEh(nullptr), nullptr);
}

}  // namespace
