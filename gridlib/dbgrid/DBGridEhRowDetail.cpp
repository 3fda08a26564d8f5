// The row-detail panel a data grid owns, and the grid's reading and writing of it in form resources.
#include "gridlib/dbgrid/DBGridEh.h"

TRowDetailPanelControlEh::TRowDetailPanelControlEh(TComponent* owner) : TCustomControl(owner) {
  SetVisible(false);
  SetTabStop(false);
}

TDBGridEh::TDBGridEh(TComponent* owner) : TCustomDBGridEh(owner) {
  rowDetailData_ = new TRowDetailPanelControlEh(this);
  rowDetailData_->SetName(u"RowDetailData");
  rowDetailData_->SetParent(this);
}

// The panel goes while the grid is whole, as a child control must.
TDBGridEh::~TDBGridEh() { delete rowDetailData_; }

void TDBGridEh::GetChildren(const TGetChildProc& proc, TComponent* root) {
  TCustomDBGridEh::GetChildren(proc, root);
  proc(rowDetailData_);
}
