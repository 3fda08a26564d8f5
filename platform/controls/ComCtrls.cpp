// Common controls: the date-time picker, progress bar and track bar over their Qt widgets; the tab
// strips, page control, tool bar, status bar and up-down painted on our canvas with the class
// library's event rules.
#include "platform/controls/ComCtrls.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>

#include "platform/classes/StringList.h"
#include "platform/controls/Menus.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/controls/private/StdCtrlsShared.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

namespace {
QWidget* ParentWidgetOf(const TCreateParams& params) {
  if (TWinControlHost* h = FindHost(params.WndParent)) return h->Widget();
  return nullptr;
}

String IndexError(Integer index) { return Format(u"List index out of bounds (%d)", {index}); }

const TTypeInfo* DateTimeKindType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TDateTimeKind", {u"dtkDate", u"dtkTime"});
  return &t;
}
const TTypeInfo* DateFormatType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TDTDateFormat", {u"dfShort", u"dfLong"});
  return &t;
}
const TTypeInfo* ProgressOrientationType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TProgressBarOrientation", {u"pbHorizontal", u"pbVertical"});
  return &t;
}
const TTypeInfo* TrackOrientationType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TTrackBarOrientation", {u"trHorizontal", u"trVertical"});
  return &t;
}
const TTypeInfo* ToolButtonStyleType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TToolButtonStyle",
      {u"tbsButton", u"tbsCheck", u"tbsDropDown", u"tbsSeparator", u"tbsDivider", u"tbsTextButton"});
  return &t;
}
const TTypeInfo* PanelStyleType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TStatusPanelStyle", {u"psText", u"psOwnerDraw"});
  return &t;
}
const TTypeInfo* PanelBevelType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TStatusPanelBevel", {u"pbNone", u"pbLowered", u"pbRaised"});
  return &t;
}
const TTypeInfo* UDOrientationType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TUDOrientation", {u"udHorizontal", u"udVertical"});
  return &t;
}
const TTypeInfo* UDAlignButtonType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TUDAlignButton", {u"udLeft", u"udRight"});
  return &t;
}

// TDateTime (days since 30 December 1899, time as the fraction) and Qt's date-time.
QDateTime ToQDateTime(TDateTime value) {
  double days = std::floor(static_cast<double>(value));
  double fraction = std::fabs(static_cast<double>(value) - days);
  // Negative values count the date backwards but the time forwards, as the class library does.
  if (static_cast<double>(value) < 0) {
    days = std::ceil(static_cast<double>(value));
    fraction = std::fabs(static_cast<double>(value) - days);
  }
  QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
  auto msecs = static_cast<int>(std::llround(fraction * 86400000.0));
  if (msecs >= 86400000) msecs = 86399999;
  return QDateTime(date, QTime::fromMSecsSinceStartOfDay(msecs));
}

TDateTime FromQDateTime(const QDateTime& value) {
  double days = static_cast<double>(QDate(1899, 12, 30).daysTo(value.date()));
  double fraction = value.time().msecsSinceStartOfDay() / 86400000.0;
  return TDateTime(days >= 0 ? days + fraction : days - fraction);
}

double DatePart(TDateTime v) { return std::trunc(static_cast<double>(v)); }
double TimePart(TDateTime v) { return std::fabs(static_cast<double>(v) - DatePart(v)); }
}  // namespace

// ---- TDateTimePicker ----

String PickerFormatToQt(const String& format) {
  String out;
  size_t i = 0;
  bool twelveHour = false, hasAmPm = false;
  while (i < format.size()) {
    Char c = format[i];
    if (c == u'\'') {
      size_t end = format.find(u'\'', i + 1);
      if (end == String::npos) end = format.size();
      out += format.substr(i, end - i + 1);
      if (end == format.size()) out += u'\'';
      i = end + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    String token = format.substr(i, run);
    switch (c) {
      case u'y':
        out += run <= 2 ? String(u"yy") : String(u"yyyy");
        break;
      case u'd':
      case u'M':
      case u'H':
      case u'm':
      case u's':
        out += token.substr(0, std::min<size_t>(run, c == u'd' || c == u'M' ? 4 : 2));
        break;
      case u'h':
        twelveHour = true;
        out += token.substr(0, std::min<size_t>(run, 2));
        break;
      case u't':
        hasAmPm = true;
        out += u"AP";
        break;
      default:
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
          out += u'\'' + token + u'\'';
        else
          out += token;
        break;
    }
    i += run;
  }
  // Qt counts h in 24 hours unless the picture shows AM/PM.
  if (twelveHour && !hasAmPm) out += u" AP";
  return out;
}

// The picker's edit with its line edit in reach (for the check box's room and state).
class TPickerEdit : public QDateTimeEdit {
 public:
  using QDateTimeEdit::lineEdit;
  using QDateTimeEdit::QDateTimeEdit;
};

class TDateTimePickerBridge {
 public:
  static void Edited(TDateTimePicker* picker, const QDateTime& value) {
    if (picker->updating_) return;
    TDateTime v = FromQDateTime(value);
    // The edit shows one part; the other keeps its value.
    if (picker->kind_ == dtkDate)
      v = TDateTime(DatePart(v) + TimePart(picker->dateTime_));
    else
      v = TDateTime(DatePart(picker->dateTime_) + TimePart(v));
    if (static_cast<double>(v) == static_cast<double>(picker->dateTime_)) return;
    picker->dateTime_ = v;
    picker->Change();
  }
  static void Checked(TDateTimePicker* picker, bool checked) {
    picker->checked_ = checked;
    if (auto* edit = static_cast<TPickerEdit*>(picker->GetWidget())) edit->lineEdit()->setEnabled(checked);
    picker->Change();
  }
};

void TDateTimePicker::Published(TPropBuilder<TDateTimePicker>& p) {
  p.DateTime(u"Date", &TDateTimePicker::GetDate, &TDateTimePicker::SetDate);
  p.DateTime(u"Time", &TDateTimePicker::GetTime, &TDateTimePicker::SetTime);
  p.Enum(u"Kind", DateTimeKindType(), &TDateTimePicker::GetKind, &TDateTimePicker::SetKind).Default(dtkDate);
  p.Enum(u"DateFormat", DateFormatType(), &TDateTimePicker::GetDateFormat, &TDateTimePicker::SetDateFormat)
      .Default(dfShort);
  p.Str(u"Format", &TDateTimePicker::GetFormat, &TDateTimePicker::SetFormat);
  p.Bool(u"ShowCheckbox", &TDateTimePicker::GetShowCheckbox, &TDateTimePicker::SetShowCheckbox)
      .Default(false);
  p.Bool(u"Checked", &TDateTimePicker::GetChecked, &TDateTimePicker::SetChecked).Default(true);
  p.DateTime(u"MinDate", &TDateTimePicker::GetMinDate, &TDateTimePicker::SetMinDate);
  p.DateTime(u"MaxDate", &TDateTimePicker::GetMaxDate, &TDateTimePicker::SetMaxDate);
  p.Bool(u"TabStop", &TDateTimePicker::GetTabStop, &TDateTimePicker::SetTabStop).Default(true);
  p.Event(u"OnChange", &TDateTimePicker::OnChange);
}

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
  controlStyle_ = {csCaptureMouse, csClickEvents, csDoubleClicks, csFixedHeight};
  width_ = 186;
  height_ = 21;
  tabStop_ = true;
  color_ = clWindow;
  brush_->SetColor(color_);
  dateTime_ = Now();
}

TDateTimePicker::~TDateTimePicker() { DestroyHandle(); }

