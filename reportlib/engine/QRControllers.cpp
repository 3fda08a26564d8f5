// Controllers, groups and sub-details: collecting the bands and nested controllers of a master, the
// record loop, and opening and closing groups when their value changes.
#include "reportlib/engine/QRControllers.h"

#include <algorithm>

#include "platform/classes/Lists.h"
#include "platform/data/DataSet.h"
#include "reportlib/engine/QRPrintable.h"
#include "reportlib/engine/RezavOze.h"
#include "reportlib/output/QRError.h"

namespace {

void RegisterChain(TQRCustomBand* band, std::vector<TQRCustomBand*>& list) {
  for (TQRCustomBand* b = band; b; b = b->GetChildBand()) {
    if (std::find(list.begin(), list.end(), b) != list.end()) return;
    list.push_back(b);
  }
}

bool ValuesDiffer(const TQREvResult& a, const TQREvResult& b) {
  if (a.Kind != b.Kind) return true;
  switch (a.Kind) {
    case resInt:
      return a.intResult != b.intResult;
    case resDouble:
      return a.dblResult != b.dblResult;
    case resString:
      return a.StringVal != b.StringVal;
    case resBool:
      return a.booResult != b.booResult;
    case resError:
      return false;
  }
  return false;
}

}  // namespace

// ---- TQRCustomController ----

TQRCustomController::TQRCustomController(TComponent* owner) : TComponent(nullptr), orgOwner_(owner) {}

TQRCustomController::~TQRCustomController() = default;

void TQRCustomController::SetMaster(TComponent* value) {
  if (value == this) return;
  if (value && !dynamic_cast<TCustomRezavOze*>(value) && !dynamic_cast<TQRCustomController*>(value) &&
      !dynamic_cast<TQRControllerBand*>(value))
    return;
  if (master_) master_->RemoveFreeNotification(this);
  master_ = value;
  if (value) value->FreeNotification(this);
}

void TQRCustomController::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == master_) master_ = nullptr;
}

void TQRCustomController::GetValue(TQREvResult& Value) { SetErrorResult(String(), Value); }

void TQRCustomController::UpdateConstant() {
  if (!evConstant_ || !parentReport_) return;
  TQREvResult value;
  GetValue(value);
  parentReport_->GetFunctions()->SetConstant(evConstant_, value);
}

void TQRCustomController::Collect() {
  printBeforeList_.clear();
  printAfterList_.clear();
  groupList_.clear();
  if (!selfCheck_) return;
  auto scan = [this](TComponent* owner) {
    if (!owner) return;
    for (int i = 0; i < owner->GetComponentCount(); ++i) {
      TComponent* c = owner->GetComponent(i);
      TQRCustomController* controller = dynamic_cast<TQRCustomController*>(c);
      if (auto* band = dynamic_cast<TQRControllerBand*>(c)) controller = band->GetController();
      if (controller && controller != this && controller->GetMaster() == selfCheck_) {
        if (std::find(printBeforeList_.begin(), printBeforeList_.end(), controller) !=
                printBeforeList_.end() ||
            std::find(printAfterList_.begin(), printAfterList_.end(), controller) != printAfterList_.end())
          continue;
        controller->SetParentReport(parentReport_);
        (controller->GetPrintBefore() ? printBeforeList_ : printAfterList_).push_back(controller);
        controller->Collect();
      }
      if (auto* group = dynamic_cast<TQRGroup*>(c);
          group && group->GetMaster() == selfCheck_ && !group->GetComponentState().Contains(csDestroying) &&
          std::find(groupList_.begin(), groupList_.end(), group) == groupList_.end()) {
        group->GroupIndex = static_cast<Integer>(groupList_.size());
        group->SetParentReport(parentReport_);
        groupList_.push_back(group);
      }
    }
  };
  scan(selfCheck_->GetOwner());
  scan(selfCheck_);
  AddDataSets();
}

