// Standard controls: the label drawn on its parent's canvas, the push button that answers the form's
// Enter and Esc, and the check box, radio button, group box, combo box, list box and scroll bar over
// their Qt widgets with the class library's event rules.
#include "platform/controls/StdCtrls.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>

#include "platform/classes/StringList.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/controls/private/StdCtrlsShared.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/private/DeviceContext.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

// Form resources name these classes while no code may refer to them. This unit is always linked
// (the forms unit registers TLabel and TButton from it), and naming every class here pulls the
// other units of the standard controls into the program with it.

namespace {
const TTypeInfo* LayoutType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TTextLayout", {u"tlTop", u"tlCenter", u"tlBottom"});
  return &t;
}
}  // namespace

// ---- TCustomLabel ----

void TCustomLabel::Published(TPropBuilder<TCustomLabel>& p) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &TCustomLabel::GetAlignment, &TCustomLabel::SetAlignment)
      .Default(taLeftJustify);
  p.Enum(u"Layout", LayoutType(), &TCustomLabel::GetLayout, &TCustomLabel::SetLayout).Default(tlTop);
  p.Bool(u"WordWrap", &TCustomLabel::GetWordWrap, &TCustomLabel::SetWordWrap).Default(false);
  p.Bool(u"Transparent", &TCustomLabel::GetTransparent, &TCustomLabel::SetTransparent).Default(false);
  p.Bool(u"ShowAccelChar", &TCustomLabel::GetShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true);
  p.Object(u"FocusControl", &TCustomLabel::GetFocusControl, &TCustomLabel::SetFocusControl);
  p.Bool(u"AutoSize", &TCustomLabel::GetAutoSize, &TCustomLabel::SetAutoSize).Default(true);
  p.Bool(u"ParentColor", &TCustomLabel::GetParentColor, &TCustomLabel::SetParentColor).Default(true);
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  controlStyle_ << csOpaque << csReplicatable;
  width_ = 65;
  height_ = 17;
  autoSize_ = true;
  parentColor_ = true;
}

void TCustomLabel::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value) {
  if (layout_ == value) return;
  layout_ = value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (wordWrap_ == value) return;
  wordWrap_ = value;
  AdjustSize();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  if (value)
    controlStyle_ >> csOpaque;
  else
    controlStyle_ << csOpaque;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (showAccelChar_ == value) return;
  showAccelChar_ = value;
  AdjustSize();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
  focusControl_ = value;
  if (value) FreeNotification(value);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::SetAutoSize(bool value) {
  TGraphicControl::SetAutoSize(value);
  Invalidate();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  if (autoSize_) AdjustSize();
}

void TCustomLabel::DoDrawText(TRect& rect, Cardinal flags) {
  String text = GetText();
  if ((flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == u"&"))) text.push_back(u' ');
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  TCanvas* canvas = GetCanvas();
  canvas->GetFont()->Assign(font_.get());
  HDC dc = canvas->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  if (!IsEnabled()) {
    canvas->GetFont()->SetColor(clGrayText);
    dc = canvas->GetHandle();
  }
  SetTextColor(dc, ColorToRGB(canvas->GetFont()->GetColor()));
  DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &rect, flags);
}

void TCustomLabel::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  if (!transparent_) {
    canvas->GetBrush()->SetColor(color_);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(r);
  }
  Cardinal flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u);
  switch (alignment_) {
    case taRightJustify:
      flags |= DT_RIGHT;
      break;
    case taCenter:
      flags |= DT_CENTER;
      break;
    default:
      flags |= DT_LEFT;
      break;
  }
  if (layout_ != tlTop) {
    TRect calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    Integer h = calc.Height();
    if (layout_ == tlBottom)
      r.Top = r.Bottom - h;
    else
      r.Top = (r.Height() - h) / 2;
    r.Bottom = r.Top + h;
  }
  DoDrawText(r, flags);
}

bool TCustomLabel::CanAutoSize(Integer& newWidth, Integer& newHeight) {
  // A form resource sets AutoSize after the size; Loaded sizes the label once everything is read.
  if (GetComponentState().Contains(csLoading)) return false;
  String text = GetText();
  if (text.empty()) text.push_back(u' ');
  HDC dc = GetDC(nullptr);
  HFONT old = static_cast<HFONT>(SelectObject(dc, font_->GetHandle()));
  TRect r(0, 0, wordWrap_ ? width_ : 0, 0);
  Cardinal flags =
      DT_CALCRECT | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u) | (showAccelChar_ ? 0u : DT_NOPREFIX);
  DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &r, flags);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  newHeight = r.Height();
  if (!wordWrap_) newWidth = r.Width();
  return true;
}

void TCustomLabel::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      if (autoSize_) AdjustSize();
      Invalidate();
      if (message.Msg == CM_FONTCHANGED) TGraphicControl::Dispatch(message);
      return;
    case CM_DIALOGCHAR: {
      auto& key = reinterpret_cast<TCMDialogChar&>(message);
      if (focusControl_ && IsEnabled() && showAccelChar_ && IsAccel(key.CharCode, GetCaption()) &&
          focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        key.Result = 1;
      }
      return;
    }
    default:
      TGraphicControl::Dispatch(message);
  }
}

// ---- TButtonControl and TButton ----

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {}

void TButton::Published(TPropBuilder<TButton>& p) {
  p.Bool(u"Default", &TButton::GetDefault, &TButton::SetDefault).Default(false);
  p.Bool(u"Cancel", &TButton::GetCancel, &TButton::SetCancel).Default(false);
  p.Int(u"ModalResult", &TButton::GetModalResult, &TButton::SetModalResult).Default(0);
  p.Bool(u"TabStop", &TButton::GetTabStop, &TButton::SetTabStop).Default(true);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  controlStyle_ = {csSetCaption, csDoubleClicks};
  width_ = 75;
  height_ = 25;
  tabStop_ = true;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

QWidget* TButton::CreateQtWidget(const TCreateParams& params) {
  QWidget* parentWidget = nullptr;
  if (TWinControlHost* h = FindHost(params.WndParent)) parentWidget = h->Widget();
  auto* button = new QPushButton(parentWidget);
  QObject::connect(button, &QPushButton::clicked, button, [this] { GuardedCall(this, [this] { Click(); }); });
  return button;
}

void TButton::InitQtWidget(QWidget* widget) {
  auto* button = static_cast<QPushButton*>(widget);
  button->setText(ToQString(text_));
  button->setAutoDefault(false);
  button->setDefault(default_);
  button->setFont(ToQFont(font_.get()));
  button->setFocusPolicy(Qt::StrongFocus);
}

void TButton::SetTextValue(const String& value) {
  text_ = value;
  if (auto* button = static_cast<QPushButton*>(GetWidget())) button->setText(ToQString(value));
}

void TButton::SetDefault(bool value) {
  default_ = value;
  active_ = value;
  if (auto* button = static_cast<QPushButton*>(GetWidget())) button->setDefault(value);
  if (TCustomForm* form = GetParentForm(this); form && HandleAllocated())
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->GetActiveControl()));
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TButtonControl::Click();
}

void TButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGKEY:
      CMDialogKey(reinterpret_cast<TCMDialogKey&>(message));
      return;
    case CM_DIALOGCHAR:
      CMDialogChar(reinterpret_cast<TCMDialogChar&>(message));
      return;
    case CM_FOCUSCHANGED:
      CMFocusChanged(reinterpret_cast<TCMFocusChanged&>(message));
      return;
    case WM_GETDLGCODE:
      message.Result = DLGC_BUTTON | (active_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return;
    default:
      TButtonControl::Dispatch(message);
  }
}

void TButton::CMDialogKey(TCMDialogKey& message) {
  bool enter = message.CharCode == VK_RETURN && active_;
  bool esc = message.CharCode == VK_ESCAPE && cancel_;
  if ((enter || esc) && KeyDataToShiftState(message.KeyData).Empty() && CanFocus()) {
    Click();
    message.Result = 1;
    return;
  }
  TButtonControl::Dispatch(reinterpret_cast<TMessage&>(message));
}

void TButton::CMDialogChar(TCMDialogChar& message) {
  if (IsAccel(message.CharCode, GetCaption()) && CanFocus()) {
    Click();
    message.Result = 1;
    return;
  }
  TButtonControl::Dispatch(reinterpret_cast<TMessage&>(message));
}

void TButton::CMFocusChanged(TCMFocusChanged& message) {
  if (auto* button = dynamic_cast<TButton*>(message.Sender))
    active_ = button == this;
  else
    active_ = default_;
  if (auto* b = static_cast<QPushButton*>(GetWidget())) b->setDefault(active_);
}

// ---- Shared helpers ----

namespace {
QWidget* ParentWidgetOf(const TCreateParams& params) {
  if (TWinControlHost* h = FindHost(params.WndParent)) return h->Widget();
  return nullptr;
}

const TTypeInfo* CheckBoxStateType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TCheckBoxState", {u"cbUnchecked", u"cbChecked", u"cbGrayed"});
  return &t;
}
const TTypeInfo* ComboBoxStyleType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TComboBoxStyle",
      {u"csDropDown", u"csSimple", u"csDropDownList", u"csOwnerDrawFixed", u"csOwnerDrawVariable"});
  return &t;
}
const TTypeInfo* CharCaseType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TEditCharCase", {u"ecNormal", u"ecUpperCase", u"ecLowerCase"});
  return &t;
}
const TTypeInfo* ListBoxStyleType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TListBoxStyle",
      {u"lbStandard", u"lbOwnerDrawFixed", u"lbOwnerDrawVariable", u"lbVirtual", u"lbVirtualOwnerDraw"});
  return &t;
}
const TTypeInfo* ScrollBarKindType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TScrollBarKind", {u"sbHorizontal", u"sbVertical"});
  return &t;
}

String ApplyCharCase(const String& s, TEditCharCase charCase) {
  switch (charCase) {
    case ecUpperCase:
      return AnsiUpperCase(s);
    case ecLowerCase:
      return AnsiLowerCase(s);
    default:
      return s;
  }
}

// Paints the items of an owner-drawn list through the control's canvas.
class TOwnerDrawDelegate : public QStyledItemDelegate {
 public:
  using DrawFn = std::function<void(TCanvas* canvas, Integer index, TRect rect, TOwnerDrawState state)>;
  using MeasureFn = std::function<Integer(Integer index)>;
  TOwnerDrawDelegate(QObject* parent, TControl* control, TCanvas* canvas, DrawFn draw, MeasureFn measure)
      : QStyledItemDelegate(parent),
        control_(control),
        canvas_(canvas),
        draw_(std::move(draw)),
        measure_(std::move(measure)) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QPaintDevice* device = painter->device();
    HDC dc = gdi::CreatePainterDC(painter, device ? device->width() : option.rect.right() + 1,
                                  device ? device->height() : option.rect.bottom() + 1);
    TOwnerDrawState state;
    if (option.state & QStyle::State_Selected) state << odSelected;
    if (option.state & QStyle::State_HasFocus) state << odFocused;
    if (!(option.state & QStyle::State_Enabled)) state << odDisabled;
    GuardedCall(control_, [&] {
      canvas_->Lock();
      canvas_->SetHandle(dc);
      canvas_->GetFont()->Assign(control_->GetFont());
      canvas_->GetBrush()->SetColor(state.Contains(odSelected) ? clHighlight : clWindow);
      canvas_->GetFont()->SetColor(state.Contains(odSelected) ? clHighlightText : clWindowText);
      auto restore = MakeScopeExit([&] {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
      });
      draw_(canvas_, index.row(), FromQRect(option.rect), state);
    });
    DeleteDC(dc);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(measure_(index.row()));
    return size;
  }

 private:
  TControl* control_;
  TCanvas* canvas_;
  DrawFn draw_;
  MeasureFn measure_;
};

// The default picture of an owner-drawn item: the selection colour and the text.
void DrawItemText(TCanvas* canvas, const TRect& rect, const String& text) {
  canvas->FillRect(rect);
  Integer y = rect.Top + (rect.Height() - canvas->TextHeight(u"Wg")) / 2;
  canvas->TextRect(rect, rect.Left + 2, y, text);
}
}  // namespace

// ---- TCustomCheckBox ----

class TCheckBoxBridge {
 public:
  static void Clicked(TCustomCheckBox* box) { box->Toggle(); }
};

