// The calculator: its face of a display and buttons, the key machine that evaluates left to right,
// and the popup form that numeric editors drop down with it.
#include "gridlib/base/CalculatorEh.h"

#include <cmath>

#include "platform/controls/Clipbrd.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

namespace {

struct ButtonFace {
  const char16_t* caption;
  Integer tag;
  Char key;
  Integer left, top, width, height;
};

// The face: caption, tag (index into the key table), the key it sends, place.
constexpr ButtonFace Faces[] = {
    {u"7", 1, u'7', 6, 29, 34, 28},      {u"8", 2, u'8', 43, 29, 34, 28},
    {u"9", 3, u'9', 81, 29, 34, 28},     {u"/", 4, u'/', 118, 29, 34, 28},
    {u"sqrt", 5, u'S', 156, 29, 34, 28}, {u"C", 6, u'C', 194, 29, 34, 59},
    {u"4", 7, u'4', 6, 60, 34, 28},      {u"5", 8, u'5', 43, 60, 34, 28},
    {u"6", 9, u'6', 81, 60, 34, 28},     {u"*", 10, u'*', 118, 60, 34, 28},
    {u"%", 11, u'%', 156, 60, 34, 28},   {u"1", 13, u'1', 6, 91, 34, 28},
    {u"2", 14, u'2', 43, 91, 34, 28},    {u"3", 15, u'3', 81, 91, 34, 28},
    {u"-", 16, u'-', 118, 91, 34, 28},   {u"1/x", 17, u'R', 156, 91, 34, 28},
    {u"<-", 18, 8, 194, 91, 34, 28},     {u"0", 19, u'0', 6, 122, 34, 28},
    {u"+/-", 20, u'I', 43, 122, 34, 28}, {u".", 21, u'.', 81, 122, 34, 28},
    {u"+", 22, u'+', 118, 122, 34, 28},  {u"Ok", 23, u'=', 156, 122, 72, 28},
};

bool IsRedKey(Char key) {
  return key == u'+' || key == u'-' || key == u'*' || key == u'/' || key == u'=' || key == 8 || key == u'C';
}

}  // namespace

TCalculatorEh::TCalculatorEh(TComponent* owner) : TCustomControlEh(owner) {
  SetBounds(0, 0, 233, 154);
  GetFont()->SetName(u"Tahoma");
  GetFont()->SetHeight(-11);
  BuildFace();
}

TCalculatorEh::~TCalculatorEh() = default;

void TCalculatorEh::BuildFace() {
  panel1_ = new TPanel(this);
  panel1_->SetParent(this);
  panel1_->SetBounds(6, 4, 222, 21);
  panel1_->SetBevelOuter(bvNone);
  panel1_->SetBorderWidth(2);
  panel1_->SetColor(clWindow);
  panel1_->SetParentBackground(false);
  textBox_ = new TLabel(this);
  textBox_->SetParent(panel1_);
  textBox_->SetAutoSize(false);
  textBox_->SetAlign(alClient);
  textBox_->SetAlignment(taRightJustify);
  textBox_->SetLayout(tlCenter);
  textBox_->SetCaption(u"0");
  const bool themed = ThemesEnabledEh();
  for (const ButtonFace& f : Faces) {
    auto* b = new TSpeedButtonEh(this);
    b->SetParent(this);
    b->SetBounds(f.left, f.top, f.width, f.height);
    b->SetCaption(f.caption);
    b->SetTag(f.tag);
    b->SetStyle(ebsGlyphEh);
    b->SetActive(!themed);
    b->SetAdvancedPaint(false);
    b->GetFont()->Assign(GetFont());
    b->GetFont()->SetColor(IsRedKey(f.key) ? clRed : clBlue);
    b->OnClick = TNotifyEvent(this, &TCalculatorEh::SpeedButtonClick);
    buttons_.push_back(b);
    if (f.tag == 23) spEqual_ = b;
  }
}

TSpeedButtonEh* TCalculatorEh::GetButton(Char key) const {
  for (size_t i = 0; i < std::size(Faces); ++i)
    if (Faces[i].key == key) return buttons_[i];
  return nullptr;
}

String TCalculatorEh::GetDisplayText() const { return textBox_->GetCaption(); }
void TCalculatorEh::SetDisplayText(const String& value) { textBox_->SetCaption(value); }

Extended TCalculatorEh::GetDisplayValue() const {
  if (status_ == csErrorEh) return 0;
  return StrToFloat(Trim(GetDisplayText()));
}

void TCalculatorEh::SetDisplayValue(Extended value) { SetDisplayText(FloatToStrF(value, ffGeneral, 15, 0)); }

String TCalculatorEh::GetEqualCaption() const { return spEqual_->GetCaption(); }