void TQRCustomController::AddDataSets() {}

void TQRCustomController::Prepare() {
  notifyList_.clear();
  for (TQRCustomController* c : printBeforeList_) c->Prepare();
  for (TQRCustomController* c : printAfterList_) c->Prepare();
  for (TQRGroup* group : groupList_) {
    group->Evaluator.SetDataSets(parentReport_->GetAllDataSets());
    group->Evaluator.SetEnvironment(parentReport_->GetFunctions());
    group->Evaluator.Prepare(group->GetExpression());
    group->HasResult = false;
    group->InGroup = false;
    group->PrintPageNumber = 1;
  }
  evConstant_ = orgOwner_ ? parentReport_->GetFunctions()->GetConstant(orgOwner_->GetName()) : nullptr;
}

void TQRCustomController::Unprepare() {
  for (TQRCustomController* c : printBeforeList_) c->Unprepare();
  for (TQRCustomController* c : printAfterList_) c->Unprepare();
  for (TQRGroup* group : groupList_) group->Evaluator.UnPrepare();
  evConstant_ = nullptr;
}

void TQRCustomController::RunBeforeControllers() {
  for (TQRCustomController* c : printBeforeList_) c->Execute();
}

void TQRCustomController::RunAfterControllers() {
  for (TQRCustomController* c : printAfterList_) c->Execute();
}

void TQRCustomController::PrintEmpty() {
  RunBeforeControllers();
  RunAfterControllers();
}

void TQRCustomController::Execute() {
  if (printIfEmpty_) PrintEmpty();
}

void TQRCustomController::RegisterBands(std::vector<TQRCustomBand*>& list) {
  for (TQRGroup* g : groupList_) RegisterChain(g, list);
  for (TQRCustomController* c : printBeforeList_) c->RegisterBands(list);
  for (TQRCustomController* c : printAfterList_) c->RegisterBands(list);
  for (auto it = groupList_.rbegin(); it != groupList_.rend(); ++it)
    RegisterChain((*it)->GetFooterBand(), list);
}

void TQRCustomController::AddNotifyClient(TQRPrintable* value) {
  if (std::find(notifyList_.begin(), notifyList_.end(), value) == notifyList_.end())
    notifyList_.push_back(value);
}

void TQRCustomController::NotifyClients(Integer Operation) {
  for (TQRPrintable* p : notifyList_) p->ControllerNotify(this, Operation);
}

bool TQRCustomController::IsColHeader(const TQRCustomBand* band) const {
  return std::find(colHeaders_.begin(), colHeaders_.end(), band) != colHeaders_.end();
}

bool TQRCustomController::CheckGroups() {
  for (size_t i = 0; i < groupList_.size(); ++i) {
    TQRGroup* group = groupList_[i];
    group->FReprint = false;
    TQREvResult value = group->Evaluator.Value();
    bool changed = false;
    if (!group->HasResult) {
      group->GroupValue = value;
      group->FReprint = true;
      group->HasResult = true;
    } else if (ValuesDiffer(value, group->GroupValue)) {
      group->GroupValue = value;
      group->FReprint = true;
      changed = true;
    }
    if (!changed) continue;
    for (size_t j = i + 1; j < groupList_.size(); ++j) {
      TQRGroup* inner = groupList_[j];
      inner->GroupValue = inner->Evaluator.Value();
      inner->FReprint = true;
      inner->HasResult = true;
    }
    return true;
  }
  return false;
}

void TQRCustomController::PrintGroupHeaders() {
  for (TQRGroup* group : groupList_) {
    if (!group->FReprint) continue;
    if (!group->GetPrintedInHeader()) {
      parentReport_->PrintBand(group);
      group->InGroup = true;
      group->PrintPageNumber = parentReport_->GetPageNumber();
      group->PrintColumnNumber = parentReport_->GetCurrentColumn();
    }
    group->SetPrintedInHeader(false);
    group->InGroup = true;
  }
}