void TCustomCheckBox::Published(TPropBuilder<TCustomCheckBox>& p) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &TCustomCheckBox::GetAlignment, &TCustomCheckBox::SetAlignment)
      .Default(taRightJustify);
  p.Bool(u"AllowGrayed", &TCustomCheckBox::GetAllowGrayed, &TCustomCheckBox::SetAllowGrayed).Default(false);
  p.Bool(u"Checked", &TCustomCheckBox::GetChecked, &TCustomCheckBox::SetChecked).Stored(false);
  p.Enum(u"State", CheckBoxStateType(), &TCustomCheckBox::GetState, &TCustomCheckBox::SetState)
      .Default(cbUnchecked);
  p.Bool(u"TabStop", &TCustomCheckBox::GetTabStop, &TCustomCheckBox::SetTabStop).Default(true);
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
  controlStyle_ = {csSetCaption, csDoubleClicks};
  width_ = 97;
  height_ = 17;
  tabStop_ = true;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

QWidget* TCustomCheckBox::CreateQtWidget(const TCreateParams& params) {
  auto* box = new QCheckBox(ParentWidgetOf(params));
  QObject::connect(box, &QCheckBox::clicked, box,
                   [this] { GuardedCall(this, [this] { TCheckBoxBridge::Clicked(this); }); });
  return box;
}

void TCustomCheckBox::InitQtWidget(QWidget* widget) {
  auto* box = static_cast<QCheckBox*>(widget);
  box->setText(ToQString(text_));
  box->setFont(ToQFont(font_.get()));
  box->setFocusPolicy(Qt::StrongFocus);
  SyncWidget();
}

void TCustomCheckBox::SyncWidget() {
  auto* box = static_cast<QCheckBox*>(GetWidget());
  if (!box) return;
  QSignalBlocker block(box);
  box->setTristate(allowGrayed_ || state_ == cbGrayed);
  box->setCheckState(state_ == cbChecked  ? Qt::Checked
                     : state_ == cbGrayed ? Qt::PartiallyChecked
                                          : Qt::Unchecked);
  box->setLayoutDirection(alignment_ == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCustomCheckBox::SetState(TCheckBoxState value) {
  if (state_ == value) {
    SyncWidget();
    return;
  }
  state_ = value;
  SyncWidget();
  if (!GetComponentState().Contains(csLoading)) Click();
}

void TCustomCheckBox::SetAlignment(TLeftRight value) {
  alignment_ = value == taLeftJustify ? taLeftJustify : taRightJustify;
  SyncWidget();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked:
      SetState(allowGrayed_ ? cbGrayed : cbChecked);
      break;
    case cbChecked:
      SetState(cbUnchecked);
      break;
    case cbGrayed:
      SetState(cbChecked);
      break;
  }
}

void TCustomCheckBox::SetTextValue(const String& value) {
  text_ = value;
  if (auto* box = static_cast<QCheckBox*>(GetWidget())) box->setText(ToQString(value));
}

void TCustomCheckBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGCHAR: {
      auto& key = reinterpret_cast<TCMDialogChar&>(message);
      if (IsAccel(key.CharCode, GetCaption()) && CanFocus()) {
        SetFocus();
        Toggle();
        key.Result = 1;
        return;
      }
      break;
    }
    case WM_GETDLGCODE:
      message.Result = DLGC_BUTTON;
      return;
    default:
      break;
  }
  TButtonControl::Dispatch(message);
}

// ---- TRadioButton ----

void TRadioButton::Published(TPropBuilder<TRadioButton>& p) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &TRadioButton::GetAlignment, &TRadioButton::SetAlignment)
      .Default(taRightJustify);
  p.Bool(u"Checked", &TRadioButton::GetChecked, &TRadioButton::SetChecked).Default(false);
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
  controlStyle_ = {csSetCaption, csDoubleClicks};
  width_ = 113;
  height_ = 17;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

QWidget* TRadioButton::CreateQtWidget(const TCreateParams& params) {
  auto* button = new QRadioButton(ParentWidgetOf(params));
  // The siblings are unchecked by SetChecked, not by Qt's grouping of one parent's buttons.
  button->setAutoExclusive(false);
  QObject::connect(button, &QRadioButton::clicked, button, [this] {
    GuardedCall(this, [this] {
      if (checked_)
        SyncWidget();
      else
        SetChecked(true);
    });
  });
  return button;
}

void TRadioButton::InitQtWidget(QWidget* widget) {
  auto* button = static_cast<QRadioButton*>(widget);
  button->setText(ToQString(text_));
  button->setFont(ToQFont(font_.get()));
  button->setFocusPolicy(Qt::StrongFocus);
  SyncWidget();
}

void TRadioButton::SyncWidget() {
  auto* button = static_cast<QRadioButton*>(GetWidget());
  if (!button) return;
  QSignalBlocker block(button);
  button->setChecked(checked_);
  button->setLayoutDirection(alignment_ == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TRadioButton::SetChecked(bool value) {
  if (checked_ == value) return;
  checked_ = value;
  tabStop_ = value;
  SyncWidget();
  if (!value) return;
  if (TWinControl* parent = GetParent()) {
    for (Integer i = 0; i < parent->GetControlCount(); ++i)
      if (auto* sibling = dynamic_cast<TRadioButton*>(parent->GetControl(i)); sibling && sibling != this)
        sibling->SetChecked(false);
  }
  if (!GetComponentState().Contains(csLoading)) Click();
}

void TRadioButton::SetAlignment(TLeftRight value) {
  alignment_ = value == taLeftJustify ? taLeftJustify : taRightJustify;
  SyncWidget();
}

void TRadioButton::SetTextValue(const String& value) {
  text_ = value;
  if (auto* button = static_cast<QRadioButton*>(GetWidget())) button->setText(ToQString(value));
}

void TRadioButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGCHAR: {
      auto& key = reinterpret_cast<TCMDialogChar&>(message);
      if (IsAccel(key.CharCode, GetCaption()) && CanFocus()) {
        SetFocus();
        SetChecked(true);
        key.Result = 1;
        return;
      }
      break;
    }
    case WM_GETDLGCODE:
      message.Result = DLGC_BUTTON | DLGC_RADIOBUTTON;
      return;
    default:
      break;
  }
  TButtonControl::Dispatch(message);
}

// ---- TCustomGroupBox ----

void TCustomGroupBox::Published(TPropBuilder<TCustomGroupBox>&) {}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents,     csSetCaption,
                   csDoubleClicks,    csReplicatable, csParentBackground};
  width_ = 185;
  height_ = 105;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

void TCustomGroupBox::AdjustClientRect(TRect& rect) {
  TCustomControl::AdjustClientRect(rect);
  rect.Top += MeasureText(font_.get(), u"0").cy;
  InflateRect(&rect, -1, -1);
}

