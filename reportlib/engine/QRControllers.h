// Controllers, groups and sub-details: the record loop over a dataset that prints the detail band
// once per record between a header and a footer, opens and closes groups when their expression
// changes, and runs nested controllers before or after each record.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "reportlib/engine/QRBands.h"
#include "reportlib/engine/QREvaluator.h"

class TDataSet;
class TQRPrintable;
class TQRGroup;
class TQRControllerBand;

class TQRCustomController : public TComponent {
  KIV_CLASS(TQRCustomController, TComponent)
 public:
  explicit TQRCustomController(TComponent* owner);
  ~TQRCustomController() override;

  TComponent* GetMaster() const { return master_; }
  void SetMaster(TComponent* value);
  TComponent* GetSelfCheck() const { return selfCheck_; }
  void SetSelfCheck(TComponent* value) { selfCheck_ = value; }
  TCustomRezavOze* GetParentReport() const { return parentReport_; }
  void SetParentReport(TCustomRezavOze* value) { parentReport_ = value; }
  bool GetPrintIfEmpty() const { return printIfEmpty_; }
  void SetPrintIfEmpty(bool value) { printIfEmpty_ = value; }
  bool GetPrintBefore() const { return printBefore_; }
  virtual void SetPrintBefore(bool value) { printBefore_ = value; }
  const std::vector<TQRGroup*>& GetGroupList() const { return groupList_; }
  const std::vector<TQRPrintable*>& GetNotifyList() const { return notifyList_; }
  const std::vector<TQRCustomBand*>& GetColHeaders() const { return colHeaders_; }

  virtual void GetValue(TQREvResult& Value);
  virtual void Collect();
  virtual void Execute();
  virtual void Prepare();
  virtual void Unprepare();
  virtual void RunAfterControllers();
  virtual void RunBeforeControllers();
  virtual void PrintEmpty();
  // Appends the bands in print order, each with its child chain, none twice.
  virtual void RegisterBands(std::vector<TQRCustomBand*>& list);
  virtual void AddDataSets();
  void UpdateConstant();

  void AddNotifyClient(TQRPrintable* value);
  // Tells every notification client of a printed detail.
  void NotifyClients(Integer Operation);
  bool IsColHeader(const TQRCustomBand* band) const;

  // Groups: whether any value changed (later groups restart too); headers and footers of the groups due.
  bool CheckGroups();
  void PrintGroupHeaders();
  void PrintGroupFooters();

 protected:
  void Notification(TComponent* component, TOperation operation) override;

  TComponent* orgOwner_;
  TComponent* selfCheck_ = nullptr;
  TComponent* master_ = nullptr;
  TCustomRezavOze* parentReport_ = nullptr;
  std::vector<TQRCustomController*> printBeforeList_, printAfterList_;
  std::vector<TQRGroup*> groupList_;
  std::vector<TQRPrintable*> notifyList_;
  std::vector<TQRCustomBand*> colHeaders_;
  bool printIfEmpty_ = true;
  bool printBefore_ = false;
  TQREvElement* evConstant_ = nullptr;
};

class TQRController : public TQRCustomController {
  KIV_CLASS(TQRController, TQRCustomController)
 public:
  explicit TQRController(TComponent* owner) : TQRCustomController(owner) {}

  TDataSet* GetDataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* value);
  TQRCustomBand* GetDetail() const { return detail_; }
  void SetDetail(TQRCustomBand* value) { SetBandRef(detail_, value); }
  TQRCustomBand* GetHeader() const { return header_; }
  void SetHeader(TQRCustomBand* value) { SetBandRef(header_, value); }
  TQRCustomBand* GetFooter() const { return footer_; }
  void SetFooter(TQRCustomBand* value) { SetBandRef(footer_, value); }
  Integer GetDetailNumber() const { return detailNumber_; }

  void Execute() override;
  void PrintEmpty() override;
  void RegisterBands(std::vector<TQRCustomBand*>& list) override;
  void AddDataSets() override;

  TQROnNeedDataEvent OnNeedData;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void SetBandRef(TQRCustomBand*& field, TQRCustomBand* value);
  bool DataSetActive() const;
  bool NextRecord(bool& moreData);
  void CloseGroups();

  TDataSet* dataSet_ = nullptr;
  TQRCustomBand *detail_ = nullptr, *header_ = nullptr, *footer_ = nullptr;
  Integer detailNumber_ = 0;
};

class TQRGroup : public TQRCustomBand {
  KIV_CLASS(TQRGroup, TQRCustomBand)
 public:
  static void Published(TPropBuilder<TQRGroup>& p);
  explicit TQRGroup(TComponent* owner);
  ~TQRGroup() override;

  const String& GetExpression() const { return expression_; }
  void SetExpression(const String& value) { expression_ = value; }
  TQRCustomBand* GetFooterBand() const { return footerBand_; }
  void SetFooterBand(TQRCustomBand* value);
  TComponent* GetMaster() const { return master_; }
  void SetMaster(TComponent* value);
  bool GetReprintOnNewPage() const { return reprintOnNewPage_; }
  void SetReprintOnNewPage(bool value) { reprintOnNewPage_ = value; }
  void SetParent(TWinControl* parent) override;

  // Run state, kept by the controller.
  TQREvaluator Evaluator;
  bool FReprint = false;
  TQREvResult GroupValue;
  bool HasResult = false;
  bool InGroup = false;
  Integer PrintPageNumber = 0, PrintColumnNumber = 0;
  Integer GroupIndex = 0;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  String expression_;
  TQRCustomBand* footerBand_ = nullptr;
  TComponent* master_ = nullptr;
  bool reprintOnNewPage_ = false;
};

class TQRControllerBand : public TQRCustomBand {
  KIV_CLASS(TQRControllerBand, TQRCustomBand)
 public:
  explicit TQRControllerBand(TComponent* owner);
  ~TQRControllerBand() override;

  TQRController* GetController() const { return controller_.get(); }
  TComponent* GetMaster() const { return master_; }
  // A master whose chain through controller bands leads back here is refused.
  virtual void SetMaster(TComponent* value);
  bool GetPrintBefore() const { return controller_->GetPrintBefore(); }
  void SetPrintBefore(bool value) { controller_->SetPrintBefore(value); }
  bool GetPrintIfEmpty() const { return controller_->GetPrintIfEmpty(); }
  void SetPrintIfEmpty(bool value) { controller_->SetPrintIfEmpty(value); }
  void SetParent(TWinControl* parent) override;
  void SetParentReport(TCustomRezavOze* value) override;
  void AddNotifyClient(TQRPrintable* value) { controller_->AddNotifyClient(value); }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

  std::unique_ptr<TQRController> controller_;
  TComponent* master_ = nullptr;
};

class TQRSubDetail : public TQRControllerBand {
  KIV_CLASS(TQRSubDetail, TQRControllerBand)
 public:
  static void Published(TPropBuilder<TQRSubDetail>& p);
  explicit TQRSubDetail(TComponent* owner);

  TDataSet* GetDataSet() const { return controller_->GetDataSet(); }
  void SetDataSet(TDataSet* value) { controller_->SetDataSet(value); }
  TQRCustomBand* GetHeaderBand() const { return controller_->GetHeader(); }
  void SetHeaderBand(TQRCustomBand* value);
  TQRCustomBand* GetFooterBand() const { return controller_->GetFooter(); }
  void SetFooterBand(TQRCustomBand* value);
  TQROnNeedDataEvent& OnNeedData() { return controller_->OnNeedData; }
};
