// The grid axis: cell lengths of the fixed, rolling and contra areas, the 64-bit start positions of
// the rolling cells found by binary search, the scroll position and the visible cells it gives.
#include <algorithm>

#include "gridlib/grids/GridsEh.h"
#include "platform/rtl/Format.h"

// ---- Free routines ----

void ArrayInsertRange(std::vector<Integer>& extents, Integer startIndex, Integer amount) {
  ArrayInsertRangeEh(extents, startIndex, amount);
}

void ArrayDeleteRange(std::vector<Integer>& extents, Integer startIndex, Integer amount) {
  ArrayDeleteRangeEh(extents, startIndex, amount);
}

void ArrayFillRange(std::vector<Integer>& extents, Integer startIndex, Integer amount, Integer value) {
  std::fill(extents.begin() + startIndex, extents.begin() + startIndex + amount, value);
}

void ArrayMoveItem(std::vector<Integer>& extents, Integer fromIndex, Integer toIndex) {
  if (extents.empty()) return;
  const Integer item = extents[static_cast<size_t>(fromIndex)];
  extents.erase(extents.begin() + fromIndex);
  extents.insert(extents.begin() + toIndex, item);
}

void FindCelAtPos(const std::vector<Int64>& positions, Int64 pos, Integer& cel, Integer& offset) {
  if (positions.empty() || pos <= positions.front()) {
    cel = 0;
    offset = static_cast<Integer>(pos - (positions.empty() ? 0 : positions.front()));
    return;
  }
  Integer lo = 0, hi = static_cast<Integer>(positions.size()) - 1;
  if (pos >= positions[static_cast<size_t>(hi)]) {
    cel = hi;
    offset = static_cast<Integer>(pos - positions[static_cast<size_t>(hi)]);
    return;
  }
  // Invariant: positions[lo] < pos < positions[hi].
  while (hi - lo > 1) {
    const Integer mid = lo + (hi - lo) / 2;
    const Int64 p = positions[static_cast<size_t>(mid)];
    if (p > pos)
      hi = mid;
    else if (p == pos) {
      cel = mid;
      offset = 0;
      return;
    } else
      lo = mid;
  }
  cel = lo;
  offset = static_cast<Integer>(pos - positions[static_cast<size_t>(lo)]);
}

bool AxisCelLensEqual(TGridAxisDataEh* a, TGridAxisDataEh* b) {
  if (a->GetFullCelCount() != b->GetFullCelCount()) return false;
  for (Integer i = 0; i < a->GetFullCelCount(); ++i)
    if (a->GetCelLens(i) != b->GetCelLens(i)) return false;
  return true;
}

// ---- Counts ----

void TGridAxisDataEh::SetFixedCelCount(Integer value) {
  if (value == fixedCelCount_) return;
  if (value < 0) throw Exception(u"FixedCelCount can't be less then 0");
  fixedCelLens_.resize(static_cast<size_t>(value), defaultCelLen_);
  fixedCelCount_ = value;
  grid_->AxisCelCountChanged(this);
  grid_->UpdateBoundaries();
}

void TGridAxisDataEh::SetContraCelCount(Integer value) {
  if (value == contraCelCount_) return;
  if (value < 0) throw Exception(u"ContraCelCount can't be less then 0");
  contraCelLens_.resize(static_cast<size_t>(value), defaultCelLen_);
  contraCelCount_ = value;
  grid_->AxisCelCountChanged(this);
  grid_->UpdateBoundaries();
}

void TGridAxisDataEh::SetRolCelCount(Integer value) {
  if (value == rolCelCount_) return;
  if (value <= 0) throw Exception(u"RolCelCount can't be less then 1");
  if (value > rolCelCount_)
    InsertRolCels(rolCelCount_, value - rolCelCount_);
  else
    DeleteRolCels(value, rolCelCount_ - value);
}

void TGridAxisDataEh::SetFrozenCelCount(Integer value) {
  if (value == frozenCelCount_) return;
  frozenCelCount_ = value;
  grid_->UpdateBoundaries();
}

void TGridAxisDataEh::InsertRolCels(Integer startIndex, Integer amount) {
  if (startIndex == static_cast<Integer>(rolCelLens_.size()) && amount >= 0) {
    // Growing at the end fills the new lengths once (a hundred million rows are common enough).
    rolCelLens_.insert(rolCelLens_.end(), static_cast<size_t>(amount), defaultCelLen_);
  } else {
    ArrayInsertRange(rolCelLens_, startIndex, amount);
    ArrayFillRange(rolCelLens_, startIndex, amount, defaultCelLen_);
  }
  rolLocCelPosArr_.resize(rolCelLens_.size());
  rolCelCount_ = static_cast<Integer>(rolCelLens_.size());
  rolLocCelPosArrObsolete_ = true;
  grid_->AxisCelCountChanged(this);
}

