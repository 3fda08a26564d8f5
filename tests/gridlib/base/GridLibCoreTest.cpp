// Library routines: the memory stream's growth step, rectangles, lParam points, locale comparison,
// objects in variants, window and edit-selection routines, and the settings keeper's ColIndex order
#include <gtest/gtest.h>

#include <algorithm>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/base/SettingsKeepersEh.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdEdits.h"
#include "platform/testing/TestSupport.h"

namespace {

TEST(MemoryStreamEhTest, CapacityFollowsTheStepWhateverItIs) {
  for (Integer half : {4096, 3000, 1, 7}) {
    TMemoryStreamEh stream;
    stream.SetHalfMemoryDelta(half);
    std::vector<Byte> written;
    for (int i = 0; i < 20000; ++i) {
      const Byte b = static_cast<Byte>(i * 7);
      stream.WriteBuffer(&b, 1);
      written.push_back(b);
      ASSERT_GE(stream.GetCapacity(), stream.GetSize()) << "step " << half;
      ASSERT_EQ(stream.GetCapacity() % (2 * half), 0) << "step " << half;
    }
    ASSERT_EQ(std::memcmp(stream.Memory(), written.data(), written.size()), 0);
  }
  TMemoryStreamEh exact;
  exact.SetSize(10);
  exact.SetCapacity(10);
  EXPECT_EQ(exact.GetCapacity(), 10) << "the exact size is not rounded";
}

TEST(GridLibRoutinesTest, RectanglesPointsAndComparison) {
  EXPECT_TRUE(IsRectEmptyEh(TRect(0, 0, 0, 0)));
  EXPECT_TRUE(IsRectEmptyEh(TRect(5, 0, 1, 10)));
  EXPECT_FALSE(IsRectEmptyEh(TRect(0, 0, 1, 1)));
  TRect r(1, 2, 11, 22);
  MoveRectToEh(r, 100, 200);
  EXPECT_EQ(r, TRect(100, 200, 110, 220));
  EXPECT_EQ(AddRectSidesEh(r, -1, -2, 3, 4), TRect(99, 198, 113, 224));
  EXPECT_EQ(PointFromLParamEh(static_cast<Integer>(0xFFFF0010u)), TPoint(16, -1));
  EXPECT_EQ(LParamToSmallPointEh(SmallPointToLParamEh(TPoint(-5, 300))), TPoint(-5, 300));
  EXPECT_EQ(LocaleCompareStrEh(u"abc", u"ABC", 0, true), 0);
  EXPECT_NE(LocaleCompareStrEh(u"abc", u"ABC", 0, false), 0);
  EXPECT_EQ(LocaleCompareWideStrEh(u"абвг", u"АБВД", 3, true), 0);
  EXPECT_EQ(LocaleCompareWideStrEh(u"ёж", u"яблоко", 0, false), -1);
  EXPECT_EQ(MiddleDotCharEh(), u'\u00B7');
}

TEST(GridLibRoutinesTest, ObjectsTravelInVariants) {
  TObject object;
  Variant v;
  RefObjectToVariantEh(&object, v);
  EXPECT_EQ(RefObjectFromVariantEh(v), &object);
  Variant copy = v;
  v = Variant();
  EXPECT_EQ(RefObjectFromVariantEh(copy), &object);
  EXPECT_THROW(RefObjectFromVariantEh(Variant(5)), EIntfCastError);
  EXPECT_THROW(RefObjectFromVariantEh(Variant()), EIntfCastError);
}

TEST(SettingsKeeperTest, TypedReadsAndCaseSensitiveKeys) {
  TSettingsKeeperEh keeper;
  keeper.Add(u"Num", u"12");
  keeper.Add(u"Bad", u"12a");
  keeper.Add(u"Int", 7);
  keeper.Add(u"Sub", new TSettingsKeeperEh());
  keeper.Add(u"num", u"lower");
  Integer i = 0;
  String s;
  TSettingsKeeperEh* sub = nullptr;
  EXPECT_TRUE(keeper.TryGetIntegerValue(u"Num", i));
  EXPECT_EQ(i, 12);
  EXPECT_FALSE(keeper.TryGetIntegerValue(u"Bad", i));
  EXPECT_FALSE(keeper.TryGetIntegerValue(u"Sub", i));
  EXPECT_FALSE(keeper.TryGetIntegerValue(u"Missing", i));
  EXPECT_FALSE(keeper.TryGetStringValue(u"Int", s));
  EXPECT_TRUE(s.empty());
  EXPECT_TRUE(keeper.TryGetStringValue(u"num", s));
  EXPECT_EQ(s, u"lower");
  EXPECT_TRUE(keeper.TryGetSubsettingsValue(u"Sub", sub));
  EXPECT_FALSE(keeper.TryGetSubsettingsValue(u"Int", sub));
  EXPECT_THROW(keeper.Add(u"Int", 8), EListError);
  EXPECT_TRUE(keeper.TryGetIntegerValue(u"Int", i));
  EXPECT_EQ(i, 7) << "a refused key keeps the old value";
  EXPECT_EQ(keeper.ToArray().size(), 5u);
}

TEST(SettingsKeeperTest, ColumnsSortByColIndex) {
  TSettingsKeeperEh columns;
  auto column = [](int colIndex) {
    auto* keeper = new TSettingsKeeperEh();
    if (colIndex >= 0) keeper->Add(u"ColIndex", colIndex);
    return keeper;
  };
  columns.Add(u"B", column(2));
  columns.Add(u"A", column(-1));
  columns.Add(u"C", column(1));
  auto pairs = columns.ToArray();
  auto* comparer = TSettingsKeeperEhCollectionByIndexComparer::Ordinal();
  std::sort(pairs.begin(), pairs.end(),
            [&](const auto& l, const auto& r) { return comparer->Compare(l, r) < 0; });
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[0].first, u"A");
  EXPECT_EQ(pairs[1].first, u"C");
  EXPECT_EQ(pairs[2].first, u"B");
}

}  // namespace

