// The axis grid's line parameters and its border settings: data lines that follow a default until set
// (a horizontal change lays the grid out again, a vertical one only repaints), the scheme's dark colour,
// the missing defaults named, and a flat grid drawing its own border once it lacks an edge.
#include "tests/gridlib/grids/AxisGridTestSupport.h"

namespace {

// What a concrete grid answers: vertical data lines by default, no horizontal ones.
class FlatLineParams : public TDBAxisGridLineParamsEh {
 public:
  explicit FlatLineParams(TCustomGridEh* grid) : TDBAxisGridLineParamsEh(grid) {}
  bool DefaultDataHorzLines() const override { return false; }
  bool DefaultDataVertLines() const override { return true; }
  TDBGridLinesColorSchemeEh GetActualColorScheme() const override { return GetColorScheme(); }
};

class AxisGridLineParamsTest : public AxisGridFixture {};

TEST_F(AxisGridLineParamsTest, DataLinesFollowTheirDefaultUntilSetAndHorizontalOnesRelayout) {
  MakeGrid();
  FlatLineParams lines(grid_);
  EXPECT_FALSE(lines.GetDataHorzLines());
  EXPECT_TRUE(lines.GetDataVertLines());
  const Integer layouts = grid_->GetLayoutCount();
  lines.SetDataVertLines(false);
  EXPECT_FALSE(lines.GetDataVertLines());
  EXPECT_TRUE(lines.GetDataVertLinesStored());
  EXPECT_EQ(grid_->GetLayoutCount(), layouts) << "a vertical line change only repaints";
  lines.SetDataHorzLines(true);
  EXPECT_TRUE(lines.GetDataHorzLines());
  EXPECT_GT(grid_->GetLayoutCount(), layouts) << "a horizontal line change moves the rows";
  // Dropping the stored mark goes back to the default.
  lines.SetDataVertLinesStored(false);
  EXPECT_TRUE(lines.GetDataVertLines());

  struct Case {
    TDBGridLinesColorSchemeEh scheme;
    TColor dark;
  } cases[] = {{glcsFlatEh, clGray}, {glcsThemedEh, static_cast<TColor>(0xB8C7CB)}, {glcsDefaultEh, clBlack}};
  for (const Case& c : cases) {
    lines.SetColorScheme(c.scheme);
    EXPECT_EQ(lines.GetDarkColor(), c.dark) << c.scheme;
  }
  lines.SetDarkColor(clRed);
  EXPECT_EQ(lines.GetDarkColor(), clRed) << "a colour set wins over the scheme";

  // The defaults belong to the concrete grid; the axis grid's own say so.
  TDBAxisGridLineParamsEh plain(grid_);
  try {
    plain.GetDataHorzLines();
    ADD_FAILURE() << "no default for horizontal lines";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Realize DefaultDataHorzLines in an inherited class");
  }
  EXPECT_THROW(plain.GetActualColorScheme(), Exception);
}

TEST_F(AxisGridLineParamsTest, AFlatGridDrawsItsOwnBorderOnceAnEdgeIsGone) {
  MakeGrid();
  grid_->SetFlat(true);
  grid_->SetCtl3D(false);
  TControlBorderEh* border = grid_->GetBorder();
  EXPECT_FALSE(border->GetExtendedDraw());
  border->SetEdgeBorders({ebLeftEh, ebTopEh, ebRightEh});
  EXPECT_TRUE(border->GetExtendedDraw());
  EXPECT_EQ(border->GetRecreateCount(), 1) << "the window is made again with its new frame";
  // A colour keeps it self-drawn: no new window for an unchanged default.
  border->SetColor(clNavy);
  EXPECT_EQ(border->GetRecreateCount(), 1);
  border->SetExtendedDraw(false);
  EXPECT_FALSE(border->GetExtendedDraw());
  EXPECT_TRUE(border->GetExtendedDrawStored());
  grid_->SetFlat(false);
  border->SetExtendedDrawStored(false);
  EXPECT_FALSE(border->GetExtendedDraw()) << "a grid that is not flat has the system's border";
}

// A border the grid draws itself takes one pixel of the window on each edge it has, in its colour.
TEST_F(AxisGridLineParamsTest, AnOwnBorderTakesAPixelOnEachOfItsEdgesInItsColour) {
  MakeGrid();
  ShowForm();
  grid_->SetFlat(true);
  grid_->SetCtl3D(false);
  TControlBorderEh* border = grid_->GetBorder();
  border->SetColor(clRed);
  border->SetEdgeBorders({ebLeftEh, ebTopEh, ebRightEh});
  ASSERT_TRUE(border->GetExtendedDraw());
  ProcessPendingEvents();
  const Integer w = grid_->GetWidth(), h = grid_->GetHeight();
  EXPECT_EQ(grid_->GetClientWidth(), w - 2);
  EXPECT_EQ(grid_->GetClientHeight(), h - 1);
  const std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  EXPECT_EQ(PixelAt(picture.get(), 0, h / 2), clRed);
  EXPECT_EQ(PixelAt(picture.get(), w / 2, 0), clRed);
  EXPECT_EQ(PixelAt(picture.get(), w - 1, h / 2), clRed);
  EXPECT_NE(PixelAt(picture.get(), w / 2, h - 1), clRed) << "no bottom edge";
}

}  // namespace