QWidget* TDateTimePicker::CreateQtWidget(const TCreateParams& params) {
  auto* edit = new TPickerEdit(ParentWidgetOf(params));
  edit->setCalendarPopup(true);
  QObject::connect(edit, &QDateTimeEdit::dateTimeChanged, edit, [this](const QDateTime& value) {
    GuardedCall(this, [this, value] { TDateTimePickerBridge::Edited(this, value); });
  });
  auto* box = new QCheckBox(edit);
  box->setObjectName(QStringLiteral("kivCheckbox"));
  box->setFocusPolicy(Qt::NoFocus);
  QObject::connect(box, &QCheckBox::clicked, edit, [this](bool checked) {
    GuardedCall(this, [this, checked] { TDateTimePickerBridge::Checked(this, checked); });
  });
  return edit;
}

void TDateTimePicker::InitQtWidget(QWidget* widget) {
  widget->setFont(ToQFont(font_.get()));
  widget->setFocusPolicy(Qt::StrongFocus);
  SyncWidget();
}

void TDateTimePicker::SyncWidget() {
  auto* edit = static_cast<TPickerEdit*>(GetWidget());
  if (!edit) return;
  ++updating_;
  QSignalBlocker block(edit);
  String format = format_;
  if (format.empty()) {
    const TFormatSettings& fs = FormatSettings;
    format = kind_ == dtkTime         ? fs.LongTimeFormat
             : dateFormat_ == dfShort ? fs.ShortDateFormat
                                      : fs.LongDateFormat;
  }
  edit->setDisplayFormat(ToQString(PickerFormatToQt(format)));
  edit->setCalendarPopup(kind_ == dtkDate);
  QDateTime low = minDate_ != 0 ? ToQDateTime(minDate_) : QDateTime(QDate(1752, 9, 14), QTime(0, 0));
  QDateTime high =
      maxDate_ != 0 ? ToQDateTime(maxDate_) : QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999));
  if (kind_ == dtkDate) {
    // The limits bound the date; the time of day stays free.
    low.setTime(QTime(0, 0));
    high.setTime(QTime(23, 59, 59, 999));
  }
  edit->setDateTimeRange(low, high);
  edit->setDateTime(ToQDateTime(dateTime_));
  auto* box = edit->findChild<QCheckBox*>(QStringLiteral("kivCheckbox"));
  if (box) {
    box->setVisible(showCheckbox_);
    box->setChecked(checked_);
    box->setGeometry(3, (height_ - 16) / 2, 16, 16);
  }
  edit->lineEdit()->setTextMargins(showCheckbox_ ? 18 : 0, 0, 0, 0);
  edit->lineEdit()->setEnabled(!showCheckbox_ || checked_);
  --updating_;
}

void TDateTimePicker::CheckRange(TDateTime value) const {
  if (GetComponentState().Contains(csLoading)) return;
  if (minDate_ != 0 && DatePart(value) < DatePart(minDate_))
    throw EDateTimeError(Format(u"Date exceeds minimum of %s", {DateToStr(minDate_)}));
  if (maxDate_ != 0 && DatePart(value) > DatePart(maxDate_))
    throw EDateTimeError(Format(u"Date exceeds maximum of %s", {DateToStr(maxDate_)}));
}

void TDateTimePicker::SetDateTime(TDateTime value) {
  CheckRange(value);
  dateTime_ = value;
  SyncWidget();
}

TDateTime TDateTimePicker::GetDate() const { return TDateTime(DatePart(dateTime_)); }
TDateTime TDateTimePicker::GetTime() const { return TDateTime(TimePart(dateTime_)); }

void TDateTimePicker::SetDate(TDateTime value) {
  SetDateTime(TDateTime(DatePart(value) + TimePart(dateTime_)));
}

void TDateTimePicker::SetTime(TDateTime value) {
  SetDateTime(TDateTime(DatePart(dateTime_) + TimePart(value)));
}

void TDateTimePicker::SetKind(TDateTimeKind value) {
  kind_ = value;
  SyncWidget();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat value) {
  dateFormat_ = value;
  SyncWidget();
}

void TDateTimePicker::SetFormat(const String& value) {
  format_ = value;
  SyncWidget();
}

void TDateTimePicker::SetShowCheckbox(bool value) {
  showCheckbox_ = value;
  SyncWidget();
}

void TDateTimePicker::SetChecked(bool value) {
  checked_ = value;
  SyncWidget();
}

void TDateTimePicker::SetMinDate(TDateTime value) {
  if (value != 0 && maxDate_ != 0 && DatePart(value) > DatePart(maxDate_))
    throw EDateTimeError(Format(u"Date exceeds maximum of %s", {DateToStr(maxDate_)}));
  minDate_ = value;
  if (value != 0 && !GetComponentState().Contains(csLoading) && DatePart(dateTime_) < DatePart(value))
    dateTime_ = TDateTime(DatePart(value) + TimePart(dateTime_));
  SyncWidget();
}

void TDateTimePicker::SetMaxDate(TDateTime value) {
  if (value != 0 && minDate_ != 0 && DatePart(value) < DatePart(minDate_))
    throw EDateTimeError(Format(u"Date exceeds minimum of %s", {DateToStr(minDate_)}));
  maxDate_ = value;
  if (value != 0 && !GetComponentState().Contains(csLoading) && DatePart(dateTime_) > DatePart(value))
    dateTime_ = TDateTime(DatePart(value) + TimePart(dateTime_));
  SyncWidget();
}

void TDateTimePicker::Change() {
  if (OnChange) OnChange(this);
}

void TDateTimePicker::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  }
  TWinControl::Dispatch(message);
}

// ---- TProgressBar ----

void TProgressBar::Published(TPropBuilder<TProgressBar>& p) {
  p.Int(u"Min", &TProgressBar::GetMin, &TProgressBar::SetMin).Default(0);
  p.Int(u"Max", &TProgressBar::GetMax, &TProgressBar::SetMax).Default(100);
  p.Int(u"Position", &TProgressBar::GetPosition, &TProgressBar::SetPosition).Default(0);
  p.Int(u"Step", &TProgressBar::GetStep, &TProgressBar::SetStep).Default(10);
  p.Enum(u"Orientation", ProgressOrientationType(), &TProgressBar::GetOrientation,
         &TProgressBar::SetOrientation)
      .Default(pbHorizontal);
  p.Bool(u"Smooth", &TProgressBar::GetSmooth, &TProgressBar::SetSmooth).Default(false);
}

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 16;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

QWidget* TProgressBar::CreateQtWidget(const TCreateParams& params) {
  auto* bar = new QProgressBar(ParentWidgetOf(params));
  bar->setTextVisible(false);
  return bar;
}

void TProgressBar::InitQtWidget(QWidget*) { SyncWidget(); }

void TProgressBar::SyncWidget() {
  auto* bar = static_cast<QProgressBar*>(GetWidget());
  if (!bar) return;
  bar->setOrientation(orientation_ == pbHorizontal ? Qt::Horizontal : Qt::Vertical);
  bar->setRange(min_, max_);
  bar->setValue(position_);
}

void TProgressBar::SetMin(Integer value) {
  min_ = value;
  if (max_ < min_) max_ = min_;
  position_ = std::clamp(position_, min_, max_);
  SyncWidget();
}

void TProgressBar::SetMax(Integer value) {
  max_ = value;
  if (min_ > max_) min_ = max_;
  position_ = std::clamp(position_, min_, max_);
  SyncWidget();
}

void TProgressBar::SetPosition(Integer value) {
  position_ = GetComponentState().Contains(csLoading) ? value : std::clamp(value, min_, max_);
  SyncWidget();
}

void TProgressBar::StepIt() {
  Int64 next = static_cast<Int64>(position_) + step_;
  if (next > max_) next = min_;
  if (next < min_) next = max_;
  position_ = static_cast<Integer>(next);
  SyncWidget();
}

void TProgressBar::StepBy(Integer delta) {
  Int64 next = static_cast<Int64>(position_) + delta;
  position_ = static_cast<Integer>(std::clamp<Int64>(next, min_, max_));
  SyncWidget();
}

void TProgressBar::SetOrientation(TProgressBarOrientation value) {
  if (orientation_ == value) return;
  orientation_ = value;
  if (!GetComponentState().Contains(csLoading)) SetBounds(left_, top_, height_, width_);
  SyncWidget();
}