void TCustomGroupBox::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->GetFont()->Assign(font_.get());
  TRect r = GetClientRect();
  canvas->GetBrush()->SetColor(color_);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->FillRect(r);
  Integer h = canvas->TextHeight(u"0");
  TRect frame(0, h / 2 - 1, r.Width(), r.Height());
  HDC dc = canvas->GetHandle();
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  String text = GetText();
  if (text.empty()) return;
  TRect textRect(8, 0, 0, h);
  DrawText(canvas->GetHandle(), text.c_str(), static_cast<Integer>(text.size()), &textRect,
           DT_CALCRECT | DT_SINGLELINE);
  textRect.Right += 2;
  canvas->GetBrush()->SetColor(color_);
  canvas->FillRect(textRect);
  dc = canvas->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(IsEnabled() ? font_->GetColor() : clGrayText));
  textRect.Left += 1;
  DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &textRect, DT_SINGLELINE);
}

void TCustomGroupBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      Realign();
      Invalidate();
      break;
    case CM_ENABLEDCHANGED:
      // The children look disabled with their group: graphic children draw from IsEnabled.
      TCustomControl::Dispatch(message);
      Invalidate();
      for (Integer i = 0; i < GetControlCount(); ++i) GetControl(i)->Invalidate();
      return;
    case CM_DIALOGCHAR: {
      auto& key = reinterpret_cast<TCMDialogChar&>(message);
      if (IsAccel(key.CharCode, GetCaption()) && CanFocus()) {
        if (TWinControl* next = FindNextControl(nullptr, true, true, false)) next->SetFocus();
        key.Result = 1;
        return;
      }
      break;
    }
    default:
      break;
  }
  TCustomControl::Dispatch(message);
}

// ---- TCustomComboBox ----

// The Qt side of a combo box: the drop-down's opening and closing and the user's picks.
class TComboBoxHost : public QComboBox {
 public:
  TComboBoxHost(TCustomComboBox* owner, QWidget* parent) : QComboBox(parent), owner_(owner) {}

  void showPopup() override {
    GuardedCall(owner_, [this] { owner_->DropDown(); });
    QComboBox::showPopup();
  }
  void hidePopup() override {
    bool wasShown = view() && view()->isVisible();
    QComboBox::hidePopup();
    if (wasShown) GuardedCall(owner_, [this] { owner_->CloseUp(); });
  }

  static void Picked(TCustomComboBox* box, int index) {
    box->itemIndex_ = index;
    box->selectedText_ = index >= 0 && index < box->items_->GetCount() ? box->items_->Get(index) : String();
    box->text_ = box->selectedText_;
    box->Click();
    box->Select();
  }
  static void Edited(TCustomComboBox* box, const QString& text) {
    String value = FromQString(text);
    String cased = ApplyCharCase(value, box->charCase_);
    auto* combo = static_cast<QComboBox*>(box->GetWidget());
    if (cased != value && combo && combo->lineEdit()) {
      int cursor = combo->lineEdit()->cursorPosition();
      QSignalBlocker block(combo->lineEdit());
      combo->lineEdit()->setText(ToQString(cased));
      combo->lineEdit()->setCursorPosition(cursor);
    }
    box->itemIndex_ = box->items_->IndexOf(cased);
    box->selectedText_ = box->itemIndex_ >= 0 ? box->items_->Get(box->itemIndex_) : String();
    box->text_ = cased;
    box->Change();
  }

 private:
  TCustomComboBox* owner_;
};

void TCustomComboBox::Published(TPropBuilder<TCustomComboBox>& p) {
  p.Enum(u"Style", ComboBoxStyleType(), &TCustomComboBox::GetStyle, &TCustomComboBox::SetStyle)
      .Default(csDropDown);
  p.Enum(u"CharCase", CharCaseType(), &TCustomComboBox::GetCharCase, &TCustomComboBox::SetCharCase)
      .Default(ecNormal);
  p.Int(u"DropDownCount", &TCustomComboBox::GetDropDownCount, &TCustomComboBox::SetDropDownCount).Default(8);
  p.Int(u"ItemHeight", &TCustomComboBox::GetItemHeight, &TCustomComboBox::SetItemHeight).Default(16);
  p.Int(u"MaxLength", &TCustomComboBox::GetMaxLength, &TCustomComboBox::SetMaxLength).Default(0);
  p.Bool(u"Sorted", &TCustomComboBox::GetSorted, &TCustomComboBox::SetSorted).Default(false);
  p.Str(u"Caption", &TCustomComboBox::GetText, &TCustomComboBox::SetText).Stored(false);
  p.Str(u"Text", &TCustomComboBox::GetText, &TCustomComboBox::SetText);
  p.Object(u"Items", &TCustomComboBox::GetItems, &TCustomComboBox::SetItems);
  // After Items, so that a form resource selects from the list it has just read.
  p.Int(u"ItemIndex", &TCustomComboBox::GetItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
  p.Bool(u"TabStop", &TCustomComboBox::GetTabStop, &TCustomComboBox::SetTabStop).Default(true);
  p.Event(u"OnChange", &TCustomComboBox::OnChange);
  p.Event(u"OnSelect", &TCustomComboBox::OnSelect);
  p.Event(u"OnDropDown", &TCustomComboBox::OnDropDown);
  p.Event(u"OnCloseUp", &TCustomComboBox::OnCloseUp);
  p.Event(u"OnDrawItem", &TCustomComboBox::OnDrawItem, u"TDrawItemEvent");
  p.Event(u"OnMeasureItem", &TCustomComboBox::OnMeasureItem, u"TMeasureItemEvent");
}

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TStringList>()), canvas_(std::make_unique<TCanvas>()) {
  controlStyle_ = {csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight};
  width_ = 145;
  height_ = 21;
  tabStop_ = true;
  color_ = clWindow;
  brush_->SetColor(color_);
  items_->OnChange = TNotifyEvent(this, &TCustomComboBox::ItemsChanged);
}

TCustomComboBox::~TCustomComboBox() {
  items_->OnChange = TNotifyEvent();
  DestroyHandle();
}

TStrings* TCustomComboBox::GetItems() const { return items_.get(); }

void TCustomComboBox::SetItems(TStrings* value) { items_->Assign(value); }

QWidget* TCustomComboBox::CreateQtWidget(const TCreateParams& params) {
  auto* combo = new TComboBoxHost(this, ParentWidgetOf(params));
  QObject::connect(combo, &QComboBox::activated, combo, [this](int index) {
    GuardedCall(this, [this, index] { TComboBoxHost::Picked(this, index); });
  });
  return combo;
}