namespace {

TEST(GridLibWindowRoutinesTest, DropShadowEditSelectionAndScreenCanvas) {
  InitTestApplication();
  TCreateParams params;
  params.WindowClassStyle = CS_DBLCLKS;
  SetDropShadowStyleEh(params, true);
  EXPECT_EQ(params.WindowClassStyle, DWORD(CS_DBLCLKS | CS_DROPSHADOW));
  SetDropShadowStyleEh(params, false);
  EXPECT_EQ(params.WindowClassStyle, DWORD(CS_DBLCLKS));

  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetText(u"Накладная");
  EditSetSelEh(edit->GetHandle(), 2, 5);
  Integer start = -1;
  Integer end = -1;
  EditGetSelEh(edit->GetHandle(), start, end);
  EXPECT_EQ(start, 2);
  EXPECT_EQ(end, 5);
  EXPECT_EQ(edit->GetSelText(), u"кла");
  EXPECT_EQ(CharIndexAtCaretEh(edit), 5);

  TCanvas* screen = GetScreenCanvasEh();
  ASSERT_TRUE(screen);
  EXPECT_EQ(GetScreenCanvasEh(), screen) << "one shared canvas";
  TTextMetric metrics;
  TCanvas detached;  // no context: measured on the screen canvas with its own font
  detached.GetFont()->SetSize(24);
  GetCanvasTextMetricsEh(&detached, metrics);
  EXPECT_EQ(metrics.tmHeight, GetFontTextHeightEh(nullptr, detached.GetFont(), false));
  EXPECT_GT(metrics.tmHeight, screen->TextHeight(u"Ж")) << "the screen canvas kept its own font";
}

}  // namespace

namespace {

// The library's cursors take free slots of the screen, one each, and answer their picture there.
TEST(GridLibWindowRoutinesTest, RegisteredCursorsTakeFreeSlotsOfTheScreen) {
  InitTestApplication();
  const Integer down = LoadRegisterCursorEh(u"DOWNCUREH");
  const Integer right = LoadRegisterCursorEh(u"RIGHTCUREH");
  EXPECT_GT(down, 0);
  EXPECT_GT(right, 0);
  EXPECT_NE(down, right);
  EXPECT_NE(Screen->GetCursors(down), nullptr);
  EXPECT_NE(Screen->GetCursors(down), Screen->GetCursors(right));
}

}  // namespace