void TGridAxisDataEh::DeleteRolCels(Integer startIndex, Integer amount) {
  ArrayDeleteRange(rolCelLens_, startIndex, amount);
  rolLocCelPosArr_.resize(rolCelLens_.size());
  rolCelCount_ = static_cast<Integer>(rolCelLens_.size());
  rolLocCelPosArrObsolete_ = true;
  grid_->AxisCelCountChanged(this);
}

// ---- Lengths ----

void TGridAxisDataEh::SetFixedCelLens(Integer i, Integer value) {
  Integer& len = fixedCelLens_[static_cast<size_t>(i)];
  if (len == value) return;
  const Integer old = len;
  len = value;
  grid_->AxisCelLenChanged(this, i, old);
}

void TGridAxisDataEh::SetRolCelLens(Integer i, Integer value) {
  Integer& len = rolCelLens_[static_cast<size_t>(i)];
  if (len == value) return;
  const Integer old = len;
  len = value;
  rolLocCelPosArrObsolete_ = true;
  grid_->AxisCelLenChanged(this, fixedCelCount_ + i, old);
  grid_->AxisCelCountChanged(this);
}

void TGridAxisDataEh::SetContraCelLens(Integer i, Integer value) {
  Integer& len = contraCelLens_[static_cast<size_t>(i)];
  if (len == value) return;
  const Integer old = len;
  len = value;
  grid_->AxisCelLenChanged(this, GetCelCount() + i, old);
}

Integer TGridAxisDataEh::GetCelLens(Integer i) const {
  if (i < fixedCelCount_) return GetFixedCelLens(i);
  if (i < GetCelCount()) return GetRolCelLens(i - fixedCelCount_);
  return GetContraCelLens(i - GetCelCount());
}

void TGridAxisDataEh::SetCelLens(Integer i, Integer value) {
  if (i < fixedCelCount_)
    SetFixedCelLens(i, value);
  else if (i < GetCelCount())
    SetRolCelLens(i - fixedCelCount_, value);
  else
    SetContraCelLens(i - GetCelCount(), value);
}

Int64 TGridAxisDataEh::GetRolLocCelPosArr(Integer i) {
  CheckUpdateRolCelPosArr();
  return rolLocCelPosArr_[static_cast<size_t>(i)];
}

// ---- Layout values ----

Integer TGridAxisDataEh::GetGridClientStart() {
  CheckUpdateAxises();
  return gridClientStart_;
}

Integer TGridAxisDataEh::GetGridClientStop() {
  CheckUpdateAxises();
  return gridClientStop_;
}

Int64 TGridAxisDataEh::GetRolLen() {
  if (rolCelCount_ == 0) return 0;
  CheckUpdateRolCelPosArr();
  return rolLocCelPosArr_.back() + rolCelLens_.back();
}

Integer TGridAxisDataEh::GetRolInClientBoundary() {
  const Int64 end = fixedBoundary_ + GetRolLen() - rolStartVisPos_;
  return static_cast<Integer>(std::min<Int64>(contraStart_, end));
}

bool TGridAxisDataEh::GetInEndOfRol() {
  return fixedBoundary_ + GetRolLen() - rolStartVisPos_ <= contraStart_;
}

Integer TGridAxisDataEh::GetRolLastVisCel() {
  CheckUpdateRolCelPosArr();
  return rolLastVisCel_;
}

Integer TGridAxisDataEh::GetRolLastFullVisCel() {
  CheckUpdateRolCelPosArr();
  return rolLastFullVisCel_;
}

Integer TGridAxisDataEh::GetFixedCelPos(Integer index) const {
  Integer sum = 0;
  for (Integer i = 0; i < index; ++i) sum += fixedCelLens_[static_cast<size_t>(i)];
  return sum;
}

Integer TGridAxisDataEh::GetScrollStep() const {
  const Integer step = (contraStart_ - fixedBoundary_) / 20;
  return step == 0 ? 1 : step;
}

// ---- Positions ----

void TGridAxisDataEh::CheckUpdateRolCelPosArr() {
  if (!rolLocCelPosArrObsolete_) return;
  RebuildRolCelPosArr();
  grid_->AxisPositionsUpdated();
}

void TGridAxisDataEh::CheckUpdateAxises() { grid_->CheckUpdateAxes(); }

void TGridAxisDataEh::RebuildRolCelPosArr() {
  Int64 pos = 0;
  for (size_t i = 0; i < rolCelLens_.size(); ++i) {
    rolLocCelPosArr_[i] = pos;
    pos += rolCelLens_[i];
  }
  // Cleared before the visible cells are found, which read the positions.
  rolLocCelPosArrObsolete_ = false;
  UpdateVisCells();
}

void TGridAxisDataEh::UpdateVisCells() {
  FindCelAtPos(rolLocCelPosArr_, rolStartVisPos_, rolStartVisCel_, rolStartVisCelOfst_);
  UpdateLastVisCells();
}