void TCalculatorEh::SetTextHeight(Integer value) {
  if (value <= 0 || value == textHeight_) return;
  ChangeScale(value, textHeight_);
  textHeight_ = value;
}

void TCalculatorEh::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TCalculatorEh::CreateParams(TCreateParams& params) {
  TCustomControlEh::CreateParams(params);
  if (borderStyle_ == bsSingle) params.Style |= WS_BORDER;
}

void TCalculatorEh::DoCopy() { Clipboard()->SetAsText(GetDisplayText()); }

void TCalculatorEh::Paste() {
  if (!Clipboard()->HasFormat(CF_TEXT)) return;
  // An unconvertible text raises here, before the display changes.
  SetDisplayValue(StrToFloat(Trim(Clipboard()->GetAsText())));
}

void TCalculatorEh::StartNumber() {
  if (status_ != csFirstEh) return;
  status_ = csValidEh;
  SetDisplayText(u"0");
}

void TCalculatorEh::Clear() {
  status_ = csFirstEh;
  SetDisplayValue(0);
  operator_ = u'=';
  operand_ = 0;
  UpdateEqualButton();
}

void TCalculatorEh::SetError() {
  status_ = csErrorEh;
  SetDisplayText(u"Error");
}

void TCalculatorEh::UpdateEqualButton() {
  const bool pending = operand_ != 0 && status_ == csValidEh &&
                       (operator_ == u'*' || operator_ == u'+' || operator_ == u'-' || operator_ == u'/');
  spEqual_->SetCaption(pending ? u"=" : u"Ok");
}

void TCalculatorEh::CompleteOperation(Char key) {
  if (status_ == csValidEh) {
    status_ = csFirstEh;
    Extended a = GetDisplayValue();
    if (key == u'%') {
      if (operator_ == u'*' || operator_ == u'/') a = a / 100;
      if (operator_ == u'+' || operator_ == u'-') a = a * operand_ / 100;
    }
    switch (operator_) {
      case u'*':
        SetDisplayValue(operand_ * a);
        break;
      case u'+':
        SetDisplayValue(a + operand_);
        break;
      case u'-':
        SetDisplayValue(operand_ - a);
        break;
      case u'/':
        if (a == 0)
          SetError();
        else
          SetDisplayValue(operand_ / a);
        break;
      default:
        break;
    }
  }
  operator_ = key;
  operand_ = GetDisplayValue();
}

void TCalculatorEh::ProcessKey(Char key) {
  key = AnsiUpperChar(key);
  if (OnProcessKey) OnProcessKey(this, key);
  if (key != 0) DefaultProcessKey(key);
}

void TCalculatorEh::DefaultProcessKey(Char key) {
  if (status_ == csErrorEh && key != u'C') key = 0;
  const Char separator = FormatSettings.DecimalSeparator;
  if (key == separator || key == u',' || key == u'.') {
    StartNumber();
    if (GetDisplayText().find(separator) == String::npos) SetDisplayText(GetDisplayText() + separator);
    return;
  }
  switch (key) {
    case 3:
      DoCopy();
      break;
    case 22:
      Paste();
      break;
    case 8: {
      StartNumber();
      const String text = GetDisplayText();
      if (text.size() == 1 || (text.size() == 2 && text[0] == u'-'))
        SetDisplayText(u"0");
      else
        SetDisplayText(text.substr(0, text.size() - 1));
      break;
    }
    case 13:
    case u'%':
    case u'*':
    case u'+':
    case u'-':
    case u'/':
    case u'=':
      CompleteOperation(key);
      break;
    case 27:
    case u'C':
      Clear();
      break;
    case u'I':
      SetDisplayValue(-GetDisplayValue());
      break;
    case u'R':
      if (status_ == csErrorEh) break;
      status_ = csFirstEh;
      if (GetDisplayValue() != 0)
        SetDisplayValue(1 / GetDisplayValue());
      else
        SetError();
      break;
    case u'S':
      if (status_ == csErrorEh) break;
      status_ = csFirstEh;
      if (GetDisplayValue() < 0)
        SetError();
      else
        SetDisplayValue(std::sqrt(GetDisplayValue()));
      break;
    default:
      if (key >= u'0' && key <= u'9') {
        StartNumber();
        String text = GetDisplayText();
        if (text == u"0") text.clear();
        if (text.find(u'E') != String::npos) break;
        const size_t limit = text.find(u'-') != String::npos ? 16 : 15;
        if (text.size() < limit) text += key;
        SetDisplayText(text);
      }
      break;
  }
  UpdateEqualButton();
}

void TCalculatorEh::SpeedButtonClick(TObject* sender) {
  const Integer tag = static_cast<TComponent*>(sender)->GetTag();
  for (const ButtonFace& f : Faces)
    if (f.tag == tag) ProcessKey(f.key);
}

