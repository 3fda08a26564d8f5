// Bands: the horizontal strips of a report that hold printable controls and print as a unit (title,
// page header and footer, detail, summary, group header and footer, child bands), with their forced
// breaks, space checks, stretching, child bands, background and frame.
#pragma once

#include <memory>

#include "platform/classes/Delegate.h"
#include "reportlib/engine/QRBasePanel.h"

class TQRPrintable;
class TQRChildBand;
class TQRCustomController;

enum TQRBandType : Byte {
  rbTitle,
  rbPageHeader,
  rbDetail,
  rbPageFooter,
  rbSummary,
  rbGroupHeader,
  rbGroupFooter,
  rbSubDetail,
  rbColumnHeader,
  rbOverlay,
  rbWild,
  rbChild
};
const TTypeInfo* QRBandTypeType();
// "Title", "Page Header" ...; and the component name bases "TitleBand", "PageHeaderBand" ...
String QRBandTypeName(TQRBandType type);
String QRBandNameBase(TQRBandType type);

enum TCBPrintOrder { cboBeforeParent, cboAfterParent, cboBeforeAndAfter };

class TQRCustomBand;
using TQRBandBeforePrintEvent = TDelegate<void(TQRCustomBand* Sender, bool& PrintBand)>;
using TQRBandAfterPrintEvent = TDelegate<void(TQRCustomBand* Sender, bool BandPrinted)>;
// A record source for a controller without an active dataset.
using TQROnNeedDataEvent = TDelegate<void(TObject* Sender, bool& MoreData)>;

// The name of the band printing on this thread (export filters write it).
const String& CurrentBandName();

class TQRCustomBand : public TQRBasePanel {
  KIV_CLASS(TQRCustomBand, TQRBasePanel)
 public:
  static void Published(TPropBuilder<TQRCustomBand>& p);
  explicit TQRCustomBand(TComponent* owner);
  ~TQRCustomBand() override;

  TQRBandType GetBandType() const { return bandType_; }
  void SetBandType(TQRBandType value);
  TQRBandSize* GetSize() const { return size_.get(); }
  void SetSize(TQRBandSize* value) { size_->Assign(value); }
  bool GetEnabled() const override { return enabled_; }
  void SetEnabled(bool value) override;
  bool GetForceNewPage() const { return forceNewPage_; }
  void SetForceNewPage(bool v) { forceNewPage_ = v; }
  bool GetForceNewColumn() const { return forceNewColumn_; }
  void SetForceNewColumn(bool v) { forceNewColumn_ = v; }
  bool GetAlignToBottom() const { return alignToBottom_; }
  void SetAlignToBottom(bool v) { alignToBottom_ = v; }
  bool GetTransparentBand() const { return transparentBand_; }
  void SetTransparentBand(bool v) { transparentBand_ = v; }
  bool GetPreCaluculateBandHeight() const { return preCalculate_; }
  void SetPreCaluculateBandHeight(bool v) { preCalculate_ = v; }
  bool GetKeepOnOnePage() const { return keepOnOnePage_; }
  void SetKeepOnOnePage(bool v) { keepOnOnePage_ = v; }
  TQRCustomBand* GetLinkBand() const { return linkBand_; }
  // A band whose link chain leads back here is refused.
  void SetLinkBand(TQRCustomBand* value);
  bool GetHasChild() const { return GetChildBand() != nullptr; }
  void SetHasChild(bool value);
  TQRChildBand* GetChildBand() const;
  Extended GetExpanded() const { return expanded_; }
  TCustomRezavOze* GetParentReport() const { return parentReport_; }
  virtual void SetParentReport(TCustomRezavOze* value);
  TQRCustomController* GetNotifyController() const { return notifyController_; }
  void SetNotifyController(TQRCustomController* value) { notifyController_ = value; }
  bool GetPrintedInHeader() const { return printedInHeader_; }
  void SetPrintedInHeader(bool value) { printedInHeader_ = value; }
  const TRect& GetBandFrameRect() const { return bandFrameRect_; }

  // The height in 0.1 mm the band needs with its stretching controls stretched.
  void ExpandedHeight(Extended& NewHeight);
  bool CanExpand(Extended Value);
  bool ExpandBand(Extended Value, Extended& NewExpanded, bool& HasExpanded);
  TQRPrintable* AddPrintable(TClass PrintableClass);
  // Length plus, with links, the link chain's lengths (in 0.1 mm; the chain's screen heights are
  // not added, whatever unit they show).
  Extended NeededSpace(bool WithLinks) const;
  void AdvancePosition();
  void CheckSpace();
  // The band printing (called through the report's PrintBand).
  void Print();

  TQRBandBeforePrintEvent BeforePrint;
  TQRBandAfterPrintEvent AfterPrint;

  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  void SetParent(TWinControl* parent) override;
  void Loaded() override;
  void SetZoom(Integer value) override;

  bool updating_ = false;

 protected:
  void Paint() override;
  void Notification(TComponent* component, TOperation operation) override;
  // Child controls that are enabled printables, in control order.
  template <class F>
  void ForEachPrintable(F&& f) const;

 private:
  friend class TCustomRezavOze;
  void PrintContents();
  void ExportHTMLMarker();
  bool PrintForcedBreaks(bool& stop);
  void PrintChild(bool before);
  void ExportBackground();

  TQRBandType bandType_ = rbTitle;
  std::unique_ptr<TQRBandSize> size_;
  bool enabled_ = true;
  bool forceNewPage_ = false, forceNewColumn_ = false, alignToBottom_ = false;
  bool transparentBand_ = false, preCalculate_ = false, keepOnOnePage_ = false;
  TQRCustomBand* linkBand_ = nullptr;
  Extended expanded_ = 0;
  TCustomRezavOze* parentReport_ = nullptr;
  TRect bandFrameRect_;
  Integer loadedHeight_ = 40;
  TQRCustomController* notifyController_ = nullptr;
  bool printedInHeader_ = false;
  bool suppressBeforePrint_ = false;

 public:
  bool autoActivateChild = false;
};

class TQRBand : public TQRCustomBand {
  KIV_CLASS(TQRBand, TQRCustomBand)
 public:
  explicit TQRBand(TComponent* owner) : TQRCustomBand(owner) {}
};

class TQRChildBand : public TQRCustomBand {
  KIV_CLASS(TQRChildBand, TQRCustomBand)
 public:
  static void Published(TPropBuilder<TQRChildBand>& p);
  explicit TQRChildBand(TComponent* owner);

  TQRCustomBand* GetParentBand() const { return parentBand_; }
  // A band whose parent chain leads back here is refused.
  void SetParentBand(TQRCustomBand* value);
  TCBPrintOrder GetPrintOrder() const { return printOrder_; }
  void SetPrintOrder(TCBPrintOrder value) { printOrder_ = value; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TQRCustomBand* parentBand_ = nullptr;
  TCBPrintOrder printOrder_ = cboAfterParent;
};