// ---- TTrackBar ----

class TTrackBarBridge {
 public:
  static void Moved(TTrackBar* bar, int value) {
    if (bar->updating_ || value == bar->position_) return;
    bar->position_ = value;
    bar->Changed();
  }
};

void TTrackBar::Published(TPropBuilder<TTrackBar>& p) {
  p.Int(u"Min", &TTrackBar::GetMin, &TTrackBar::SetMin).Default(0);
  p.Int(u"Max", &TTrackBar::GetMax, &TTrackBar::SetMax).Default(10);
  p.Int(u"Position", &TTrackBar::GetPosition, &TTrackBar::SetPosition).Default(0);
  p.Int(u"Frequency", &TTrackBar::GetFrequency, &TTrackBar::SetFrequency).Default(1);
  p.Int(u"LineSize", &TTrackBar::GetLineSize, &TTrackBar::SetLineSize).Default(1);
  p.Int(u"PageSize", &TTrackBar::GetPageSize, &TTrackBar::SetPageSize).Default(2);
  p.Enum(u"Orientation", TrackOrientationType(), &TTrackBar::GetOrientation, &TTrackBar::SetOrientation)
      .Default(trHorizontal);
  p.Bool(u"TabStop", &TTrackBar::GetTabStop, &TTrackBar::SetTabStop).Default(true);
  p.Event(u"OnChange", &TTrackBar::OnChange);
}

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 45;
  tabStop_ = true;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

QWidget* TTrackBar::CreateQtWidget(const TCreateParams& params) {
  auto* slider = new QSlider(ParentWidgetOf(params));
  QObject::connect(slider, &QSlider::valueChanged, slider, [this](int value) {
    GuardedCall(this, [this, value] { TTrackBarBridge::Moved(this, value); });
  });
  return slider;
}

void TTrackBar::InitQtWidget(QWidget* widget) {
  widget->setFocusPolicy(Qt::StrongFocus);
  SyncWidget();
}

void TTrackBar::SyncWidget() {
  auto* slider = static_cast<QSlider*>(GetWidget());
  if (!slider) return;
  ++updating_;
  slider->setOrientation(orientation_ == trHorizontal ? Qt::Horizontal : Qt::Vertical);
  slider->setRange(min_, max_);
  slider->setSingleStep(lineSize_);
  slider->setPageStep(pageSize_);
  slider->setTickInterval(frequency_);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setValue(position_);
  --updating_;
}

void TTrackBar::SetMin(Integer value) {
  min_ = value;
  if (max_ < min_) max_ = min_;
  SetPosition(position_);
  SyncWidget();
}

void TTrackBar::SetMax(Integer value) {
  max_ = value;
  if (min_ > max_) min_ = max_;
  SetPosition(position_);
  SyncWidget();
}

void TTrackBar::SetPosition(Integer value) {
  if (!GetComponentState().Contains(csLoading)) value = std::clamp(value, min_, max_);
  if (value == position_) return;
  position_ = value;
  SyncWidget();
  if (!GetComponentState().Contains(csLoading)) Changed();
}

void TTrackBar::SetFrequency(Integer value) {
  frequency_ = std::max<Integer>(value, 1);
  SyncWidget();
}
void TTrackBar::SetLineSize(Integer value) {
  lineSize_ = value;
  SyncWidget();
}
void TTrackBar::SetPageSize(Integer value) {
  pageSize_ = value;
  SyncWidget();
}

void TTrackBar::SetOrientation(TTrackBarOrientation value) {
  if (orientation_ == value) return;
  orientation_ = value;
  if (!GetComponentState().Contains(csLoading)) SetBounds(left_, top_, height_, width_);
  SyncWidget();
}

void TTrackBar::Changed() {
  if (OnChange) OnChange(this);
}

void TTrackBar::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS;
    return;
  }
  TWinControl::Dispatch(message);
}

// ---- TCustomTabControl ----

void TCustomTabControl::Published(TPropBuilder<TCustomTabControl>& p) {
  p.Int(u"TabHeight", &TCustomTabControl::GetTabHeight, &TCustomTabControl::SetTabHeight).Default(0);
  p.Bool(u"TabStop", &TCustomTabControl::GetTabStop, &TCustomTabControl::SetTabStop).Default(true);
  p.Event(u"OnChange", &TCustomTabControl::OnChange);
  p.Event(u"OnChanging", &TCustomTabControl::OnChanging, u"TTabChangingEvent");
}

TCustomTabControl::TCustomTabControl(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = {csAcceptsControls, csDoubleClicks, csOpaque};
  width_ = 289;
  height_ = 193;
  tabStop_ = true;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

void TCustomTabControl::SetTabHeight(Integer value) {
  tabHeight_ = std::max<Integer>(value, 0);
  Realign();
  Invalidate();
}

namespace {
Integer StripHeight(TFont* font, Integer tabHeight) {
  if (tabHeight > 0) return tabHeight;
  return MeasureText(font, u"Wg").cy + 8;
}
}  // namespace

TRect TCustomTabControl::TabRect(Integer index) const {
  std::vector<String> captions = TabCaptions();
  if (index < 0 || index >= static_cast<Integer>(captions.size())) return TRect();
  Integer h = StripHeight(font_.get(), tabHeight_);
  Integer x = 2;
  for (Integer i = 0; i < index; ++i) x += MeasureText(font_.get(), captions[i]).cx + 12;
  return TRect(x, 2, x + MeasureText(font_.get(), captions[index]).cx + 12, h);
}

Integer TCustomTabControl::IndexOfTabAt(Integer x, Integer y) const {
  Integer count = static_cast<Integer>(TabCaptions().size());
  for (Integer i = 0; i < count; ++i) {
    TRect r = TabRect(i);
    if (x >= r.Left && x < r.Right && y >= 0 && y < r.Bottom) return i;
  }
  return -1;
}

TRect TCustomTabControl::GetDisplayRect() const {
  TRect r(0, 0, width_, height_);
  const_cast<TCustomTabControl*>(this)->AdjustClientRect(r);
  return r;
}

void TCustomTabControl::AdjustClientRect(TRect& rect) {
  TCustomControl::AdjustClientRect(rect);
  rect.Top += StripHeight(font_.get(), tabHeight_);
  InflateRect(&rect, -4, -4);
  rect.Top -= 2;
}

void TCustomTabControl::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect client = GetClientRect();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color_);
  canvas->FillRect(client);
  Integer h = StripHeight(font_.get(), tabHeight_);
  TRect frame(client.Left, h, client.Right, client.Bottom);
  DrawEdge(canvas->GetHandle(), &frame, EDGE_RAISED, BF_RECT);
  std::vector<String> captions = TabCaptions();
  Integer selected = SelectedTab();
  for (Integer i = 0; i < static_cast<Integer>(captions.size()); ++i) {
    TRect r = TabRect(i);
    if (i == selected) {
      InflateRect(&r, 2, 2);
      r.Bottom += 1;
    }
    canvas->GetBrush()->SetColor(color_);
    canvas->FillRect(r);
    DrawEdge(canvas->GetHandle(), &r, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
    HDC dc = canvas->GetHandle();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(IsEnabled() ? font_->GetColor() : clGrayText));
    String text = captions[i];
    DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void TCustomTabControl::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (button == mbLeft) {
    Integer index = IndexOfTabAt(x, y);
    if (index >= 0 && index != SelectedTab()) TabClicked(index);
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

void TCustomTabControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      Realign();
      Invalidate();
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(message);
}

// ---- TTabControl ----

void TTabControl::Published(TPropBuilder<TTabControl>& p) {
  p.Object(u"Tabs", &TTabControl::GetTabs, &TTabControl::SetTabs);
  p.Int(u"TabIndex", &TTabControl::GetTabIndex, &TTabControl::SetTabIndex).Default(-1);
}

TTabControl::TTabControl(TComponent* owner)
    : TCustomTabControl(owner), tabs_(std::make_unique<TStringList>()) {
  tabs_->OnChange = TNotifyEvent(this, &TTabControl::TabsChanged);
}

TTabControl::~TTabControl() { tabs_->OnChange = TNotifyEvent(); }

TStrings* TTabControl::GetTabs() const { return tabs_.get(); }
void TTabControl::SetTabs(TStrings* value) { tabs_->Assign(value); }

void TTabControl::TabsChanged(TObject*) {
  if (tabIndex_ >= tabs_->GetCount()) tabIndex_ = tabs_->GetCount() - 1;
  if (tabIndex_ < 0 && tabs_->GetCount() > 0 && !GetComponentState().Contains(csLoading)) tabIndex_ = 0;
  Invalidate();
}

void TTabControl::SetTabIndex(Integer value) {
  if (!GetComponentState().Contains(csLoading) && (value < -1 || value >= tabs_->GetCount())) value = -1;
  tabIndex_ = value;
  Invalidate();
}

std::vector<String> TTabControl::TabCaptions() const {
  std::vector<String> out;
  for (int i = 0; i < tabs_->GetCount(); ++i) out.push_back(tabs_->Get(i));
  return out;
}

void TTabControl::TabClicked(Integer index) {
  if (!CanChange()) return;
  tabIndex_ = index;
  Invalidate();
  Change();
}

// ---- TTabSheet ----

void TTabSheet::Published(TPropBuilder<TTabSheet>& p) {
  p.Object(u"PageControl", &TTabSheet::GetPageControl, &TTabSheet::SetPageControl).Stored(false);
  p.Bool(u"TabVisible", &TTabSheet::GetTabVisible, &TTabSheet::SetTabVisible).Default(true);
  p.Int(u"ImageIndex", &TTabSheet::GetImageIndex, &TTabSheet::SetImageIndex).Default(-1);
  p.Int(u"PageIndex", &TTabSheet::GetPageIndex, &TTabSheet::SetPageIndex).Stored(false);
}

TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks};
  align_ = alClient;
  visible_ = false;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* parent) {
  auto* pc = dynamic_cast<TPageControl*>(parent);
  if (pageControl_ && pageControl_ != pc) pageControl_->RemovePage(this);
  TCustomControl::SetParent(parent);
  if (pc && pageControl_ != pc) pc->InsertPage(this);
}

