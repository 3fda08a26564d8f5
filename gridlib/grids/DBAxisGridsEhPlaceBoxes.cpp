// The in-cell place boxes of the axis grid.
#include "gridlib/grids/DBAxisGridsEh.h"

TInCellPlaceBoxEh::~TInCellPlaceBoxEh() { ResetChildList(); }

TInCellPlaceBoxEh* TInCellPlaceBoxEh::AddChild() {
  if (count_ < static_cast<Integer>(childItems_.size())) return childItems_[count_++].get();
  childItems_.push_back(std::make_unique<TInCellPlaceBoxEh>());
  count_ = static_cast<Integer>(childItems_.size());
  return childItems_.back().get();
}

TInCellPlaceBoxEh* TInCellPlaceBoxEh::GetChildAtPos(Integer x, Integer y) const {
  for (Integer i = 0; i < count_; ++i) {
    const TRect& r = childItems_[i]->ctrlClientRect_;
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return childItems_[i].get();
  }
  return nullptr;
}

TInCellPlaceBoxEh* TInCellPlaceBoxEh::FindChildBoxByControl(TObject* control) const {
  for (Integer i = 0; i < count_; ++i) {
    TInCellPlaceBoxEh* child = childItems_[i].get();
    if (child->control_ == control) return child;
    if (TInCellPlaceBoxEh* found = child->FindChildBoxByControl(control)) return found;
  }
  return nullptr;
}

void TInCellPlaceBoxEh::Clear() {
  ClearChildList();
  control_ = nullptr;
  controlRect_ = TRect{0, 0, 0, 0};
  ctrlClientRect_ = TRect{0, 0, 0, 0};
}

void TInCellPlaceBoxEh::ClearChildList() {
  for (auto& child : childItems_) {
    child->ClearChildList();
    child->Clear();
  }
  count_ = 0;
}

void TInCellPlaceBoxEh::ResetChildList() {
  childItems_.clear();
  count_ = 0;
}

TInCellPlaceBoxEh* TInCellPlaceBoxEh::GetChildItem(Integer index) const {
  if (index < 0 || index >= static_cast<Integer>(childItems_.size()))
    throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return childItems_[index].get();
}

Integer GridToPlaceBoxAxisCoordEh(Integer coord, Integer fixedCount, Integer firstVisible,
                                  Integer lastVisible, Integer cellCount) {
  if (coord < fixedCount) return coord;
  if (coord < cellCount) return coord - firstVisible;
  return fixedCount + (lastVisible - firstVisible + 1) + (coord - cellCount);
}