void TQRCustomController::PrintGroupFooters() {
  for (auto it = groupList_.rbegin(); it != groupList_.rend(); ++it) {
    TQRGroup* group = *it;
    if (!group->FReprint) continue;
    if (group->GetFooterBand()) parentReport_->PrintBand(group->GetFooterBand());
    group->InGroup = false;
    group->SetPrintedInHeader(false);
  }
}

// ---- TQRController ----

void TQRController::SetDataSet(TDataSet* value) {
  if (dataSet_) dataSet_->RemoveFreeNotification(this);
  dataSet_ = value;
  if (value) value->FreeNotification(this);
}

void TQRController::SetBandRef(TQRCustomBand*& field, TQRCustomBand* value) {
  if (field) field->RemoveFreeNotification(this);
  field = value;
  if (value) value->FreeNotification(this);
}

void TQRController::Notification(TComponent* component, TOperation operation) {
  TQRCustomController::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == dataSet_) dataSet_ = nullptr;
  if (component == detail_) detail_ = nullptr;
  if (component == header_) header_ = nullptr;
  if (component == footer_) footer_ = nullptr;
}

bool TQRController::DataSetActive() const { return dataSet_ && dataSet_->GetActive(); }

void TQRController::AddDataSets() {
  if (DataSetActive() && parentReport_ && parentReport_->GetAllDataSets()) {
    TList* list = parentReport_->GetAllDataSets();
    if (list->IndexOf(dataSet_) < 0) list->Add(dataSet_);
  }
}

void TQRController::RegisterBands(std::vector<TQRCustomBand*>& list) {
  RegisterChain(header_, list);
  for (TQRGroup* g : groupList_) RegisterChain(g, list);
  for (TQRCustomController* c : printBeforeList_) c->RegisterBands(list);
  RegisterChain(detail_, list);
  for (TQRCustomController* c : printAfterList_) c->RegisterBands(list);
  for (auto it = groupList_.rbegin(); it != groupList_.rend(); ++it)
    RegisterChain((*it)->GetFooterBand(), list);
  RegisterChain(footer_, list);
}

void TQRController::PrintEmpty() {
  parentReport_->PrintBand(header_);
  RunBeforeControllers();
  parentReport_->PrintBand(detail_);
  RunAfterControllers();
  parentReport_->PrintBand(footer_);
}

bool TQRController::NextRecord(bool& moreData) {
  if (DataSetActive()) {
    dataSet_->Next();
    moreData = !dataSet_->GetEof();
    return true;
  }
  moreData = false;
  if (OnNeedData) OnNeedData(selfCheck_, moreData);
  return false;
}