void TTabSheet::SetPageControl(TPageControl* value) { SetParent(value); }

Integer TTabSheet::GetPageIndex() const {
  if (!pageControl_) return -1;
  auto& pages = pageControl_->pages_;
  return static_cast<Integer>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(Integer value) {
  if (!pageControl_) return;
  auto& pages = pageControl_->pages_;
  if (value < 0 || value >= static_cast<Integer>(pages.size())) throw EListError(IndexError(value));
  pages.erase(std::find(pages.begin(), pages.end(), this));
  pages.insert(pages.begin() + value, this);
  pageControl_->Invalidate();
}

Integer TTabSheet::GetTabIndex() const {
  if (!pageControl_ || !tabVisible_) return -1;
  auto visible = pageControl_->VisiblePages();
  return static_cast<Integer>(std::find(visible.begin(), visible.end(), this) - visible.begin());
}

void TTabSheet::SetTabVisible(bool value) {
  if (tabVisible_ == value) return;
  tabVisible_ = value;
  if (!pageControl_) return;
  if (!value && pageControl_->activePage_ == this) {
    TTabSheet* next = pageControl_->FindNextPage(this, true, true);
    pageControl_->SetActivePage(next != this ? next : nullptr);
  }
  pageControl_->Invalidate();
}

void TTabSheet::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color_);
  canvas->FillRect(GetClientRect());
}

void TTabSheet::Dispatch(TMessage& message) {
  TCustomControl::Dispatch(message);
  if (message.Msg == CM_TEXTCHANGED && pageControl_) pageControl_->Invalidate();
}

// ---- TPageControl ----

void TPageControl::Published(TPropBuilder<TPageControl>& p) {
  p.Object(u"ActivePage", &TPageControl::GetActivePage, &TPageControl::SetActivePage);
}

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {
  controlStyle_ = {csDoubleClicks, csOpaque};
}

TPageControl::~TPageControl() {
  for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  page->pageControl_ = this;
  page->FreeNotification(this);
  if (!activePage_ && !GetComponentState().Contains(csLoading) && page->tabVisible_) SetActivePage(page);
  ShowActivePage();
  Invalidate();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  TTabSheet* next = activePage_ == page ? FindNextPage(page, true, true) : activePage_;
  pages_.erase(it);
  page->pageControl_ = nullptr;
  if (next == page) next = nullptr;
  activePage_ = next;
  ShowActivePage();
  Invalidate();
}

void TPageControl::Notification(TComponent* component, TOperation operation) {
  TCustomTabControl::Notification(component, operation);
  if (operation == opRemove && component == activePage_) activePage_ = nullptr;
}

TTabSheet* TPageControl::GetPage(Integer index) const {
  if (index < 0 || index >= static_cast<Integer>(pages_.size())) throw EListError(IndexError(index));
  return pages_[index];
}

Integer TPageControl::GetActivePageIndex() const {
  if (!activePage_) return -1;
  return activePage_->GetPageIndex();
}

void TPageControl::SetActivePageIndex(Integer value) {
  if (value < 0 || value >= static_cast<Integer>(pages_.size())) {
    SetActivePage(nullptr);
    return;
  }
  SetActivePage(pages_[value]);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->pageControl_ != this && !GetComponentState().Contains(csLoading))
    throw EInvalidOperation(u"Tab sheet does not belong to this page control");
  activePage_ = page;
  if (page) page->FreeNotification(this);
  ShowActivePage();
  Invalidate();
}

void TPageControl::ShowActivePage() {
  for (TTabSheet* page : pages_) page->SetVisible(page == activePage_);
  if (activePage_) activePage_->BringToFront();
  Realign();
}

std::vector<TTabSheet*> TPageControl::VisiblePages() const {
  std::vector<TTabSheet*> out;
  for (TTabSheet* page : pages_)
    if (page->tabVisible_) out.push_back(page);
  return out;
}

std::vector<String> TPageControl::TabCaptions() const {
  std::vector<String> out;
  for (TTabSheet* page : VisiblePages()) out.push_back(page->GetCaption());
  return out;
}

Integer TPageControl::SelectedTab() const { return activePage_ ? activePage_->GetTabIndex() : -1; }