void TCustomComboBox::InitQtWidget(QWidget* widget) {
  auto* combo = static_cast<QComboBox*>(widget);
  combo->setFont(ToQFont(font_.get()));
  combo->setFocusPolicy(Qt::StrongFocus);
  combo->setInsertPolicy(QComboBox::NoInsert);
  SyncStyle();
}

void TCustomComboBox::SyncStyle() {
  auto* combo = static_cast<QComboBox*>(GetWidget());
  if (!combo) return;
  ++updating_;
  String text = text_;
  combo->setEditable(IsEditable());
  if (QLineEdit* edit = combo->lineEdit()) {
    edit->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
    QObject::connect(edit, &QLineEdit::textEdited, combo, [this](const QString& t) {
      GuardedCall(this, [this, t] { TComboBoxHost::Edited(this, t); });
    });
  }
  combo->setMaxVisibleItems(std::max<Integer>(dropDownCount_, 1));
  if (IsOwnerDraw()) {
    combo->setItemDelegate(new TOwnerDrawDelegate(
        combo, this, canvas_.get(),
        [this](TCanvas*, Integer index, TRect rect, TOwnerDrawState state) { DrawItem(index, rect, state); },
        [this](Integer index) {
          Integer h = itemHeight_;
          if (style_ == csOwnerDrawVariable) MeasureItem(index, h);
          return h;
        }));
  } else {
    combo->setItemDelegate(new QStyledItemDelegate(combo));
  }
  --updating_;
  SyncItems();
  if (IsEditable() && itemIndex_ < 0) SetTextValue(text);
}

void TCustomComboBox::SyncItems() {
  auto* combo = static_cast<QComboBox*>(GetWidget());
  if (!combo) return;
  ++updating_;
  QSignalBlocker block(combo);
  QString editText = combo->isEditable() ? combo->currentText() : QString();
  combo->clear();
  QStringList list;
  for (int i = 0; i < items_->GetCount(); ++i) list << ToQString(items_->Get(i));
  combo->addItems(list);
  combo->setCurrentIndex(itemIndex_);
  if (combo->isEditable() && itemIndex_ < 0) combo->setEditText(editText);
  --updating_;
}

void TCustomComboBox::ItemsChanged(TObject*) {
  // The selection follows its item where the list moved it; a deleted item leaves none.
  if (itemIndex_ >= 0 && (itemIndex_ >= items_->GetCount() || items_->Get(itemIndex_) != selectedText_)) {
    itemIndex_ = -1;
    for (int i = 0; i < items_->GetCount(); ++i)
      if (items_->Get(i) == selectedText_) {
        itemIndex_ = i;
        break;
      }
  }
  SyncItems();
}

void TCustomComboBox::SetItemIndex(Integer value) {
  if (value < -1 || value >= items_->GetCount()) value = -1;
  itemIndex_ = value;
  selectedText_ = value >= 0 ? items_->Get(value) : String();
  if (value >= 0 || !IsEditable()) text_ = selectedText_;
  if (auto* combo = static_cast<QComboBox*>(GetWidget())) {
    ++updating_;
    QSignalBlocker block(combo);
    combo->setCurrentIndex(value);
    if (combo->isEditable() && value < 0) combo->setEditText(QString());
    --updating_;
  }
}

String TCustomComboBox::GetTextValue() const {
  if (auto* combo = static_cast<QComboBox*>(GetWidget())) return FromQString(combo->currentText());
  if (!IsEditable()) return itemIndex_ >= 0 ? items_->Get(itemIndex_) : String();
  return text_;
}

void TCustomComboBox::SetTextValue(const String& value) {
  String cased = ApplyCharCase(value, charCase_);
  if (maxLength_ > 0 && static_cast<Integer>(cased.size()) > maxLength_ && IsEditable())
    cased.resize(maxLength_);
  Integer index = -1;
  for (int i = 0; i < items_->GetCount(); ++i)
    if (items_->Get(i) == cased) {
      index = i;
      break;
    }
  if (!IsEditable() && index < 0) index = items_->IndexOf(cased);
  SetItemIndex(index);
  if (!IsEditable()) return;
  text_ = cased;
  if (auto* combo = static_cast<QComboBox*>(GetWidget())) {
    QSignalBlocker block(combo);
    combo->setEditText(ToQString(cased));
  }
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (style_ == value) return;
  style_ = value;
  SyncStyle();
}

void TCustomComboBox::SetSorted(bool value) {
  if (sorted_ == value) return;
  sorted_ = value;
  items_->SetSorted(value);
}

void TCustomComboBox::SetDropDownCount(Integer value) {
  dropDownCount_ = value;
  if (auto* combo = static_cast<QComboBox*>(GetWidget()))
    combo->setMaxVisibleItems(std::max<Integer>(value, 1));
}

void TCustomComboBox::SetMaxLength(Integer value) {
  maxLength_ = std::max<Integer>(value, 0);
  auto* combo = static_cast<QComboBox*>(GetWidget());
  if (combo && combo->lineEdit()) combo->lineEdit()->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void TCustomComboBox::SetCharCase(TEditCharCase value) {
  charCase_ = value;
  if (IsEditable() && value != ecNormal) SetTextValue(GetTextValue());
}

void TCustomComboBox::SetItemHeight(Integer value) {
  if (value <= 0) return;
  itemHeight_ = value;
  if (IsOwnerDraw()) SyncStyle();
}

bool TCustomComboBox::GetDroppedDown() const {
  auto* combo = static_cast<QComboBox*>(GetWidget());
  return combo && combo->view() && combo->view()->isVisible();
}

void TCustomComboBox::SetDroppedDown(bool value) {
  HandleNeeded();
  auto* combo = static_cast<QComboBox*>(GetWidget());
  if (value == GetDroppedDown()) return;
  if (value)
    combo->showPopup();
  else
    combo->hidePopup();
}

void TCustomComboBox::Clear() {
  items_->Clear();
  SetItemIndex(-1);
  text_.clear();
}

void TCustomComboBox::AddItem(const String& item, TObject* object) { items_->AddObject(item, object); }

void TCustomComboBox::Loaded() {
  TWinControl::Loaded();
  SyncItems();
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::DrawItem(Integer index, TRect rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  DrawItemText(canvas_.get(), rect, index >= 0 && index < items_->GetCount() ? items_->Get(index) : String());
}

void TCustomComboBox::MeasureItem(Integer index, Integer& height) {
  if (OnMeasureItem) OnMeasureItem(this, index, height);
}

void TCustomComboBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS | (IsEditable() ? DLGC_WANTCHARS : 0);
      return;
    case CM_TEXTCHANGED:
      return;
    default:
      TWinControl::Dispatch(message);
  }
}

