// Print dialog: the system's print dialog that also hands back what the user chose in the printer's
// own settings (bin, paper, orientation, quality, colour, duplex, collation).
#pragma once

#include "platform/classes/Component.h"
#include "platform/classes/Delegate.h"
#include "platform/printing/PrintDialogs.h"
#include "platform/printing/Printers.h"

// A common dialog run modally over the application; OnShow and OnClose bracket it.
class TQRCommonDialog : public TComponent {
  KIV_CLASS(TQRCommonDialog, TComponent)
 public:
  explicit TQRCommonDialog(TComponent* owner) : TComponent(owner) {}
  bool GetCtl3D() const { return ctl3D_; }
  void SetCtl3D(bool value) { ctl3D_ = value; }
  Integer GetHelpContext() const { return helpContext_; }
  void SetHelpContext(Integer value) { helpContext_ = value; }
  TNotifyEvent OnClose;
  TNotifyEvent OnShow;

 private:
  bool ctl3D_ = true;
  Integer helpContext_ = 0;
};

class TQRBasePrintDialog : public TQRCommonDialog {
  KIV_CLASS(TQRBasePrintDialog, TQRCommonDialog)
 public:
  explicit TQRBasePrintDialog(TComponent* owner) : TQRCommonDialog(owner), printer_(Printer()) {}
  TPrinter* GetPrinter() const { return printer_; }
  void SetPrinter(TPrinter* value) { printer_ = value; }

 private:
  TPrinter* printer_;
};

class TQRPrintDialog : public TQRBasePrintDialog, public TPrintPageChoices {
  KIV_CLASS(TQRPrintDialog, TQRBasePrintDialog)
 public:
  explicit TQRPrintDialog(TComponent* owner) : TQRBasePrintDialog(owner) {}
  // True when the user confirmed; the choices then go to the printer and into the properties.
  bool Execute();

  // In: non-zero asks for collation. Out: the printer's collation code.
  Integer GetCollate() const { return collate_; }
  void SetCollate(Integer v) { collate_ = v; }
  Integer GetCopies() const { return copies_; }
  // Also sets the printer's number of copies.
  void SetCopies(Integer v);
  Integer GetPrintQuality() const { return printQuality_; }
  Integer GetColorOption() const { return colorOption_; }
  Integer GetOutputBin() const { return outputBin_; }
  Integer GetPaperSize() const { return paperSize_; }
  bool GetDuplex() const { return duplex_; }
  Integer GetDuplexCode() const { return duplexCode_; }
  Extended GetPaperwidth() const { return paperWidth_; }
  Extended GetPaperlength() const { return paperLength_; }
  SmallInt GetOrientation() const { return orientation_; }

 private:
  Integer collate_ = 0;
  Integer copies_ = 0;
  Integer printQuality_ = 0, colorOption_ = 0, outputBin_ = 0, paperSize_ = 0;
  bool duplex_ = false;
  Integer duplexCode_ = 0;
  Extended paperWidth_ = 0, paperLength_ = 0;
  SmallInt orientation_ = 0;
};