void TGridAxisDataEh::UpdateLastVisCells() {
  if (fixedBoundary_ >= contraStart_ || rolCelCount_ == 0) {
    rolLastVisCel_ = rolLastFullVisCel_ = rolStartVisCel_;
    return;
  }
  const Int64 endPos = rolStartVisPos_ + GetRolClientLen() - 1;
  Integer cel = 0, offset = 0;
  FindCelAtPos(rolLocCelPosArr_, endPos, cel, offset);
  while (cel + 1 < rolCelCount_ && rolLocCelPosArr_[static_cast<size_t>(cel) + 1] <= endPos) ++cel;
  rolLastVisCel_ = cel;
  if (offset < rolCelLens_[static_cast<size_t>(cel)] - 1 && cel > rolStartVisCel_)
    rolLastFullVisCel_ = cel - 1;
  else
    rolLastFullVisCel_ = cel;
}

void TGridAxisDataEh::RolCellAtPos(Int64 pos, Integer& cel, Integer& celOffset) {
  CheckUpdateRolCelPosArr();
  FindCelAtPos(rolLocCelPosArr_, pos, cel, celOffset);
}

void TGridAxisDataEh::SetRolStartVisPos(Int64 value) {
  if (value == rolStartVisPos_) return;
  if (value > GetRolLen()) throw Exception(u"RolStartVisPos can't be > RolLen");
  const Int64 old = rolStartVisPos_;
  rolStartVisPos_ = value;
  CheckUpdateRolCelPosArr();
  UpdateVisCells();
  grid_->AxisScrollPosChanged(this, old);
}

Int64 TGridAxisDataEh::CheckRolStartVisPos(Int64 rolStartVisPos) {
  const Int64 maxPos = GetRolLen() - GetRolClientLen();
  if (rolStartVisPos > maxPos) rolStartVisPos = maxPos;
  if (rolStartVisPos < 0) rolStartVisPos = 0;
  return rolStartVisPos;
}

Int64 TGridAxisDataEh::SafeSetRolStartVisCel(Integer newStartCell, TScrollStepTypeEh scrollStepType) {
  newStartCell = std::clamp(newStartCell, 0, rolCelCount_ - 1);
  Int64 p = GetRolLocCelPosArr(newStartCell);
  const Int64 maxPos = GetRolLen() - GetRolClientLen();
  if (p > maxPos) {
    if (scrollStepType == sstByPixelEh) {
      p = maxPos;
      SetRolStartVisPos(CheckRolStartVisPos(p));
    } else {
      SetRolStartVisPos(GetRolLocCelPosArr(CalcMaxStartCellFor(rolCelCount_ - 1)));
    }
  } else {
    SetRolStartVisPos(CheckRolStartVisPos(p));
  }
  return p;
}

Integer TGridAxisDataEh::CalcMaxStartCellFor(Integer rolFinishCell) {
  CheckUpdateRolCelPosArr();
  const Int64 end =
      rolLocCelPosArr_[static_cast<size_t>(rolFinishCell)] + rolCelLens_[static_cast<size_t>(rolFinishCell)];
  // The first cell of the last page: binary search for the smallest start with end - start <= client.
  const Int64 minStart = end - GetRolClientLen();
  auto it =
      std::lower_bound(rolLocCelPosArr_.begin(), rolLocCelPosArr_.begin() + rolFinishCell + 1, minStart);
  const auto found = static_cast<Integer>(it - rolLocCelPosArr_.begin());
  return std::min(found, rolFinishCell);
}

void TGridAxisDataEh::MoveCel(Integer fromIndex, Integer toIndex) {
  const Integer fixed = fixedCelCount_, cels = GetCelCount(), full = GetFullCelCount();
  if (fromIndex < fixed && toIndex < fixed) {
    ArrayMoveItem(fixedCelLens_, fromIndex, toIndex);
  } else if (fromIndex >= fixed && fromIndex < cels && toIndex >= fixed && toIndex < cels) {
    ArrayMoveItem(rolCelLens_, fromIndex - fixed, toIndex - fixed);
    rolLocCelPosArrObsolete_ = true;
  } else if (fromIndex >= cels && fromIndex < full && toIndex >= cels && toIndex < full) {
    ArrayMoveItem(contraCelLens_, fromIndex - cels, toIndex - cels);
  } else {
    throw Exception(Format(u"MoveCel in different areas[FromIndex:%d, ToIndex:%d", {fromIndex, toIndex}));
  }
  grid_->AxisCelMoved(this, fromIndex, toIndex);
}

void TGridAxisDataEh::SwapRightToLeftPoses(Integer& pos1, Integer& pos2) const {
  const Integer w = winClientBoundSto_ - winClientBoundSta_;
  const Integer old1 = pos1;
  pos1 = w - pos2;
  pos2 = w - old1;
}