// ---- TCustomListBox ----

class TListBoxHost {
 public:
  static void SelectionChanged(TCustomListBox* box) {
    if (box->updating_) return;
    auto* list = static_cast<QListWidget*>(box->GetWidget());
    box->itemIndex_ = list->currentRow();
    for (int i = 0; i < list->count() && i < static_cast<int>(box->selected_.size()); ++i)
      box->selected_[i] = list->item(i)->isSelected();
    box->Click();
  }
};

void TCustomListBox::Published(TPropBuilder<TCustomListBox>& p) {
  p.Enum(u"Style", ListBoxStyleType(), &TCustomListBox::GetStyle, &TCustomListBox::SetStyle)
      .Default(lbStandard);
  p.Bool(u"MultiSelect", &TCustomListBox::GetMultiSelect, &TCustomListBox::SetMultiSelect).Default(false);
  p.Bool(u"ExtendedSelect", &TCustomListBox::GetExtendedSelect, &TCustomListBox::SetExtendedSelect)
      .Default(true);
  p.Bool(u"Sorted", &TCustomListBox::GetSorted, &TCustomListBox::SetSorted).Default(false);
  p.Int(u"ItemHeight", &TCustomListBox::GetItemHeight, &TCustomListBox::SetItemHeight).Default(16);
  p.Object(u"Items", &TCustomListBox::GetItems, &TCustomListBox::SetItems);
  p.Int(u"ItemIndex", &TCustomListBox::GetItemIndex, &TCustomListBox::SetItemIndex).Default(-1);
  p.Bool(u"TabStop", &TCustomListBox::GetTabStop, &TCustomListBox::SetTabStop).Default(true);
  p.Event(u"OnDrawItem", &TCustomListBox::OnDrawItem, u"TDrawItemEvent");
  p.Event(u"OnMeasureItem", &TCustomListBox::OnMeasureItem, u"TMeasureItemEvent");
}

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TStringList>()), canvas_(std::make_unique<TCanvas>()) {
  controlStyle_ = {csSetCaption, csDoubleClicks};
  width_ = 121;
  height_ = 97;
  tabStop_ = true;
  color_ = clWindow;
  brush_->SetColor(color_);
  items_->OnChange = TNotifyEvent(this, &TCustomListBox::ItemsChanged);
}

TCustomListBox::~TCustomListBox() {
  items_->OnChange = TNotifyEvent();
  DestroyHandle();
}

TStrings* TCustomListBox::GetItems() const { return items_.get(); }
void TCustomListBox::SetItems(TStrings* value) { items_->Assign(value); }
Integer TCustomListBox::GetCount() const { return items_->GetCount(); }

void TCustomListBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

QWidget* TCustomListBox::CreateQtWidget(const TCreateParams& params) {
  auto* list = new QListWidget(ParentWidgetOf(params));
  list->setFrameShape(QFrame::NoFrame);
  QObject::connect(list, &QListWidget::itemSelectionChanged, list,
                   [this] { GuardedCall(this, [this] { TListBoxHost::SelectionChanged(this); }); });
  QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                   [this](QListWidgetItem*) { GuardedCall(this, [this] { DblClick(); }); });
  return list;
}

void TCustomListBox::InitQtWidget(QWidget* widget) {
  auto* list = static_cast<QListWidget*>(widget);
  list->setFont(ToQFont(font_.get()));
  list->setFocusPolicy(Qt::StrongFocus);
  list->setUniformItemSizes(style_ != lbOwnerDrawVariable);
  if (style_ != lbStandard) {
    list->setItemDelegate(new TOwnerDrawDelegate(
        list, this, canvas_.get(),
        [this](TCanvas*, Integer index, TRect rect, TOwnerDrawState state) { DrawItem(index, rect, state); },
        [this](Integer index) {
          Integer h = itemHeight_;
          if (style_ == lbOwnerDrawVariable && OnMeasureItem) OnMeasureItem(this, index, h);
          return h;
        }));
  }
  SyncSelectionMode();
  SyncItems();
}

void TCustomListBox::SyncSelectionMode() {
  auto* list = static_cast<QListWidget*>(GetWidget());
  if (!list) return;
  if (!multiSelect_)
    list->setSelectionMode(QAbstractItemView::SingleSelection);
  else
    list->setSelectionMode(extendedSelect_ ? QAbstractItemView::ExtendedSelection
                                           : QAbstractItemView::MultiSelection);
}

void TCustomListBox::SyncItems() {
  selected_.resize(items_->GetCount(), false);
  if (itemIndex_ >= items_->GetCount()) itemIndex_ = -1;
  auto* list = static_cast<QListWidget*>(GetWidget());
  if (!list) return;
  ++updating_;
  QSignalBlocker block(list);
  list->clear();
  for (int i = 0; i < items_->GetCount(); ++i) {
    auto* item = new QListWidgetItem(ToQString(items_->Get(i)), list);
    if (style_ != lbStandard) item->setSizeHint(QSize(0, itemHeight_));
    if (multiSelect_ && selected_[i]) item->setSelected(true);
  }
  list->setCurrentRow(itemIndex_,
                      multiSelect_ ? QItemSelectionModel::NoUpdate : QItemSelectionModel::ClearAndSelect);
  if (!multiSelect_ && itemIndex_ < 0) list->clearSelection();
  if (topIndex_ > 0 && topIndex_ < list->count())
    list->scrollToItem(list->item(topIndex_), QAbstractItemView::PositionAtTop);
  --updating_;
}

void TCustomListBox::ItemsChanged(TObject*) {
  selected_.assign(items_->GetCount(), false);
  SyncItems();
}

Integer TCustomListBox::GetItemIndex() const { return itemIndex_; }

void TCustomListBox::SetItemIndex(Integer value) {
  if (value < -1 || value >= items_->GetCount()) value = -1;
  itemIndex_ = value;
  if (!multiSelect_) std::fill(selected_.begin(), selected_.end(), false);
  if (value >= 0 && !multiSelect_) selected_[value] = true;
  if (auto* list = static_cast<QListWidget*>(GetWidget())) {
    ++updating_;
    QSignalBlocker block(list);
    if (multiSelect_) {
      list->setCurrentRow(value, QItemSelectionModel::NoUpdate);
    } else {
      list->clearSelection();
      list->setCurrentRow(value);
    }
    list->viewport()->update();
    --updating_;
  }
}