void TQRController::Execute() {
  TCustomRezavOze* r = parentReport_;
  if (!r) return;
  const bool isMain = r->GetController() == this;
  if (isMain && r->UsePreviewLinks) r->GetPageLinkInfoList()->Initialise();
  colHeaders_.clear();
  if (isMain) {
    if (TQRCustomBand* header = r->GetBands()->ColumnHeaderBand(); header && header->GetEnabled())
      colHeaders_.push_back(header);
    for (TQRGroup* group : groupList_)
      if (group->GetReprintOnNewPage()) colHeaders_.push_back(group);
  }
  for (TQRGroup* group : groupList_) group->HasResult = false;
  if (!DataSetActive() && !OnNeedData) {
    if (printIfEmpty_) PrintEmpty();
    return;
  }
  bool moreData = true;
  Integer count = 1;
  auto* report = dynamic_cast<TRezavOze*>(r);
  const bool reportDataSet = report && DataSetActive() && report->GetDataSet() == dataSet_;
  if (DataSetActive()) {
    dataSet_->First();
    moreData = !dataSet_->GetEof();
    if (reportDataSet) count = report->GetRecordCount();
    if (!moreData && printIfEmpty_) PrintEmpty();
  } else {
    OnNeedData(selfCheck_, moreData);
  }
  detailNumber_ = 0;
  if (detail_) detail_->SetNotifyController(this);
  if (!moreData) return;
  TQRPrinter* printer = r->GetQRPrinter();
  TQRRunGlobals& g = QRRunGlobals();
  if (r->GetCancelled()) return;
  r->PrintBand(header_);
  if (isMain && (r->GetPageNumber() < 2 || g.CompositeContinuation))
    for (TQRCustomBand* band : colHeaders_) {
      const TQRBandType type = band->GetBandType();
      band->SetBandType(rbColumnHeader);
      r->PrintBand(band);
      band->SetBandType(type);
      band->SetPrintedInHeader(true);
    }
  CheckGroups();
  r->UserCancel = false;
  const bool walksDataSet = DataSetActive();
  while (moreData) {
    if (isMain) {
      r->ProcessRunMessages();
      // A handler that ran meanwhile may have closed or freed the dataset under the loop.
      if (walksDataSet && !DataSetActive())
        throw EQRError(u"The report's dataset was closed during generation");
    }
    if (printer->GetCancelled() || r->GetCancelled()) return;
    if (r->PreparingDesignTime && r->GetPageNumber() > 1) return;
    g.CurrentDetailNumber = detailNumber_;
    ++detailNumber_;
    PrintGroupHeaders();
    RunBeforeControllers();
    r->PrintBand(detail_);
    RunAfterControllers();
    const bool withDataSet = NextRecord(moreData);
    if (moreData && !groupList_.empty() && CheckGroups()) {
      // The footers of the closing groups print on their group's last record; a forward-only
      // cursor cannot go back to it, so there they print on the record that opened the next group.
      if (withDataSet && !dataSet_->IsUniDirectional()) {
        dataSet_->Prior();
        PrintGroupFooters();
        dataSet_->Next();
      } else {
        PrintGroupFooters();
      }
    }
    if (reportDataSet && count != 0)
      printer->SetProgress(static_cast<Integer>(Int64(detailNumber_) * 100 / count));
    moreData = moreData && !r->UserCancel;
    if (r->GetPagesInPreview() > 0) moreData = moreData && printer->GetPageNumber() <= r->GetPagesInPreview();
  }
  if (printer->GetCancelled() || r->GetCancelled()) return;
  CloseGroups();
  if (isMain) printer->SetProgress(100);
  if (footer_) {
    if (r->GetPageNumber() == 0) r->NewPage(true);
    if (footer_->GetSize()->GetRaw(0) > r->AvailableSpace()) r->NewColumn();
    r->PrintBand(footer_);
  }
}

void TQRController::CloseGroups() {
  for (TQRGroup* group : groupList_) group->FReprint = true;
  PrintGroupFooters();
}

// ---- TQRGroup ----

void TQRGroup::Published(TPropBuilder<TQRGroup>& p) {
  p.Str(u"Expression", &TQRGroup::GetExpression, &TQRGroup::SetExpression);
  p.Object(u"FooterBand", &TQRGroup::GetFooterBand, &TQRGroup::SetFooterBand);
  p.Object(u"Master", &TQRGroup::GetMaster, &TQRGroup::SetMaster);
  p.Bool(u"ReprintOnNewPage", &TQRGroup::GetReprintOnNewPage, &TQRGroup::SetReprintOnNewPage).Default(false);
}

TQRGroup::TQRGroup(TComponent* owner) : TQRCustomBand(owner) { SetBandType(rbGroupHeader); }

TQRGroup::~TQRGroup() = default;

void TQRGroup::SetFooterBand(TQRCustomBand* value) {
  if (footerBand_) footerBand_->RemoveFreeNotification(this);
  footerBand_ = value;
  if (value) {
    value->FreeNotification(this);
    value->SetBandType(rbGroupFooter);
  }
  if (GetParentReport() && GetParentReport()->GetAvailable()) GetParentReport()->RebuildBandList();
}