void TCalculatorEh::KeyDown(Word& key, TShiftState shift) {
  TCustomControlEh::KeyDown(key, shift);
  if (key == VK_DELETE) {
    ProcessKey(u'C');
    key = 0;
  }
}

void TCalculatorEh::KeyPress(Char& key) {
  TCustomControlEh::KeyPress(key);
  if (key != 0) ProcessKey(key);
}

bool TCalculatorEh::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  if (!TCustomControlEh::DoMouseWheelDown(shift, mousePos) && status_ != csErrorEh)
    SetDisplayValue(GetDisplayValue() - 1);
  return true;
}

bool TCalculatorEh::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  if (!TCustomControlEh::DoMouseWheelUp(shift, mousePos) && status_ != csErrorEh)
    SetDisplayValue(GetDisplayValue() + 1);
  return true;
}

void TCalculatorEh::WndProc(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    return;
  }
  TCustomControlEh::WndProc(message);
  if (message.Msg == CM_BIDIMODECHANGED)
    textBox_->SetAlignment(UseRightToLeftAlignment() ? taLeftJustify : taRightJustify);
}

// ---- TPopupCalculatorFormEh ----

TPopupCalculatorFormEh::TPopupCalculatorFormEh(TComponent* owner) : TCustomDropDownFormEh(owner, 0) {
  SetFormElements(TDropDownFormElementsEh());
  SetDropDownBorderWidth(2);
  SetKeyPreview(true);
  SetFormStyle(fsStayOnTop);
  calculator_ = new TCalculatorEh(this);
  calculator_->SetParent(this);
  calculator_->SetLeft(0);
  calculator_->SetTop(0);
  calculator_->SetDisplayValue(0);
  calculator_->OnProcessKey = TKeyPressEvent(this, &TPopupCalculatorFormEh::CalculatorProcessKey);
  SetActiveControl(calculator_);
  curFontHeight_ = GetFont()->GetHeight();
}

TPopupCalculatorFormEh::~TPopupCalculatorFormEh() = default;

bool TPopupCalculatorFormEh::GetEnterCanClose() { return calculator_->GetEqualCaption() == u"Ok"; }

void TPopupCalculatorFormEh::CalculatorProcessKey(TObject*, Char& key) {
  if ((key == 13 || key == u'=') && GetEnterCanClose()) {
    // An error shows no number: Enter then closes without handing anything over.
    SetModalResult(calculator_->GetStatus() == csErrorEh ? mrCancel : mrOk);
    Close();
  } else if (key == 27) {
    SetModalResult(mrCancel);
    Close();
  }
}

Variant TPopupCalculatorFormEh::GetValue() {
  if (calculator_->GetStatus() == csErrorEh) return Variant::FromError(-1);
  return Variant(static_cast<double>(calculator_->GetDisplayValue()));
}

void TPopupCalculatorFormEh::SetValue(const Variant& value) {
  calculator_->ProcessKey(u'C');
  calculator_->SetDisplayValue(value.AsDouble());
}

void TPopupCalculatorFormEh::SetTextHeight(const Variant& value) {
  const Integer height = value.AsInteger();
  if (height == calculator_->GetTextHeight()) return;
  calculator_->SetTextHeight(height);
  UpdateSize();
}

void TPopupCalculatorFormEh::UpdateSize() {
  TCustomDropDownFormEh::UpdateSize();
  calculator_->HandleNeeded();
  const Integer border = GetDropDownBorderWidth();
  SetClientWidth(calculator_->GetWidth() + 2 * border);
  SetClientHeight(calculator_->GetHeight() + 2 * border);
  calculator_->SetLeft(border);
  calculator_->SetTop(border);
}

void TPopupCalculatorFormEh::DrawBorder(const TRect& rect) {
  TCanvas* c = GetCanvas();
  c->GetBrush()->SetColor(StyleServices()->GetSystemColor(cl3DDkShadow));
  c->FrameRect(rect);
  TRect inner = rect;
  InflateRect(&inner, -1, -1);
  DrawEdge(c->GetHandle(), &inner, BDR_RAISEDINNER, BF_RECT);
}

void TPopupCalculatorFormEh::Show(TPoint pos, TCloseWinCallbackProcEh closeCallback) {
  OnCloseCallback = std::move(closeCallback);
  DropDownAtPoint(pos, [this](bool accept) {
    if (OnCloseCallback) OnCloseCallback(this, accept);
  });
}

void InitializeCalculatorEh() {
  RegisterClass(TPopupCalculatorFormEh::StaticClass());
  GetGridLibManager()->SetPopupCalculatorClass(TPopupCalculatorFormEh::StaticClass());
}