void TPageControl::TabClicked(Integer index) {
  auto visible = VisiblePages();
  if (index < 0 || index >= static_cast<Integer>(visible.size())) return;
  if (!CanChange()) return;
  SetActivePage(visible[index]);
  Change();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const {
  if (pages_.empty()) return nullptr;
  Integer count = static_cast<Integer>(pages_.size());
  auto it = std::find(pages_.begin(), pages_.end(), current);
  Integer start =
      it == pages_.end() ? (goForward ? count - 1 : 0) : static_cast<Integer>(it - pages_.begin());
  Integer i = start;
  for (Integer n = 0; n < count; ++n) {
    i = goForward ? (i + 1) % count : (i + count - 1) % count;
    if (!checkTabVisible || pages_[i]->tabVisible_) return pages_[i];
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool goForward, bool checkTabVisible) {
  TTabSheet* next = FindNextPage(activePage_, goForward, checkTabVisible);
  if (!next || next == activePage_ || !CanChange()) return;
  SetActivePage(next);
  Change();
}

void TPageControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  // The pages in their order, then whatever else sits on the control.
  for (TTabSheet* page : pages_)
    if (page->GetOwner() == root) proc(page);
  for (Integer i = 0; i < GetControlCount(); ++i) {
    TControl* c = GetControl(i);
    if (!dynamic_cast<TTabSheet*>(c) && c->GetOwner() == root) proc(c);
  }
}

void TPageControl::SetChildOrder(TComponent* child, int order) {
  if (auto* page = dynamic_cast<TTabSheet*>(child); page && page->pageControl_ == this) {
    if (order >= 0 && order < static_cast<int>(pages_.size())) page->SetPageIndex(order);
    return;
  }
  TCustomTabControl::SetChildOrder(child, order);
}

void TPageControl::Loaded() {
  TCustomTabControl::Loaded();
  if (!activePage_) {
    auto visible = VisiblePages();
    if (!visible.empty()) activePage_ = visible.front();
  }
  ShowActivePage();
}

void TPageControl::Dispatch(TMessage& message) {
  if (message.Msg == CM_DIALOGKEY) {
    auto& key = reinterpret_cast<TCMDialogKey&>(message);
    TShiftState shift = KeyDataToShiftState(key.KeyData);
    if (key.CharCode == VK_TAB && shift.Contains(ssCtrl) && ContainsFocus()) {
      SelectNextPage(!shift.Contains(ssShift));
      key.Result = 1;
      return;
    }
  }
  TCustomTabControl::Dispatch(message);
}

// ---- TToolButton ----

void TToolButton::Published(TPropBuilder<TToolButton>& p) {
  p.Bool(u"AllowAllUp", &TToolButton::GetAllowAllUp, &TToolButton::SetAllowAllUp).Default(false);
  p.Bool(u"Down", &TToolButton::GetDown, &TToolButton::SetDown).Default(false);
  p.Object(u"DropdownMenu", &TToolButton::GetDropdownMenu, &TToolButton::SetDropdownMenu);
  p.Bool(u"Grouped", &TToolButton::GetGrouped, &TToolButton::SetGrouped).Default(false);
  p.Int(u"ImageIndex", &TToolButton::GetImageIndex, &TToolButton::SetImageIndex).Default(-1);
  p.Bool(u"Marked", &TToolButton::GetMarked, &TToolButton::SetMarked).Default(false);
  p.Object(u"MenuItem", &TToolButton::GetMenuItem, &TToolButton::SetMenuItem);
  p.Enum(u"Style", ToolButtonStyleType(), &TToolButton::GetStyle, &TToolButton::SetStyle).Default(tbsButton);
  p.Bool(u"Wrap", &TToolButton::GetWrap, &TToolButton::SetWrap).Default(false);
}

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) {
  controlStyle_ = {csCaptureMouse, csSetCaption, csClickEvents};
  width_ = 23;
  height_ = 22;
}

TToolButton::~TToolButton() {
  if (TToolBar* bar = GetToolBar()) bar->RemoveButton(this);
}

TToolBar* TToolButton::GetToolBar() const { return dynamic_cast<TToolBar*>(GetParent()); }

Integer TToolButton::GetIndex() const {
  TToolBar* bar = GetToolBar();
  if (!bar) return -1;
  auto it = std::find(bar->buttons_.begin(), bar->buttons_.end(), this);
  return it == bar->buttons_.end() ? -1 : static_cast<Integer>(it - bar->buttons_.begin());
}

void TToolButton::SetParent(TWinControl* parent) {
  if (TToolBar* old = GetToolBar(); old && old != parent) old->RemoveButton(this);
  TGraphicControl::SetParent(parent);
  if (auto* bar = dynamic_cast<TToolBar*>(parent)) bar->InsertButton(this);
}

void TToolButton::SetStyle(TToolButtonStyle value) {
  if (style_ == value) return;
  style_ = value;
  if (TToolBar* bar = GetToolBar()) bar->ArrangeButtons();
  Invalidate();
}

void TToolButton::SetImageIndex(Integer value) {
  imageIndex_ = value;
  Invalidate();
}

void TToolButton::SetDown(bool value) {
  if (down_ == value) return;
  if (!value && grouped_ && style_ == tbsCheck && !allowAllUp_ && !GetComponentState().Contains(csLoading)) {
    // The one down button of a group stays down unless the group allows all up.
    bool another = false;
    if (TToolBar* bar = GetToolBar()) {
      for (TToolButton* b : bar->buttons_)
        if (b != this && b->down_ && b->grouped_) another = true;
    }
    if (!another) return;
  }
  down_ = value;
  if (value) UpdateGroup();
  Invalidate();
}

// Grouped check buttons side by side (no other style between them) are exclusive.
void TToolButton::UpdateGroup() {
  TToolBar* bar = GetToolBar();
  if (!bar || !grouped_ || style_ != tbsCheck) return;
  Integer index = GetIndex();
  auto release = [&](Integer i) {
    TToolButton* b = bar->buttons_[i];
    if (!b->grouped_ || b->style_ != tbsCheck) return false;
    if (b->down_) {
      b->down_ = false;
      b->Invalidate();
    }
    return true;
  };
  for (Integer i = index - 1; i >= 0 && release(i); --i) {
  }
  for (Integer i = index + 1; i < bar->GetButtonCount() && release(i); ++i) {
  }
}

void TToolButton::SetDropdownMenu(TPopupMenu* value) {
  dropdownMenu_ = value;
  if (value) FreeNotification(reinterpret_cast<TComponent*>(value));
}

void TToolButton::SetMenuItem(TMenuItem* value) {
  menuItem_ = value;
  if (!value) return;
  FreeNotification(reinterpret_cast<TComponent*>(value));
  SetCaption(value->GetCaption());
  SetEnabled(value->GetEnabled());
  SetImageIndex(value->GetImageIndex());
}

void TToolButton::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == reinterpret_cast<TComponent*>(dropdownMenu_)) dropdownMenu_ = nullptr;
  if (component == reinterpret_cast<TComponent*>(menuItem_)) menuItem_ = nullptr;
}

void TToolButton::SetWrap(bool value) {
  wrap_ = value;
  if (TToolBar* bar = GetToolBar()) bar->ArrangeButtons();
}

void TToolButton::SetMarked(bool value) {
  marked_ = value;
  Invalidate();
}

TRect TToolButton::DropDownRect() const {
  if (style_ != tbsDropDown) return TRect();
  return TRect(width_ - 13, 0, width_, height_);
}

void TToolButton::Click() {
  if (style_ == tbsCheck) SetDown(!down_);
  if (!OnClick && menuItem_) {
    menuItem_->Click();
    return;
  }
  TGraphicControl::Click();
}

void TToolButton::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (button == mbLeft && IsEnabled() && style_ != tbsSeparator && style_ != tbsDivider) {
    TRect arrow = DropDownRect();
    if (style_ == tbsDropDown && dropdownMenu_ && x >= arrow.Left) {
      TPoint p = ClientToScreen(TPoint(0, height_));
      dropdownMenu_->Popup(p.X, p.Y);
      return;
    }
    pressed_ = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(button, shift, x, y);
}

void TToolButton::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  bool wasPressed = pressed_;
  pressed_ = false;
  if (wasPressed) Invalidate();
  // A separator takes no click.
  if (style_ == tbsSeparator || style_ == tbsDivider) {
    controlState_ >> csClicked;
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

void TToolButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
      hot_ = true;
      Invalidate();
      break;
    case CM_MOUSELEAVE:
      hot_ = false;
      Invalidate();
      break;
    case CM_TEXTCHANGED:
      if (TToolBar* bar = GetToolBar()) bar->ArrangeButtons();
      Invalidate();
      break;
    default:
      break;
  }
  TGraphicControl::Dispatch(message);
}