void TQRGroup::SetMaster(TComponent* value) {
  if (value && !dynamic_cast<TQRControllerBand*>(value) && !dynamic_cast<TCustomRezavOze*>(value)) return;
  if (master_) master_->RemoveFreeNotification(this);
  master_ = value;
  if (value) value->FreeNotification(this);
  if (GetParentReport() && GetParentReport()->GetAvailable()) GetParentReport()->RebuildBandList();
}

void TQRGroup::SetParent(TWinControl* parent) {
  TQRCustomBand::SetParent(parent);
  if (!master_)
    if (auto* report = dynamic_cast<TCustomRezavOze*>(GetParent())) SetMaster(report);
}

void TQRGroup::Notification(TComponent* component, TOperation operation) {
  TQRCustomBand::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == footerBand_) footerBand_ = nullptr;
  if (component == master_) master_ = nullptr;
}

// ---- TQRControllerBand and TQRSubDetail ----

TQRControllerBand::TQRControllerBand(TComponent* owner)
    : TQRCustomBand(owner), controller_(std::make_unique<TQRController>(this)) {
  controller_->SetDetail(this);
  controller_->SetSelfCheck(this);
}

TQRControllerBand::~TQRControllerBand() { controller_.reset(); }

void TQRControllerBand::SetMaster(TComponent* value) {
  for (TComponent* m = value; m;) {
    if (m == this) return;
    auto* band = dynamic_cast<TQRControllerBand*>(m);
    m = band ? band->GetMaster() : nullptr;
  }
  if (master_) master_->RemoveFreeNotification(this);
  master_ = value;
  controller_->SetMaster(value);
  if (value) value->FreeNotification(this);
  if (GetParentReport() && GetParentReport()->GetAvailable()) GetParentReport()->RebuildBandList();
}

void TQRControllerBand::SetParent(TWinControl* parent) {
  TQRCustomBand::SetParent(parent);
  if (!master_)
    if (auto* report = dynamic_cast<TCustomRezavOze*>(GetParent())) SetMaster(report);
}

void TQRControllerBand::SetParentReport(TCustomRezavOze* value) {
  TQRCustomBand::SetParentReport(value);
  controller_->SetParentReport(value);
}

void TQRControllerBand::Notification(TComponent* component, TOperation operation) {
  TQRCustomBand::Notification(component, operation);
  if (operation == opRemove && component == master_) master_ = nullptr;
}

void TQRSubDetail::Published(TPropBuilder<TQRSubDetail>& p) {
  p.Object(u"DataSet", &TQRSubDetail::GetDataSet, &TQRSubDetail::SetDataSet);
  p.Object(u"HeaderBand", &TQRSubDetail::GetHeaderBand, &TQRSubDetail::SetHeaderBand);
  p.Object(u"FooterBand", &TQRSubDetail::GetFooterBand, &TQRSubDetail::SetFooterBand);
  p.Object(u"Master", &TQRSubDetail::GetMaster, &TQRSubDetail::SetMaster);
  p.Bool(u"PrintBefore", &TQRSubDetail::GetPrintBefore, &TQRSubDetail::SetPrintBefore).Default(false);
  p.Bool(u"PrintIfEmpty", &TQRSubDetail::GetPrintIfEmpty, &TQRSubDetail::SetPrintIfEmpty).Default(true);
}

TQRSubDetail::TQRSubDetail(TComponent* owner) : TQRControllerBand(owner) { SetBandType(rbSubDetail); }

void TQRSubDetail::SetHeaderBand(TQRCustomBand* value) {
  controller_->SetHeader(value);
  if (value) value->SetBandType(rbGroupHeader);
}

void TQRSubDetail::SetFooterBand(TQRCustomBand* value) {
  controller_->SetFooter(value);
  if (value) value->SetBandType(rbGroupFooter);
}