bool TCustomListBox::GetSelected(Integer index) const {
  if (index < 0 || index >= items_->GetCount())
    throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return selected_[index];
}

void TCustomListBox::SetSelected(Integer index, bool value) {
  if (index < 0 || index >= items_->GetCount())
    throw EListError(Format(u"List index out of bounds (%d)", {index}));
  if (!multiSelect_) {
    if (value)
      SetItemIndex(index);
    else if (itemIndex_ == index)
      SetItemIndex(-1);
    return;
  }
  selected_[index] = value;
  if (auto* list = static_cast<QListWidget*>(GetWidget())) {
    ++updating_;
    QSignalBlocker block(list);
    list->item(index)->setSelected(value);
    list->viewport()->update();
    --updating_;
  }
}

Integer TCustomListBox::GetSelCount() const {
  if (!multiSelect_) return -1;
  return static_cast<Integer>(std::count(selected_.begin(), selected_.end(), true));
}

void TCustomListBox::SelectAll() {
  if (!multiSelect_) return;
  for (Integer i = 0; i < items_->GetCount(); ++i) SetSelected(i, true);
}

void TCustomListBox::ClearSelection() {
  if (!multiSelect_) {
    SetItemIndex(-1);
    return;
  }
  for (Integer i = 0; i < items_->GetCount(); ++i) SetSelected(i, false);
}

void TCustomListBox::SetMultiSelect(bool value) {
  if (multiSelect_ == value) return;
  multiSelect_ = value;
  SyncSelectionMode();
}

void TCustomListBox::SetExtendedSelect(bool value) {
  extendedSelect_ = value;
  SyncSelectionMode();
}

void TCustomListBox::SetSorted(bool value) {
  if (sorted_ == value) return;
  sorted_ = value;
  items_->SetSorted(value);
}

Integer TCustomListBox::GetTopIndex() const {
  auto* list = static_cast<QListWidget*>(GetWidget());
  if (!list) return topIndex_;
  QListWidgetItem* item = list->itemAt(QPoint(1, 1));
  return item ? list->row(item) : 0;
}

void TCustomListBox::SetTopIndex(Integer value) {
  topIndex_ = std::max<Integer>(value, 0);
  auto* list = static_cast<QListWidget*>(GetWidget());
  if (list && topIndex_ < list->count())
    list->scrollToItem(list->item(topIndex_), QAbstractItemView::PositionAtTop);
}

void TCustomListBox::SetItemHeight(Integer value) {
  if (value <= 0) return;
  itemHeight_ = value;
  if (style_ != lbStandard) SyncItems();
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
  if (style_ == value) return;
  style_ = value;
  if (HandleAllocated()) RecreateWnd();
}

TRect TCustomListBox::ItemRect(Integer index) const {
  auto* list = static_cast<QListWidget*>(GetWidget());
  if (list && index >= 0 && index < list->count()) return FromQRect(list->visualItemRect(list->item(index)));
  Integer top = (index - topIndex_) * itemHeight_;
  return TRect(0, top, GetClientWidth(), top + itemHeight_);
}

Integer TCustomListBox::ItemAtPos(TPoint pos, bool existing) const {
  auto* list = static_cast<QListWidget*>(GetWidget());
  Integer count = items_->GetCount();
  if (list) {
    if (QListWidgetItem* item = list->itemAt(ToQPoint(pos))) return list->row(item);
  } else if (pos.Y >= 0 && itemHeight_ > 0) {
    Integer index = topIndex_ + pos.Y / itemHeight_;
    if (index < count) return index;
  }
  return existing ? -1 : count;
}

void TCustomListBox::Clear() {
  items_->Clear();
  itemIndex_ = -1;
}

void TCustomListBox::AddItem(const String& item, TObject* object) { items_->AddObject(item, object); }

void TCustomListBox::DrawItem(Integer index, TRect rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  DrawItemText(canvas_.get(), rect, index >= 0 && index < items_->GetCount() ? items_->Get(index) : String());
}

void TCustomListBox::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  }
  TWinControl::Dispatch(message);
}

// ---- TScrollBar ----

class TScrollBarBridge {
 public:
  static TScrollCode CodeOf(int action) {
    switch (action) {
      case QAbstractSlider::SliderSingleStepSub:
        return scLineUp;
      case QAbstractSlider::SliderSingleStepAdd:
        return scLineDown;
      case QAbstractSlider::SliderPageStepSub:
        return scPageUp;
      case QAbstractSlider::SliderPageStepAdd:
        return scPageDown;
      case QAbstractSlider::SliderToMinimum:
        return scTop;
      case QAbstractSlider::SliderToMaximum:
        return scBottom;
      default:
        return scTrack;
    }
  }
  // The user's action: OnScroll may move the new position before it is taken.
  static void Action(TScrollBar* bar, int action) {
    auto* widget = static_cast<QScrollBar*>(bar->GetWidget());
    Integer pos = widget->sliderPosition();
    bar->Scroll(CodeOf(action), pos);
    pos = std::clamp(pos, bar->min_, bar->QtMax());
    widget->setSliderPosition(pos);
    Take(bar, pos);
  }
  static void Released(TScrollBar* bar) {
    Integer pos = bar->position_;
    bar->Scroll(scPosition, pos);
    Take(bar, std::clamp(pos, bar->min_, bar->QtMax()));
    pos = bar->position_;
    bar->Scroll(scEndScroll, pos);
  }
  static void Take(TScrollBar* bar, Integer pos) {
    if (pos == bar->position_) return;
    bar->position_ = pos;
    bar->Change();
  }
};

void TScrollBar::Published(TPropBuilder<TScrollBar>& p) {
  p.Enum(u"Kind", ScrollBarKindType(), &TScrollBar::GetKind, &TScrollBar::SetKind).Default(sbHorizontal);
  p.Int(u"LargeChange", &TScrollBar::GetLargeChange, &TScrollBar::SetLargeChange).Default(1);
  p.Int(u"SmallChange", &TScrollBar::GetSmallChange, &TScrollBar::SetSmallChange).Default(1);
  p.Int(u"Max", &TScrollBar::GetMax, &TScrollBar::SetMax).Default(100);
  p.Int(u"Min", &TScrollBar::GetMin, &TScrollBar::SetMin).Default(0);
  p.Int(u"PageSize", &TScrollBar::GetPageSize, &TScrollBar::SetPageSize).Default(0);
  p.Int(u"Position", &TScrollBar::GetPosition, &TScrollBar::SetPosition).Default(0);
  p.Bool(u"TabStop", &TScrollBar::GetTabStop, &TScrollBar::SetTabStop).Default(true);
  p.Event(u"OnChange", &TScrollBar::OnChange);
  p.Event(u"OnScroll", &TScrollBar::OnScroll, u"TScrollEvent");
}

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
  controlStyle_ = {csFramed, csDoubleClicks, csOpaque};
  width_ = 121;
  height_ = 17;
  tabStop_ = true;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