void TToolButton::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  TToolBar* bar = GetToolBar();
  HDC dc = canvas->GetHandle();
  TCustomStyleServices* style = StyleServices();
  if (style_ == tbsSeparator || style_ == tbsDivider) {
    if (style_ == tbsDivider) {
      TRect line(r.Width() / 2 - 1, r.Top + 2, r.Width() / 2 + 1, r.Bottom - 2);
      DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
    }
    return;
  }
  bool enabled = IsEnabled();
  bool flat = !bar || bar->GetFlat();
  TThemedToolBar part = !enabled   ? ttbButtonDisabled
                        : pressed_ ? ttbButtonPressed
                        : down_    ? (hot_ ? ttbButtonCheckedHot : ttbButtonChecked)
                        : hot_     ? ttbButtonHot
                                   : ttbButtonNormal;
  if (!flat || part != ttbButtonNormal) style->DrawElement(dc, style->GetElementDetails(part), r);
  TRect content = r;
  if (style_ == tbsDropDown) {
    TRect arrow = DropDownRect();
    content.Right = arrow.Left;
    Integer cx = arrow.Left + arrow.Width() / 2, cy = arrow.Top + arrow.Height() / 2;
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(enabled ? clBtnText : clGrayText);
    canvas->GetPen()->SetColor(enabled ? clBtnText : clGrayText);
    canvas->Polygon({TPoint(cx - 3, cy - 1), TPoint(cx + 3, cy - 1), TPoint(cx, cy + 2)});
  }
  Integer offset = (pressed_ || down_) ? 1 : 0;
  TCustomImageList* images = bar ? bar->GetImages() : nullptr;
  bool hasImage = images && imageIndex_ >= 0 && imageIndex_ < images->GetCount();
  String caption = bar && bar->GetShowCaptions() ? GetCaption() : String();
  canvas->GetFont()->Assign(font_.get());
  Integer textW = caption.empty() ? 0 : canvas->TextWidth(caption);
  Integer textH = caption.empty() ? 0 : canvas->TextHeight(caption);
  Integer imgW = hasImage ? images->GetWidth() : 0, imgH = hasImage ? images->GetHeight() : 0;
  bool list = bar && bar->GetList();
  Integer imgX, imgY, textX, textY;
  if (list) {
    Integer total = imgW + (hasImage && textW ? 4 : 0) + textW;
    imgX = content.Left + (content.Width() - total) / 2;
    imgY = (content.Height() - imgH) / 2;
    textX = imgX + imgW + (hasImage && textW ? 4 : 0);
    textY = (content.Height() - textH) / 2;
  } else {
    Integer total = imgH + (hasImage && textH ? 2 : 0) + textH;
    imgX = content.Left + (content.Width() - imgW) / 2;
    imgY = (content.Height() - total) / 2;
    textX = content.Left + (content.Width() - textW) / 2;
    textY = imgY + imgH + (hasImage && textH ? 2 : 0);
  }
  if (hasImage) images->Draw(canvas, imgX + offset, imgY + offset, imageIndex_, enabled);
  if (caption.empty()) return;
  dc = canvas->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(enabled ? font_->GetColor() : clGrayText));
  TRect tr = Bounds(textX + offset, textY + offset, textW, textH);
  DrawText(dc, caption.c_str(), static_cast<Integer>(caption.size()), &tr, DT_SINGLELINE | DT_CENTER);
}

// ---- TToolBar ----

void TToolBar::Published(TPropBuilder<TToolBar>& p) {
  p.Int(u"ButtonHeight", &TToolBar::GetButtonHeight, &TToolBar::SetButtonHeight).Default(22);
  p.Int(u"ButtonWidth", &TToolBar::GetButtonWidth, &TToolBar::SetButtonWidth).Default(23);
  p.Bool(u"Flat", &TToolBar::GetFlat, &TToolBar::SetFlat).Default(true);
  p.Object(u"Images", &TToolBar::GetImages, &TToolBar::SetImages);
  p.Int(u"Indent", &TToolBar::GetIndent, &TToolBar::SetIndent).Default(0);
  p.Bool(u"List", &TToolBar::GetList, &TToolBar::SetList).Default(false);
  p.Bool(u"ShowCaptions", &TToolBar::GetShowCaptions, &TToolBar::SetShowCaptions).Default(false);
  p.Bool(u"Wrapable", &TToolBar::GetWrapable, &TToolBar::SetWrapable).Default(true);
}

TToolBar::TToolBar(TComponent* owner) : TCustomControl(owner), imageLink_(std::make_unique<TChangeLink>()) {
  controlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csParentBackground};
  align_ = alTop;
  width_ = 150;
  height_ = 29;
  color_ = clBtnFace;
  brush_->SetColor(color_);
  imageLink_->OnChange = TNotifyEvent(this, &TToolBar::ImagesChanged);
}

TToolBar::~TToolBar() {
  if (images_) images_->UnRegisterChanges(imageLink_.get());
}

TToolButton* TToolBar::GetButton(Integer index) const {
  if (index < 0 || index >= GetButtonCount()) throw EListError(IndexError(index));
  return buttons_[index];
}

void TToolBar::InsertButton(TToolButton* button) {
  if (std::find(buttons_.begin(), buttons_.end(), button) != buttons_.end()) return;
  // A new button goes to the end; those of a form resource are put in order of position in Loaded,
  // once their Left and Top are read.
  buttons_.push_back(button);
  ArrangeButtons();
}

void TToolBar::RemoveButton(TToolButton* button) {
  auto it = std::find(buttons_.begin(), buttons_.end(), button);
  if (it == buttons_.end()) return;
  buttons_.erase(it);
  ArrangeButtons();
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == images_) images_ = nullptr;
  if (auto* b = dynamic_cast<TToolButton*>(component)) {
    auto it = std::find(buttons_.begin(), buttons_.end(), b);
    if (it != buttons_.end()) buttons_.erase(it);
  }
}

void TToolBar::SetImages(TCustomImageList* value) {
  if (images_) images_->UnRegisterChanges(imageLink_.get());
  images_ = value;
  if (value) {
    value->RegisterChanges(imageLink_.get());
    value->FreeNotification(this);
  }
  ArrangeButtons();
}

void TToolBar::ImagesChanged(TObject*) {
  ArrangeButtons();
  Invalidate();
}

void TToolBar::SetButtonWidth(Integer value) {
  buttonWidth_ = std::max<Integer>(value, 1);
  ArrangeButtons();
}
void TToolBar::SetButtonHeight(Integer value) {
  buttonHeight_ = std::max<Integer>(value, 1);
  ArrangeButtons();
}
void TToolBar::SetShowCaptions(bool value) {
  showCaptions_ = value;
  ArrangeButtons();
}
void TToolBar::SetFlat(bool value) {
  flat_ = value;
  Invalidate();
}
void TToolBar::SetList(bool value) {
  list_ = value;
  ArrangeButtons();
}
void TToolBar::SetWrapable(bool value) {
  wrapable_ = value;
  ArrangeButtons();
}
void TToolBar::SetIndent(Integer value) {
  indent_ = value;
  ArrangeButtons();
}

TSize TToolBar::ButtonSize(const TToolButton* button) const {
  TSize size{buttonWidth_, buttonHeight_};
  switch (button->style_) {
    case tbsSeparator:
    case tbsDivider:
      // A separator keeps the width it was given (the class library's default is 8).
      size.cx = button->GetWidth() > 0 && button->GetWidth() != 23 ? button->GetWidth() : 8;
      return size;
    default:
      break;
  }
  Integer imgW = images_ ? images_->GetWidth() : 0, imgH = images_ ? images_->GetHeight() : 0;
  if (showCaptions_ && !button->GetCaption().empty()) {
    Integer tw = MeasureText(font_.get(), button->GetCaption()).cx, th = MeasureText(font_.get(), u"Wg").cy;
    if (list_) {
      size.cx = std::max<Integer>(size.cx, tw + (images_ ? imgW + 4 : 0) + 10);
      size.cy = std::max<Integer>(size.cy, std::max(th, imgH) + 6);
    } else {
      size.cx = std::max<Integer>(size.cx, std::max(tw, imgW) + 10);
      size.cy = std::max<Integer>(size.cy, imgH + th + 8);
    }
  }
  if (button->style_ == tbsDropDown) size.cx += 13;
  return size;
}

