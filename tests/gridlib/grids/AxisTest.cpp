// The grid axis against a plain prefix-sum model: random counts and lengths (zero lengths too), the
// cell at random positions and the position of every cell; count and position errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "gridlib/grids/GridsEh.h"
#include "platform/testing/TestSupport.h"

namespace {

// The model: starts[i] is the sum of the lengths before cell i.
struct PrefixModel {
  std::vector<Int64> starts;
  std::vector<Integer> lens;
  Int64 Total() const { return lens.empty() ? 0 : starts.back() + lens.back(); }
};

TEST(AxisTest, CellAtPositionAndPositionOfCellMatchAPrefixSumModel) {
  InitTestApplication();
  std::mt19937 rng(20261210);
  for (int round = 0; round < 40; ++round) {
    TCustomGridEh grid(nullptr);
    TGridAxisDataEh* axis = grid.GetVertAxis();
    const Integer count = std::uniform_int_distribution<Integer>(1, round < 20 ? 30 : 3000)(rng);
    grid.SetRowCount(grid.GetFixedRowCount() + count);
    PrefixModel model;
    Int64 pos = 0;
    for (Integer i = 0; i < count; ++i) {
      // Every third round has many zero-length (hidden) cells.
      const Integer len = std::uniform_int_distribution<Integer>(round % 3 == 0 ? -10 : 0, 40)(rng);
      const Integer l = std::max(0, len);
      axis->SetRolCelLens(i, l);
      model.starts.push_back(pos);
      model.lens.push_back(l);
      pos += l;
    }
    ASSERT_EQ(axis->GetRolLen(), model.Total());
    for (Integer i = 0; i < count; ++i) ASSERT_EQ(axis->GetRolLocCelPosArr(i), model.starts[i]) << i;
    for (int probe = 0; probe < 200; ++probe) {
      const Int64 p = std::uniform_int_distribution<Int64>(0, std::max<Int64>(0, model.Total() - 1))(rng);
      Integer cel = -1, ofs = -1;
      axis->RolCellAtPos(p, cel, ofs);
      // Any cell whose span holds p, or a zero-length cell starting at p.
      ASSERT_GE(cel, 0);
      ASSERT_LT(cel, count);
      EXPECT_EQ(model.starts[cel] + ofs, p);
      EXPECT_LE(model.starts[cel], p);
      EXPECT_TRUE(p < model.starts[cel] + model.lens[cel] ||
                  (model.lens[cel] == 0 && model.starts[cel] == p) || cel == count - 1)
          << "pos " << p << " landed on cell " << cel;
    }
  }
}

TEST(AxisTest, HundredMillionRowsOfTwentyPixelsAndPositionsPastTwoToTheThirtyFirst) {
  InitTestApplication();
  TCustomGridEh grid(nullptr);
  TGridAxisDataEh* axis = grid.GetVertAxis();
  const auto expectCellAt = [axis](Int64 pos, Integer cel, Integer ofs) {
    Integer c = -1, o = -1;
    axis->RolCellAtPos(pos, c, o);
    EXPECT_EQ(c, cel) << pos;
    EXPECT_EQ(o, ofs) << pos;
  };
  constexpr Integer rows = 100'000'000;
  grid.SetRowCount(grid.GetFixedRowCount() + rows);
  EXPECT_EQ(axis->GetRolLen(), Int64{rows} * 20);
  expectCellAt(0, 0, 0);
  expectCellAt(19, 0, 19);
  expectCellAt(Int64{rows} * 20 - 1, rows - 1, 19);
  expectCellAt(Int64{rows - 1} * 20, rows - 1, 0);
  // Ten rows of 2^27 pixels before the last hundred carry the positions past 2^31.
  constexpr Integer tall = rows - 110;
  for (Integer i = tall; i < tall + 10; ++i) axis->SetRolCelLens(i, 1 << 27);
  const Int64 afterTall = Int64{tall} * 20 + (Int64{10} << 27);
  ASSERT_GT(afterTall, Int64{1} << 31);
  expectCellAt(Int64{tall} * 20 + (Int64{5} << 27) + 7, tall + 5, 7);
  expectCellAt(afterTall + 20 * 50 + 3, tall + 60, 3);
  EXPECT_EQ(axis->GetRolLocCelPosArr(rows - 1), afterTall + Int64{99} * 20);
  EXPECT_EQ(axis->GetRolLen(), afterTall + Int64{100} * 20);
}

TEST(AxisTest, CountsAndPositionsOutOfRangeAreRefusedAndLeaveTheAxis) {
  InitTestApplication();
  TCustomGridEh grid(nullptr);
  const struct {
    std::function<void()> action;
    const char16_t* message;
  } cases[] = {
      {[&] { grid.SetColCount(grid.GetFixedColCount()); }, u"RolCelCount can't be less then 1"},
      {[&] { grid.SetContraRowCount(-1); }, u"ContraCelCount can't be less then 0"},
      {[&] { grid.GetVertAxis()->SetRolStartVisPos(grid.GetVertAxis()->GetRolLen() + 1); },
       u"RolStartVisPos can't be > RolLen"},
      {[&] { grid.GetHorzAxis()->MoveCel(0, 5); }, u"MoveCel in different areas[FromIndex:0, ToIndex:5"},
  };
  for (const auto& c : cases) {
    try {
      c.action();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), String(c.message));
    }
  }
  EXPECT_EQ(grid.GetColCount(), 6);
  EXPECT_EQ(grid.GetContraRowCount(), 0);
  EXPECT_EQ(grid.GetTopPos(), 0);
}

TEST(AxisTest, FixedCountsGrowWithTheDefaultLengthAndColumnCountFollows) {
  InitTestApplication();
  TCustomGridEh grid(nullptr);
  EXPECT_EQ(grid.GetColCount(), 6);
  EXPECT_EQ(grid.GetRowCount(), 6);
  EXPECT_EQ(grid.GetCol(), 1);
  EXPECT_EQ(grid.GetRow(), 1);
  EXPECT_EQ(grid.GetWidth(), 300);
  EXPECT_EQ(grid.GetHeight(), 120);
  EXPECT_EQ(grid.GetOptions(), DefaultGridOptionsEh());
  grid.SetColWidths(0, 11);
  grid.SetFixedColCount(3);
  EXPECT_EQ(grid.GetColCount(), 8);
  EXPECT_EQ(grid.GetColWidths(0), 11);
  EXPECT_EQ(grid.GetColWidths(1), 50);
  EXPECT_EQ(grid.GetColWidths(2), 50);
  grid.SetOptions(TGridOptionsEh{goRowSelectEh, goAlwaysShowEditorEh});
  EXPECT_FALSE(grid.GetOptions().Contains(goAlwaysShowEditorEh));
}

}  // namespace