Integer TScrollBar::QtMax() const { return std::max(min_, max_ - std::max<Integer>(pageSize_ - 1, 0)); }

QWidget* TScrollBar::CreateQtWidget(const TCreateParams& params) {
  auto* bar = new QScrollBar(ParentWidgetOf(params));
  QObject::connect(bar, &QScrollBar::actionTriggered, bar, [this](int action) {
    if (updating_ || action == QAbstractSlider::SliderNoAction) return;
    GuardedCall(this, [this, action] { TScrollBarBridge::Action(this, action); });
  });
  QObject::connect(bar, &QScrollBar::sliderReleased, bar,
                   [this] { GuardedCall(this, [this] { TScrollBarBridge::Released(this); }); });
  return bar;
}

void TScrollBar::InitQtWidget(QWidget* widget) {
  widget->setFocusPolicy(Qt::StrongFocus);
  SyncWidget();
}

void TScrollBar::SyncWidget() {
  auto* bar = static_cast<QScrollBar*>(GetWidget());
  if (!bar) return;
  ++updating_;
  QSignalBlocker block(bar);
  bar->setOrientation(kind_ == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
  bar->setRange(min_, QtMax());
  bar->setSingleStep(smallChange_);
  bar->setPageStep(pageSize_ > 0 ? pageSize_ : largeChange_);
  bar->setValue(position_);
  bar->update();
  --updating_;
}

void TScrollBar::SetKind(TScrollBarKind value) {
  if (kind_ == value) return;
  kind_ = value;
  if (!GetComponentState().Contains(csLoading)) SetBounds(left_, top_, height_, width_);
  SyncWidget();
}

void TScrollBar::SetParams(Integer position, Integer min, Integer max) {
  if (max < min || max - min + 1 < pageSize_) throw EInvalidOperation(u"Scrollbar property out of range");
  position = std::clamp(position, min, max);
  bool changed = position != position_;
  min_ = min;
  max_ = max;
  position_ = position;
  SyncWidget();
  if (changed) Change();
}

void TScrollBar::SetPageSize(Integer value) {
  if (value == pageSize_) return;
  if (value < 0 || value > max_ - min_ + 1) throw EInvalidOperation(u"Scrollbar property out of range");
  pageSize_ = value;
  SyncWidget();
}

void TScrollBar::SetSmallChange(Integer value) {
  smallChange_ = value;
  SyncWidget();
}

void TScrollBar::SetLargeChange(Integer value) {
  largeChange_ = value;
  SyncWidget();
}

// The keys of the system's scroll bar: arrows a line, Page Up/Down a page, Home and End the ends.
void TScrollBar::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  auto* bar = static_cast<QScrollBar*>(GetWidget());
  if (!bar || key == 0) return;
  QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
  switch (key) {
    case VK_LEFT:
    case VK_UP:
      action = QAbstractSlider::SliderSingleStepSub;
      break;
    case VK_RIGHT:
    case VK_DOWN:
      action = QAbstractSlider::SliderSingleStepAdd;
      break;
    case VK_PRIOR:
      action = QAbstractSlider::SliderPageStepSub;
      break;
    case VK_NEXT:
      action = QAbstractSlider::SliderPageStepAdd;
      break;
    case VK_HOME:
      action = QAbstractSlider::SliderToMinimum;
      break;
    case VK_END:
      action = QAbstractSlider::SliderToMaximum;
      break;
    default:
      return;
  }
  bar->triggerAction(action);
  Integer pos = position_;
  Scroll(scEndScroll, pos);
  key = 0;
}

void TScrollBar::Scroll(TScrollCode code, Integer& pos) {
  if (OnScroll) OnScroll(this, code, pos);
}

void TScrollBar::Change() {
  if (OnChange) OnChange(this);
}

void TScrollBar::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS;
    return;
  }
  TWinControl::Dispatch(message);
}

// ---- TScrollRange64 ----

TScrollRange64::TScrollRange64(Int64 min, Int64 max) : min_(min), max_(max) {
  if (max < min) throw ERangeError(u"Range check error");
}

namespace {
// The span max - min without overflow (it may exceed Int64).
unsigned __int128 Span(Int64 min, Int64 max) {
  return static_cast<unsigned __int128>(static_cast<__int128>(max) - static_cast<__int128>(min));
}
}  // namespace

Integer TScrollRange64::BarMax() const {
  unsigned __int128 span = Span(min_, max_);
  return span <= static_cast<unsigned __int128>(kBarMax) ? static_cast<Integer>(span) : kBarMax;
}

Integer TScrollRange64::ToBar(Int64 pos) const {
  pos = std::clamp(pos, min_, max_);
  unsigned __int128 span = Span(min_, max_);
  unsigned __int128 offset = Span(min_, pos);
  if (span <= static_cast<unsigned __int128>(kBarMax)) return static_cast<Integer>(offset);
  // Rounded to the nearest bar position; only the ends map onto the ends.
  unsigned __int128 bar = (offset * kBarMax + span / 2) / span;
  if (bar == 0 && offset > 0) bar = 1;
  if (bar == static_cast<unsigned __int128>(kBarMax) && pos < max_) bar = kBarMax - 1;
  return static_cast<Integer>(bar);
}

Int64 TScrollRange64::FromBar(Integer barPos) const {
  Integer barMax = BarMax();
  barPos = std::clamp(barPos, 0, barMax);
  unsigned __int128 span = Span(min_, max_);
  unsigned __int128 offset = span <= static_cast<unsigned __int128>(kBarMax)
                                 ? static_cast<unsigned __int128>(barPos)
                                 : (static_cast<unsigned __int128>(barPos) * span + kBarMax / 2) / kBarMax;
  return static_cast<Int64>(static_cast<__int128>(min_) + static_cast<__int128>(offset));
}