void TToolBar::ArrangeButtons() {
  if (arranging_ || GetComponentState().Contains(csLoading)) return;
  arranging_ = true;
  TRect client = GetClientRect();
  Integer x = indent_, y = 0, rowHeight = 0;
  Integer maxHeight = buttonHeight_;
  for (TToolButton* b : buttons_) maxHeight = std::max<Integer>(maxHeight, ButtonSize(b).cy);
  for (TToolButton* b : buttons_) {
    if (!b->GetVisible()) continue;
    TSize size = ButtonSize(b);
    if (wrapable_ && x > indent_ && x + size.cx > client.Width() && b->style_ != tbsSeparator) {
      x = indent_;
      y += maxHeight;
    }
    b->SetBounds(x, y, size.cx, maxHeight);
    x += size.cx;
    rowHeight = maxHeight;
    if (b->wrap_) {
      x = indent_;
      y += maxHeight;
      rowHeight = 0;
    }
  }
  arranging_ = false;
  (void)rowHeight;
  Invalidate();
}

void TToolBar::AlignControls(TControl* control, TRect& rect) {
  TCustomControl::AlignControls(control, rect);
  ArrangeButtons();
}

void TToolBar::Loaded() {
  TCustomControl::Loaded();
  std::stable_sort(buttons_.begin(), buttons_.end(), [](TToolButton* a, TToolButton* b) {
    return a->GetTop() != b->GetTop() ? a->GetTop() < b->GetTop() : a->GetLeft() < b->GetLeft();
  });
  ArrangeButtons();
}

void TToolBar::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color_);
  canvas->FillRect(GetClientRect());
}

void TToolBar::Dispatch(TMessage& message) {
  TCustomControl::Dispatch(message);
  if (message.Msg == CM_FONTCHANGED) ArrangeButtons();
}

// ---- TStatusPanel and TStatusPanels ----

void TStatusPanel::Published(TPropBuilder<TStatusPanel>& p) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &TStatusPanel::GetAlignment, &TStatusPanel::SetAlignment)
      .Default(taLeftJustify);
  p.Enum(u"Bevel", PanelBevelType(), &TStatusPanel::GetBevel, &TStatusPanel::SetBevel).Default(pbLowered);
  p.Enum(u"Style", PanelStyleType(), &TStatusPanel::GetStyle, &TStatusPanel::SetStyle).Default(psText);
  p.Str(u"Text", &TStatusPanel::GetText, &TStatusPanel::SetText);
  p.Int(u"Width", &TStatusPanel::GetWidth, &TStatusPanel::SetWidth).NoDefault();
}

TStatusPanel::TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}

void TStatusPanel::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TStatusPanel*>(source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  text_ = other->text_;
  width_ = other->width_;
  alignment_ = other->alignment_;
  style_ = other->style_;
  bevel_ = other->bevel_;
  Changed(false);
}

void TStatusPanel::SetText(const String& value) {
  text_ = value;
  Changed(false);
}
void TStatusPanel::SetWidth(Integer value) {
  width_ = value;
  Changed(true);
}
void TStatusPanel::SetAlignment(TAlignment value) {
  alignment_ = value;
  Changed(false);
}
void TStatusPanel::SetStyle(TStatusPanelStyle value) {
  style_ = value;
  Changed(false);
}
void TStatusPanel::SetBevel(TStatusPanelBevel value) {
  bevel_ = value;
  Changed(false);
}

TStatusPanels::TStatusPanels(TStatusBar* statusBar)
    : TCollection(TStatusPanel::StaticClass()), statusBar_(statusBar) {}

TPersistent* TStatusPanels::GetOwner() const { return statusBar_; }

void TStatusPanels::Update(TCollectionItem*) { statusBar_->Invalidate(); }

// ---- TStatusBar ----

void TStatusBar::Published(TPropBuilder<TStatusBar>& p) {
  p.Object(u"Panels", &TStatusBar::GetPanels, &TStatusBar::SetPanels);
  p.Bool(u"SimplePanel", &TStatusBar::GetSimplePanel, &TStatusBar::SetSimplePanel).Default(false);
  p.Str(u"SimpleText", &TStatusBar::GetSimpleText, &TStatusBar::SetSimpleText);
  p.Bool(u"SizeGrip", &TStatusBar::GetSizeGrip, &TStatusBar::SetSizeGrip).Default(true);
  p.Event(u"OnDrawPanel", &TStatusBar::OnDrawPanel, u"TDrawPanelEvent");
}

TStatusBar::TStatusBar(TComponent* owner)
    : TCustomControl(owner), panels_(std::make_unique<TStatusPanels>(this)) {
  controlStyle_ = {csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
  align_ = alBottom;
  width_ = 150;
  height_ = 19;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetPanels(TStatusPanels* value) { panels_->Assign(value); }

void TStatusBar::SetSimplePanel(bool value) {
  simplePanel_ = value;
  Invalidate();
}
void TStatusBar::SetSimpleText(const String& value) {
  simpleText_ = value;
  Invalidate();
}
void TStatusBar::SetSizeGrip(bool value) {
  sizeGrip_ = value;
  Invalidate();
}

TRect TStatusBar::PanelRect(Integer index) const {
  if (index < 0 || index >= panels_->GetCount()) throw EListError(IndexError(index));
  TRect client = GetClientRect();
  Integer x = 0;
  for (Integer i = 0; i < index; ++i) x += panels_->GetItem(i)->GetWidth();
  Integer right = index == panels_->GetCount() - 1 ? client.Right : x + panels_->GetItem(index)->GetWidth();
  return TRect(x, 2, std::max(x, right), client.Bottom);
}

void TStatusBar::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect client = GetClientRect();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color_);
  canvas->FillRect(client);
  canvas->GetFont()->Assign(font_.get());
  auto drawText = [&](TRect r, const String& text, TAlignment alignment) {
    HDC dc = canvas->GetHandle();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(font_->GetColor()));
    InflateRect(&r, -3, 0);
    Cardinal flags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS |
                     (alignment == taCenter         ? DT_CENTER
                      : alignment == taRightJustify ? DT_RIGHT
                                                    : DT_LEFT);
    DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &r, flags);
  };
  if (simplePanel_ || panels_->GetCount() == 0) {
    drawText(TRect(0, 2, client.Right - (sizeGrip_ ? 14 : 0), client.Bottom),
             simplePanel_ ? simpleText_ : GetText(), taLeftJustify);
  } else {
    for (Integer i = 0; i < panels_->GetCount(); ++i) {
      TStatusPanel* panel = panels_->GetItem(i);
      TRect r = PanelRect(i);
      if (panel->GetBevel() != pbNone)
        DrawEdge(canvas->GetHandle(), &r, panel->GetBevel() == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                 BF_RECT);
      TRect inner = r;
      InflateRect(&inner, -1, -1);
      if (panel->GetStyle() == psOwnerDraw)
        DrawPanel(panel, inner);
      else
        drawText(inner, panel->GetText(), panel->GetAlignment());
    }
  }
  if (sizeGrip_) {
    TCustomStyleServices* style = StyleServices();
    TRect grip(client.Right - 14, client.Bottom - 14, client.Right, client.Bottom);
    style->DrawElement(canvas->GetHandle(), style->GetElementDetails(tsGripper), grip);
  }
}

void TStatusBar::DrawPanel(TStatusPanel* panel, const TRect& rect) {
  if (OnDrawPanel) OnDrawPanel(this, panel, rect);
}

void TStatusBar::Dispatch(TMessage& message) {
  TCustomControl::Dispatch(message);
  if (message.Msg == CM_TEXTCHANGED) Invalidate();
}

// ---- TCustomUpDown ----

