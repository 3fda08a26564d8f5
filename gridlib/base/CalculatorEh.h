// The four-function calculator of the grid library: a one-line display, 22 buttons and keyboard input
// over extended floats, and the drop-down form that numeric cell editors open with it.
#pragma once

#include <vector>

#include "gridlib/base/DropDownFormEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"

enum TCalcStateEh { csFirstEh, csValidEh, csErrorEh };

class TCalculatorEh : public TCustomControlEh {
  KIV_CLASS(TCalculatorEh, TCustomControlEh)
 public:
  explicit TCalculatorEh(TComponent* owner);
  ~TCalculatorEh() override;

  String GetDisplayText() const;
  void SetDisplayText(const String& value);
  Extended GetDisplayValue() const;
  void SetDisplayValue(Extended value);
  TCalcStateEh GetStatus() const { return status_; }
  bool GetFlat() const { return flat_; }
  void SetFlat(bool value) { flat_ = value; }
  Integer GetTextHeight() const { return textHeight_; }
  void SetTextHeight(Integer value);
  TBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  // The caption of the "=" button: "=" while an operation waits, else "Ok".
  String GetEqualCaption() const;
  TSpeedButtonEh* GetButton(Char key) const;
  TPanel* GetDisplayPanel() const { return panel1_; }

  void DoCopy();
  void Paste();
  virtual void ProcessKey(Char key);
  virtual void DefaultProcessKey(Char key);
  void SpeedButtonClick(TObject* sender);

  TKeyPressEvent OnProcessKey;

 protected:
  void CreateParams(TCreateParams& params) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void WndProc(TMessage& message) override;

 private:
  void BuildFace();
  void StartNumber();
  void Clear();
  void SetError();
  void UpdateEqualButton();
  void CompleteOperation(Char key);

  TPanel* panel1_ = nullptr;
  TLabel* textBox_ = nullptr;
  std::vector<TSpeedButtonEh*> buttons_;
  TSpeedButtonEh* spEqual_ = nullptr;
  TBorderStyle borderStyle_ = bsNone;
  bool flat_ = false;
  Extended operand_ = 0;
  Char operator_ = u'=';
  TCalcStateEh status_ = csFirstEh;
  Integer textHeight_ = 13;
};

class TPopupCalculatorFormEh : public TCustomDropDownFormEh, public IPopupCalculatorEh {
  KIV_CLASS(TPopupCalculatorFormEh, TCustomDropDownFormEh)
 public:
  explicit TPopupCalculatorFormEh(TComponent* owner);
  ~TPopupCalculatorFormEh() override;

  TCalculatorEh* GetCalculator() const { return calculator_; }
  bool GetEnterCanClose() override;
  bool GetFlat() override { return calculator_->GetFlat(); }
  Variant GetValue() override;
  bool WantFocus() override { return true; }
  void SetFlat(bool value) override { calculator_->SetFlat(value); }
  void SetValue(const Variant& value) override;
  void SetTextHeight(const Variant& value) override;
  void Show(TPoint pos, TCloseWinCallbackProcEh closeCallback) override;
  void Hide() override { TCustomDropDownFormEh::Hide(); }
  void UpdateSize() override;

  TCloseWinCallbackProcEh OnCloseCallback;

 protected:
  void DrawBorder(const TRect& rect) override;

 private:
  void CalculatorProcessKey(TObject* sender, Char& key);

  TCalculatorEh* calculator_ = nullptr;
  Integer curFontHeight_ = 0;
};

// Registers the popup calculator and names it the library manager's popup calculator; idempotent.
void InitializeCalculatorEh();
