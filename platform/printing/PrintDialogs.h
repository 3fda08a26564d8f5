// The print, printer-setup and page-setup dialogs over Qt's. Each asks the dialog hook of the
// controls layer first (dkPrint, dkPrinterSetup, dkPageSetup), so tests answer them without a window.
#pragma once

#include "platform/classes/Component.h"
#include "platform/classes/Set.h"
#include "platform/rtl/Types.h"

enum TPrintRange { prAllPages, prSelection, prPageNums };
enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using TPrintDialogOptions = TSet<TPrintDialogOption>;

// The page choices a print dialog offers and hands back, for the dialogs built on the system's.
class TPrintPageChoices {
 public:
  Integer GetFromPage() const { return fromPage_; }
  void SetFromPage(Integer v) { fromPage_ = v; }
  Integer GetToPage() const { return toPage_; }
  void SetToPage(Integer v) { toPage_ = v; }
  Integer GetMinPage() const { return minPage_; }
  void SetMinPage(Integer v) { minPage_ = v; }
  Integer GetMaxPage() const { return maxPage_; }
  void SetMaxPage(Integer v) { maxPage_ = v; }
  TPrintDialogOptions GetOptions() const { return options_; }
  void SetOptions(TPrintDialogOptions v) { options_ = v; }
  TPrintRange GetPrintRange() const { return range_; }
  void SetPrintRange(TPrintRange v) { range_ = v; }
  bool GetPrintToFile() const { return toFile_; }
  void SetPrintToFile(bool v) { toFile_ = v; }
  void AssignPageChoices(const TPrintPageChoices& source) { *this = source; }

 protected:
  Integer fromPage_ = 0, toPage_ = 0, minPage_ = 0, maxPage_ = 0;
  bool toFile_ = false;
  TPrintDialogOptions options_;
  TPrintRange range_ = prAllPages;
};

class TPrintDialog : public TComponent, public TPrintPageChoices {
  KIV_CLASS(TPrintDialog, TComponent)
 public:
  explicit TPrintDialog(TComponent* owner) : TComponent(owner) {}
  // True when the user (or the hook) confirmed; the choices go to the process-wide printer.
  bool Execute();

  Integer GetCopies() const { return copies_; }
  void SetCopies(Integer v) { copies_ = v; }
  bool GetCollate() const { return collate_; }
  void SetCollate(bool v) { collate_ = v; }

 private:
  Integer copies_ = 0;
  bool collate_ = false;
};

class TPrinterSetupDialog : public TComponent {
  KIV_CLASS(TPrinterSetupDialog, TComponent)
 public:
  explicit TPrinterSetupDialog(TComponent* owner) : TComponent(owner) {}
  bool Execute();
};

// Margins and paper in hundredths of a millimetre.
class TPageSetupDialog : public TComponent {
  KIV_CLASS(TPageSetupDialog, TComponent)
 public:
  explicit TPageSetupDialog(TComponent* owner) : TComponent(owner) {}
  bool Execute();

  Integer GetMarginLeft() const { return left_; }
  void SetMarginLeft(Integer v) { left_ = v; }
  Integer GetMarginTop() const { return top_; }
  void SetMarginTop(Integer v) { top_ = v; }
  Integer GetMarginRight() const { return right_; }
  void SetMarginRight(Integer v) { right_ = v; }
  Integer GetMarginBottom() const { return bottom_; }
  void SetMarginBottom(Integer v) { bottom_ = v; }
  Integer GetPageWidth() const { return pageWidth_; }
  Integer GetPageHeight() const { return pageHeight_; }

 private:
  Integer left_ = 2500, top_ = 2500, right_ = 2500, bottom_ = 2500;
  Integer pageWidth_ = 21000, pageHeight_ = 29700;
};