void TCustomUpDown::Published(TPropBuilder<TCustomUpDown>& p) {
  p.Object(u"Associate", &TCustomUpDown::GetAssociate, &TCustomUpDown::SetAssociate);
  p.Enum(u"AlignButton", UDAlignButtonType(), &TCustomUpDown::GetAlignButton, &TCustomUpDown::SetAlignButton)
      .Default(udRight);
  p.Bool(u"ArrowKeys", &TCustomUpDown::GetArrowKeys, &TCustomUpDown::SetArrowKeys).Default(true);
  p.Int(u"Increment", &TCustomUpDown::GetIncrement, &TCustomUpDown::SetIncrement).Default(1);
  p.Int(u"Min", &TCustomUpDown::GetMin, &TCustomUpDown::SetMin).Default(0);
  p.Int(u"Max", &TCustomUpDown::GetMax, &TCustomUpDown::SetMax).Default(100);
  p.Enum(u"Orientation", UDOrientationType(), &TCustomUpDown::GetOrientation, &TCustomUpDown::SetOrientation)
      .Default(udVertical);
  p.Int(u"Position", &TCustomUpDown::GetPosition, &TCustomUpDown::SetPosition).Default(0);
  p.Bool(u"Thousands", &TCustomUpDown::GetThousands, &TCustomUpDown::SetThousands).Default(true);
  p.Bool(u"Wrap", &TCustomUpDown::GetWrap, &TCustomUpDown::SetWrap).Default(false);
  p.Event(u"OnClick", &TCustomUpDown::OnClick, u"TUDClickEvent");
  p.Event(u"OnChanging", &TCustomUpDown::OnChanging, u"TUDChangingEvent");
  p.Event(u"OnChangingEx", &TCustomUpDown::OnChangingEx, u"TUDChangingEventEx");
}

TCustomUpDown::TCustomUpDown(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = {csCaptureMouse, csDoubleClicks, csOpaque};
  width_ = 17;
  height_ = 25;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

void TCustomUpDown::SetAssociate(TWinControl* value) {
  if (value == this) throw EInvalidOperation(u"Cannot associate an up-down control with itself");
  associate_ = value;
  if (!value) return;
  value->FreeNotification(this);
  if (GetComponentState().Contains(csLoading)) return;
  PlaceBesideAssociate();
  WriteAssociate();
}

void TCustomUpDown::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == opRemove && component == associate_) associate_ = nullptr;
}

void TCustomUpDown::Loaded() {
  TCustomControl::Loaded();
  if (associate_) {
    PlaceBesideAssociate();
    WriteAssociate();
  }
}

// Takes the associate's right (or left) edge: the associate gives up the up-down's width, unless the
// up-down sits there already (a form resource saved after the first placing).
void TCustomUpDown::PlaceBesideAssociate() {
  if (!associate_ || associate_->GetParent() != GetParent()) return;
  Integer w = width_;
  TRect a = associate_->GetBoundsRect();
  bool beside = alignButton_ == udRight ? left_ == a.Right : left_ + w == a.Left;
  if (beside) {
    SetBounds(left_, a.Top, w, a.Height());
    return;
  }
  if (alignButton_ == udRight) {
    associate_->SetBounds(a.Left, a.Top, std::max<Integer>(a.Width() - w, 0), a.Height());
    SetBounds(a.Left + std::max<Integer>(a.Width() - w, 0), a.Top, w, a.Height());
  } else {
    associate_->SetBounds(a.Left + w, a.Top, std::max<Integer>(a.Width() - w, 0), a.Height());
    SetBounds(a.Left, a.Top, w, a.Height());
  }
}

void TCustomUpDown::ReadAssociate() {
  if (!associate_) return;
  String text = associate_->GetText();
  String digits;
  for (Char c : text)
    if (c != FormatSettings.ThousandSeparator && c != u' ' && c != u'\u00A0') digits += c;
  Integer value;
  if (TryStrToInt(digits, value)) position_ = static_cast<SmallInt>(std::clamp<Integer>(value, min_, max_));
}

void TCustomUpDown::WriteAssociate() {
  if (!associate_) return;
  String text = IntToStr(static_cast<int>(position_));
  if (thousands_ && std::abs(static_cast<int>(position_)) >= 1000) {
    String sign = position_ < 0 ? String(u"-") : String();
    String digits = sign.empty() ? text : text.substr(1);
    String grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
      if (i > 0 && (digits.size() - i) % 3 == 0) grouped += FormatSettings.ThousandSeparator;
      grouped += digits[i];
    }
    text = sign + grouped;
  }
  associate_->SetText(text);
}

SmallInt TCustomUpDown::GetPosition() const {
  const_cast<TCustomUpDown*>(this)->ReadAssociate();
  return position_;
}

void TCustomUpDown::SetPosition(SmallInt value) {
  if (!GetComponentState().Contains(csLoading))
    value = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
  position_ = value;
  WriteAssociate();
}

void TCustomUpDown::SetMin(SmallInt value) {
  min_ = value;
  if (!GetComponentState().Contains(csLoading)) SetPosition(position_);
}

void TCustomUpDown::SetMax(SmallInt value) {
  max_ = value;
  if (!GetComponentState().Contains(csLoading)) SetPosition(position_);
}

void TCustomUpDown::SetThousands(bool value) {
  thousands_ = value;
  WriteAssociate();
}

void TCustomUpDown::SetOrientation(TUDOrientation value) {
  if (orientation_ == value) return;
  orientation_ = value;
  if (!GetComponentState().Contains(csLoading)) SetBounds(left_, top_, height_, width_);
  Invalidate();
}

void TCustomUpDown::SetAlignButton(TUDAlignButton value) {
  alignButton_ = value;
  if (!GetComponentState().Contains(csLoading)) PlaceBesideAssociate();
}

bool TCustomUpDown::CanChange(SmallInt newValue, TUpDownDirection direction) {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (allow && OnChangingEx) OnChangingEx(this, allow, newValue, direction);
  return allow;
}

void TCustomUpDown::Click(TUDBtnType button) {
  if (OnClick) OnClick(this, button);
}

void TCustomUpDown::Press(TUDBtnType button) {
  ReadAssociate();
  Integer lo = std::min(min_, max_), hi = std::max(min_, max_);
  // With Min above Max the up button counts down, as the system's control does.
  Integer step = min_ <= max_ ? increment_ : -increment_;
  Integer next = position_ + (button == btNext ? step : -step);
  if (next > hi) next = wrap_ ? lo : hi;
  if (next < lo) next = wrap_ ? hi : lo;
  auto newValue = static_cast<SmallInt>(next);
  if (newValue != position_) {
    if (!CanChange(newValue, button == btNext ? updUp : updDown)) return;
    position_ = newValue;
    WriteAssociate();
  }
  Click(button);
}

void TCustomUpDown::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !IsEnabled()) return;
  // The up (or right) half is the next value.
  bool next = orientation_ == udVertical ? y < height_ / 2 : x >= width_ / 2;
  pressed_ = next ? 0 : 1;
  Invalidate();
  if (associate_ && associate_->CanFocus()) associate_->SetFocus();
  Press(next ? btNext : btPrev);
}

void TCustomUpDown::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  pressed_ = -1;
  Invalidate();
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomUpDown::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  TCustomStyleServices* style = StyleServices();
  HDC dc = canvas->GetHandle();
  bool enabled = IsEnabled();
  TRect first = r, second = r;
  if (orientation_ == udVertical) {
    first.Bottom = r.Height() / 2;
    second.Top = first.Bottom;
  } else {
    first.Right = r.Width() / 2;
    second.Left = first.Right;
  }
  // first is up (or left: the previous value), second down (or right: the next value).
  TThemedSpin up = !enabled                                           ? tsUpDisabled
                   : pressed_ == (orientation_ == udVertical ? 0 : 1) ? tsUpPressed
                                                                      : tsUpNormal;
  TThemedSpin down = !enabled                                           ? tsDownDisabled
                     : pressed_ == (orientation_ == udVertical ? 1 : 0) ? tsDownPressed
                                                                        : tsDownNormal;
  style->DrawElement(dc, style->GetElementDetails(up), first);
  style->DrawElement(dc, style->GetElementDetails(down), second);
}
