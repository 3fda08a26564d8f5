// The one-line edit over QLineEdit and the memo over QPlainTextEdit: text, selection, Modified,
// CharCase, MaxLength, undo, clipboard, the change event and the edit window messages.
#include "platform/controls/StdEdits.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/classes/StringList.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Mask.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Strings.h"

namespace {

QLineEdit* LineOf(QWidget* w) { return qobject_cast<QLineEdit*>(w); }
QPlainTextEdit* PlainOf(QWidget* w) { return qobject_cast<QPlainTextEdit*>(w); }

// The memo's window text breaks lines with CR LF; Qt's with LF.
QString ToQtLines(const String& s) {
  String out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r') {
      out += u'\n';
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else {
      out += s[i];
    }
  }
  return ToQString(out);
}

String FromQtLines(const QString& q) {
  String s = FromQString(q);
  String out;
  out.reserve(s.size() + s.size() / 16);
  for (Char c : s) {
    if (c == u'\n' || c == u'\u2029') {
      out += u"\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

// Positions in the CR LF text and in Qt's text.
Integer QtToWinPos(const QString& text, int pos) {
  Integer result = pos;
  for (int i = 0; i < pos && i < text.size(); ++i)
    if (text[i] == u'\n' || text[i] == QChar(0x2029)) ++result;
  return result;
}

int WinToQtPos(const QString& text, Integer pos) {
  Integer win = 0;
  int i = 0;
  for (; i < text.size() && win < pos; ++i) win += (text[i] == u'\n' || text[i] == QChar(0x2029)) ? 2 : 1;
  return i;
}

String FirstLine(const String& s) {
  size_t end = s.find_first_of(u"\r\n");
  return end == String::npos ? s : s.substr(0, end);
}

}  // namespace

// ---- TEditBridge: Qt's change signal back into the control ----

class TEditBridge {
 public:
  static void Changed(TCustomEdit* edit) {
    bool byUser = !edit->settingText_;
    if (byUser) {
      edit->modified_ = true;
      // Text that reached the widget past our key handling (a drop, Qt's own menu) still gets
      // the case rule.
      if (edit->charCase_ != ecNormal && !edit->userEdit_) {
        String text = edit->GetTextValue();
        String converted = edit->CaseConverted(text);
        if (converted != text) {
          Integer caret = edit->GetSelStart();
          edit->userEdit_ = true;
          edit->SetTextByUser(converted, caret);
          edit->userEdit_ = false;
          return;
        }
      }
    }
    edit->Perform(CM_TEXTCHANGED);
    edit->Change();
  }
};

// ---- TCustomEdit ----

void TCustomEdit::Published(TPropBuilder<TCustomEdit>& p) {
  static const TTypeInfo charCaseType =
      TTypeInfo::Enum(u"TEditCharCase", {u"ecNormal", u"ecUpperCase", u"ecLowerCase"});
  static const TTypeInfo borderStyleType = TTypeInfo::Enum(u"TBorderStyle", {u"bsNone", u"bsSingle"});
  p.Bool(u"ReadOnly", &TCustomEdit::GetReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  p.Int(u"MaxLength", &TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength).Default(0);
  p.Char(u"PasswordChar", &TCustomEdit::GetPasswordChar, &TCustomEdit::SetPasswordChar).Default(0);
  p.Enum(u"CharCase", &charCaseType, &TCustomEdit::GetCharCase, &TCustomEdit::SetCharCase).Default(0);
  p.Bool(u"AutoSelect", &TCustomEdit::GetAutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  p.Bool(u"HideSelection", &TCustomEdit::GetHideSelection, &TCustomEdit::SetHideSelection).Default(true);
  p.Enum(u"Alignment", TypeInfoAlignment(), &TCustomEdit::GetAlignment, &TCustomEdit::SetAlignment)
      .Default(taLeftJustify);
  p.Enum(u"BorderStyle", &borderStyleType, &TCustomEdit::GetBorderStyle, &TCustomEdit::SetBorderStyle)
      .Default(bsSingle);
  p.Str(u"Text", &TCustomEdit::GetText, &TCustomEdit::SetText);
  p.Bool(u"TabStop", &TCustomEdit::GetTabStop, &TCustomEdit::SetTabStop).Default(true);
  p.Event(u"OnChange", &TCustomEdit::OnChange);
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  controlStyle_ = {csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
  width_ = 121;
  height_ = 21;
  tabStop_ = true;
  color_ = clWindow;
  brush_->SetColor(color_);
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  if (borderStyle_ == bsSingle) params.ExStyle |= WS_EX_CLIENTEDGE;
}

QWidget* TCustomEdit::CreateQtWidget(const TCreateParams& params) {
  QWidget* parentWidget = nullptr;
  if (TWinControlHost* h = FindHost(params.WndParent)) parentWidget = h->Widget();
  auto* edit = new QLineEdit(parentWidget);
  QObject::connect(edit, &QLineEdit::textChanged, edit,
                   [this](const QString&) { GuardedCall(this, [this] { TEditBridge::Changed(this); }); });
  return edit;
}

void TCustomEdit::InitQtWidget(QWidget* widget) {
  auto* edit = static_cast<QLineEdit*>(widget);
  settingText_ = true;
  // The limit is ours (typing and pasting); Qt's would cut text set from code.
  edit->setMaxLength(32767);
  // Making the window is no change of the text.
  edit->blockSignals(true);
  edit->setText(ToQString(text_));
  edit->blockSignals(false);
  settingText_ = false;
  edit->setReadOnly(readOnly_);
  edit->setEchoMode(passwordChar_ ? QLineEdit::Password : QLineEdit::Normal);
  edit->setFont(ToQFont(font_.get()));
  edit->setFocusPolicy(Qt::StrongFocus);
  edit->setFrame(borderStyle_ == bsSingle);
  ApplyMargins();
  SetAlignment(alignment_);
}

String TCustomEdit::GetTextValue() const {
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w)) return FromQString(edit->text());
  if (auto* plain = PlainOf(w)) return FromQtLines(plain->toPlainText());
  return text_;
}

void TCustomEdit::SetTextValue(const String& value) {
  String converted = CaseConverted(value);
  String old = GetTextValue();
  text_ = converted;
  QWidget* w = GetWidget();
  settingText_ = true;
  if (auto* edit = LineOf(w))
    edit->setText(ToQString(converted));
  else if (auto* plain = PlainOf(w))
    plain->setPlainText(ToQtLines(converted));
  settingText_ = false;
  modified_ = false;
  // Without a window no signal comes; code that sets the text still hears of it, except while the
  // form is being read.
  if (!w && old != converted && !GetComponentState().Contains(csLoading)) Change();
}

void TCustomEdit::SetTextByUser(const String& value, Integer caret, Integer selLength) {
  HandleNeeded();
  QWidget* w = GetWidget();
  text_ = value;
  if (auto* edit = LineOf(w)) {
    edit->setText(ToQString(value));
  } else if (auto* plain = PlainOf(w)) {
    plain->setPlainText(ToQtLines(value));
  }
  SetSelection(caret, selLength);
}

String TCustomEdit::CaseConverted(const String& value) const {
  switch (charCase_) {
    case ecUpperCase:
      return AnsiUpperCase(value);
    case ecLowerCase:
      return AnsiLowerCase(value);
    default:
      return value;
  }
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::DoEnter() {
  if (autoSelect_ && !IsMultiLine()) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == 0) return;
  bool ctrl = shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
  bool shiftOnly = shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
  // The clipboard keys go through our operations, so that the length limit, the case rule and a
  // mask apply to what they bring.
  if ((ctrl && key == 'V' && !shift.Contains(ssShift)) || (shiftOnly && key == VK_INSERT)) {
    PasteFromClipboard();
    key = 0;
  } else if ((ctrl && key == 'X' && !shift.Contains(ssShift)) || (shiftOnly && key == VK_DELETE)) {
    CutToClipboard();
    key = 0;
  } else if (ctrl && key == 'Z' && !shift.Contains(ssShift)) {
    Undo();
    key = 0;
  }
}

void TCustomEdit::KeyPress(Char& key) {
  TWinControl::KeyPress(key);
  if (key < 32 || readOnly_) return;
  if (charCase_ == ecUpperCase)
    key = AnsiUpperChar(key);
  else if (charCase_ == ecLowerCase)
    key = AnsiLowerChar(key);
  if (maxLength_ > 0 && GetTextLen() - GetSelLength() >= maxLength_) key = 0;
}

bool TCustomEdit::InsertTyped(String text) {
  text = CaseConverted(text);
  if (!IsMultiLine()) text = FirstLine(text);
  if (maxLength_ > 0) {
    Integer room = maxLength_ - (GetTextLen() - GetSelLength());
    if (room <= 0) return false;
    if (static_cast<Integer>(text.size()) > room) text.resize(static_cast<size_t>(room));
  }
  HandleNeeded();
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w))
    edit->insert(ToQString(text));
  else if (auto* plain = PlainOf(w))
    plain->insertPlainText(ToQtLines(text));
  return true;
}

void TCustomEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
      return;
    case CM_TEXTCHANGED:
      return;
    case EM_GETSEL: {
      Integer start = GetSelStart();
      Integer end = start + GetSelLength();
      if (message.WParam) *reinterpret_cast<DWORD*>(message.WParam) = static_cast<DWORD>(start);
      if (message.LParam) *reinterpret_cast<DWORD*>(message.LParam) = static_cast<DWORD>(end);
      message.Result = MAKELONG(static_cast<Word>(start), static_cast<Word>(end));
      return;
    }
    case EM_SETSEL: {
      auto start = static_cast<Integer>(static_cast<NativeInt>(message.WParam));
      auto end = static_cast<Integer>(message.LParam);
      Integer length = GetTextLen();
      if (start < 0) {
        SetSelection(GetSelStart(), 0);
        return;
      }
      if (end < 0 || end > length) end = length;
      start = std::min(start, length);
      SetSelection(start, end - start);
      return;
    }
    case EM_REPLACESEL:
      SetSelText(message.LParam ? String(reinterpret_cast<const Char*>(message.LParam)) : String());
      return;
    case EM_SETMARGINS:
      if (message.WParam & EC_LEFTMARGIN) leftMargin_ = LOWORD(static_cast<std::uintptr_t>(message.LParam));
      if (message.WParam & EC_RIGHTMARGIN) rightMargin_ = HIWORD(static_cast<std::uintptr_t>(message.LParam));
      ApplyMargins();
      return;
    case EM_GETMARGINS:
      message.Result = MAKELONG(static_cast<Word>(leftMargin_), static_cast<Word>(rightMargin_));
      return;
    case EM_GETMODIFY:
      message.Result = modified_ ? 1 : 0;
      return;
    case EM_SETMODIFY:
      modified_ = message.WParam != 0;
      return;
    case EM_SETREADONLY:
      SetReadOnly(message.WParam != 0);
      message.Result = 1;
      return;
    case EM_LIMITTEXT:
      SetMaxLength(static_cast<Integer>(message.WParam));
      return;
    case EM_SETPASSWORDCHAR:
      SetPasswordChar(static_cast<Char>(message.WParam));
      return;
    case EM_CANUNDO:
      message.Result = CanUndo() ? 1 : 0;
      return;
    case EM_UNDO:
    case WM_UNDO:
      message.Result = UndoImpl() ? 1 : 0;
      return;
    case EM_EMPTYUNDOBUFFER:
      ClearUndo();
      return;
    case WM_CUT:
      CutToClipboardImpl();
      return;
    case WM_COPY:
      CopyToClipboard();
      return;
    case WM_PASTE:
      PasteFromClipboardImpl();
      return;
    case WM_CLEAR:
      ClearSelectionImpl();
      return;
    default:
      TWinControl::Dispatch(message);
  }
}

void TCustomEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w)) edit->setReadOnly(value);
  if (auto* plain = PlainOf(w)) plain->setReadOnly(value);
}

void TCustomEdit::SetMaxLength(Integer value) { maxLength_ = value < 0 ? 0 : value; }

void TCustomEdit::SetPasswordChar(Char value) {
  passwordChar_ = value;
  if (auto* edit = LineOf(GetWidget())) edit->setEchoMode(value ? QLineEdit::Password : QLineEdit::Normal);
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (value < ecNormal || value > ecLowerCase) value = ecNormal;
  if (charCase_ == value) return;
  charCase_ = value;
  String text = GetTextValue();
  String converted = CaseConverted(text);
  if (converted != text) {
    bool modified = modified_;
    SetTextValue(converted);
    modified_ = modified;
  }
}

void TCustomEdit::SetAlignment(TAlignment value) {
  alignment_ = value;
  Qt::Alignment a = value == taRightJustify ? Qt::AlignRight
                    : value == taCenter     ? Qt::AlignHCenter
                                            : Qt::AlignLeft;
  if (auto* edit = LineOf(GetWidget())) edit->setAlignment(a | Qt::AlignVCenter);
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomEdit::ApplyMargins() {
  if (auto* edit = LineOf(GetWidget())) edit->setTextMargins(leftMargin_, 0, rightMargin_, 0);
  if (auto* plain = PlainOf(GetWidget())) {
    QTextDocument* doc = plain->document();
    doc->setDocumentMargin(std::max(leftMargin_, rightMargin_));
  }
}

Integer TCustomEdit::GetSelStart() const {
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w))
    return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
  if (auto* plain = PlainOf(w)) return QtToWinPos(plain->toPlainText(), plain->textCursor().selectionStart());
  return 0;
}

void TCustomEdit::SetSelStart(Integer value) { SetSelection(value, 0); }

Integer TCustomEdit::GetSelLength() const {
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w)) return static_cast<Integer>(edit->selectedText().size());
  if (auto* plain = PlainOf(w)) {
    QTextCursor c = plain->textCursor();
    QString text = plain->toPlainText();
    return QtToWinPos(text, c.selectionEnd()) - QtToWinPos(text, c.selectionStart());
  }
  return 0;
}

void TCustomEdit::SetSelLength(Integer value) { SetSelection(GetSelStart(), value); }

void TCustomEdit::SetSelection(Integer start, Integer length) {
  HandleNeeded();
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w)) {
    Integer size = static_cast<Integer>(edit->text().size());
    start = std::clamp<Integer>(start, 0, size);
    length = std::clamp<Integer>(length, -start, size - start);
    if (length == 0)
      edit->setCursorPosition(start);
    else
      edit->setSelection(start, length);
  } else if (auto* plain = PlainOf(w)) {
    QString text = plain->toPlainText();
    QTextCursor c = plain->textCursor();
    int qStart = WinToQtPos(text, std::max<Integer>(0, start));
    int qEnd = WinToQtPos(text, std::max<Integer>(0, start + length));
    c.setPosition(qStart);
    c.setPosition(qEnd, QTextCursor::KeepAnchor);
    plain->setTextCursor(c);
  }
}

String TCustomEdit::GetSelText() const {
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w)) return FromQString(edit->selectedText());
  if (auto* plain = PlainOf(w)) return FromQtLines(plain->textCursor().selectedText());
  return String();
}

void TCustomEdit::SetSelText(const String& value) {
  HandleNeeded();
  QWidget* w = GetWidget();
  String text = CaseConverted(value);
  if (auto* edit = LineOf(w))
    edit->insert(ToQString(text));
  else if (auto* plain = PlainOf(w))
    plain->insertPlainText(ToQtLines(text));
}

void TCustomEdit::SelectAll() {
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w)) edit->selectAll();
  if (auto* plain = PlainOf(w)) plain->selectAll();
}

void TCustomEdit::Clear() { SetText(String()); }

void TCustomEdit::ClearSelection() { ClearSelectionImpl(); }

void TCustomEdit::CopyToClipboard() {
  // A password is not handed out.
  if (passwordChar_ != 0) return;
  String selected = GetSelText();
  if (!selected.empty()) Clipboard()->SetAsText(selected);
}

void TCustomEdit::CutToClipboard() { CutToClipboardImpl(); }
void TCustomEdit::PasteFromClipboard() { PasteFromClipboardImpl(); }
void TCustomEdit::Undo() { UndoImpl(); }
bool TCustomEdit::CanUndo() const { return CanUndoImpl(); }
void TCustomEdit::ClearUndo() { ClearUndoImpl(); }

void TCustomEdit::CutToClipboardImpl() {
  if (passwordChar_ != 0 || GetSelLength() == 0) return;
  CopyToClipboard();
  if (!readOnly_) ClearSelectionImpl();
}

void TCustomEdit::PasteFromClipboardImpl() {
  if (readOnly_ || !Clipboard()->HasFormat(CF_TEXT)) return;
  InsertTyped(Clipboard()->GetAsText());
}

void TCustomEdit::ClearSelectionImpl() {
  if (readOnly_ || GetSelLength() == 0) return;
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w)) edit->del();
  if (auto* plain = PlainOf(w)) plain->textCursor().removeSelectedText();
}

bool TCustomEdit::UndoImpl() {
  if (readOnly_ || !CanUndoImpl()) return false;
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w)) edit->undo();
  if (auto* plain = PlainOf(w)) plain->undo();
  return true;
}

bool TCustomEdit::CanUndoImpl() const {
  QWidget* w = GetWidget();
  if (auto* edit = LineOf(w)) return edit->isUndoAvailable();
  if (auto* plain = PlainOf(w)) return plain->document()->isUndoAvailable();
  return false;
}

void TCustomEdit::ClearUndoImpl() {
  QWidget* w = GetWidget();
  if (auto* plain = PlainOf(w)) {
    plain->document()->clearUndoRedoStacks();
    return;
  }
  auto* edit = LineOf(w);
  if (!edit) return;
  // Setting the text is the line edit's only way to forget its history.
  int start = edit->selectionStart();
  int length = static_cast<int>(edit->selectedText().size());
  int cursor = edit->cursorPosition();
  QString text = edit->text();
  settingText_ = true;
  edit->blockSignals(true);
  edit->setText(QString());
  edit->setText(text);
  edit->blockSignals(false);
  settingText_ = false;
  if (length > 0)
    edit->setSelection(cursor == start ? start + length : start, cursor == start ? -length : length);
  else
    edit->setCursorPosition(cursor);
}

// ---- The memo's lines ----

class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TCustomMemo* memo) : memo_(memo) {}

  String Get(int index) const override {
    std::vector<String> lines = Lines(nullptr);
    if (index < 0 || index >= static_cast<int>(lines.size())) IndexError(index);
    return lines[static_cast<size_t>(index)];
  }
  int GetCount() const override { return static_cast<int>(Lines(nullptr).size()); }
  void Put(int index, const String& s) override {
    bool trailing = false;
    std::vector<String> lines = Lines(&trailing);
    if (index < 0 || index >= static_cast<int>(lines.size())) IndexError(index);
    lines[static_cast<size_t>(index)] = s;
    Store(lines, trailing);
  }
  void Clear() override { memo_->SetText(String()); }
  void Delete(int index) override {
    bool trailing = false;
    std::vector<String> lines = Lines(&trailing);
    if (index < 0 || index >= static_cast<int>(lines.size())) IndexError(index);
    lines.erase(lines.begin() + index);
    Store(lines, trailing);
  }
  void Insert(int index, const String& s) override {
    bool trailing = false;
    std::vector<String> lines = Lines(&trailing);
    if (index < 0 || index > static_cast<int>(lines.size())) IndexError(index);
    // A line added at the end ends with a line break, as the window's own insertion leaves it.
    if (index == static_cast<int>(lines.size())) trailing = true;
    lines.insert(lines.begin() + index, s);
    Store(lines, trailing);
  }
  String GetText() const override { return memo_->GetText(); }
  void SetText(const String& text) override { memo_->SetText(text); }

 private:
  // The lines of the text; a final line break does not start a line of its own.
  std::vector<String> Lines(bool* trailing) const {
    String text = memo_->GetText();
    std::vector<String> lines;
    if (trailing) *trailing = false;
    if (text.empty()) return lines;
    size_t start = 0;
    while (true) {
      size_t end = text.find(u"\r\n", start);
      if (end == String::npos) {
        if (start < text.size())
          lines.push_back(text.substr(start));
        else if (trailing)
          *trailing = true;
        break;
      }
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }
  void Store(const std::vector<String>& lines, bool trailing) {
    String text;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) text += u"\r\n";
      text += lines[i];
    }
    if (trailing && !lines.empty()) text += u"\r\n";
    memo_->SetText(text);
  }

  TCustomMemo* memo_;
};

// ---- TCustomMemo ----

void TCustomMemo::Published(TPropBuilder<TCustomMemo>& p) {
  static const TTypeInfo scrollStyleType =
      TTypeInfo::Enum(u"TScrollStyle", {u"ssNone", u"ssHorizontal", u"ssVertical", u"ssBoth"});
  p.Object(u"Lines", &TCustomMemo::GetLines, &TCustomMemo::SetLines);
  p.Enum(u"ScrollBars", &scrollStyleType, &TCustomMemo::GetScrollBars, &TCustomMemo::SetScrollBars)
      .Default(ssNone);
  p.Bool(u"WordWrap", &TCustomMemo::GetWordWrap, &TCustomMemo::SetWordWrap).Default(true);
  p.Bool(u"WantReturns", &TCustomMemo::GetWantReturns, &TCustomMemo::SetWantReturns).Default(true);
  p.Bool(u"WantTabs", &TCustomMemo::GetWantTabs, &TCustomMemo::SetWantTabs).Default(false);
}

TCustomMemo::TCustomMemo(TComponent* owner)
    : TCustomEdit(owner), lines_(std::make_unique<TMemoStrings>(this)) {
  controlStyle_.Exclude(csFixedHeight);
  width_ = 185;
  height_ = 89;
  SetAutoSelect(false);
}

TCustomMemo::~TCustomMemo() = default;

TStrings* TCustomMemo::GetLines() const { return lines_.get(); }

void TCustomMemo::SetLines(TStrings* value) {
  if (value) lines_->Assign(value);
}

QWidget* TCustomMemo::CreateQtWidget(const TCreateParams& params) {
  QWidget* parentWidget = nullptr;
  if (TWinControlHost* h = FindHost(params.WndParent)) parentWidget = h->Widget();
  auto* memo = new QPlainTextEdit(parentWidget);
  QObject::connect(memo, &QPlainTextEdit::textChanged, memo,
                   [this] { GuardedCall(this, [this] { TEditBridge::Changed(this); }); });
  return memo;
}

void TCustomMemo::InitQtWidget(QWidget* widget) {
  auto* memo = static_cast<QPlainTextEdit*>(widget);
  settingText_ = true;
  memo->blockSignals(true);
  memo->setPlainText(ToQtLines(text_));
  memo->blockSignals(false);
  settingText_ = false;
  memo->setReadOnly(GetReadOnly());
  memo->setFont(ToQFont(font_.get()));
  memo->setFocusPolicy(Qt::StrongFocus);
  memo->setTabChangesFocus(false);
  memo->setFrameShape(GetBorderStyle() == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
  SetScrollBars(scrollBars_);
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
  scrollBars_ = value;
  if (auto* memo = PlainOf(GetWidget())) {
    bool horz = value == ssHorizontal || value == ssBoth;
    bool vert = value == ssVertical || value == ssBoth;
    memo->setHorizontalScrollBarPolicy(horz ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  }
  SetWordWrap(wordWrap_);
}

void TCustomMemo::SetWordWrap(bool value) {
  wordWrap_ = value;
  // A horizontal scroll bar means long lines stay long.
  bool wrap = value && scrollBars_ != ssHorizontal && scrollBars_ != ssBoth;
  if (auto* memo = PlainOf(GetWidget()))
    memo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

TPoint TCustomMemo::GetCaretPos() const {
  auto* memo = PlainOf(GetWidget());
  if (!memo) return TPoint(0, 0);
  QTextCursor c = memo->textCursor();
  return TPoint(c.positionInBlock(), c.blockNumber());
}

void TCustomMemo::SetCaretPos(TPoint value) {
  HandleNeeded();
  auto* memo = PlainOf(GetWidget());
  QTextBlock block = memo->document()->findBlockByNumber(std::max(0, value.Y));
  if (!block.isValid()) block = memo->document()->lastBlock();
  QTextCursor c(block);
  c.setPosition(block.position() + std::clamp(value.X, 0, block.length() - 1));
  memo->setTextCursor(c);
}

void TCustomMemo::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
    if (wantReturns_) message.Result |= DLGC_WANTALLKEYS;
    if (wantTabs_) message.Result |= DLGC_WANTTAB;
    return;
  }
  TCustomEdit::Dispatch(message);
}

void TCustomMemo::KeyDown(Word& key, TShiftState shift) {
  TCustomEdit::KeyDown(key, shift);
  if (key == VK_RETURN && !wantReturns_ && !shift.Contains(ssCtrl)) key = 0;
  if (key == VK_TAB && !wantTabs_) key = 0;
}

void TCustomMemo::KeyPress(Char& key) {
  // NOLINTNEXTLINE(bugprone-parent-virtual-call): a memo's own typing rules follow
  TWinControl::KeyPress(key);
  if ((key == u'\r' && !wantReturns_ && GetKeyState(VK_CONTROL) >= 0) || (key == u'\t' && !wantTabs_)) {
    key = 0;
    return;
  }
  if (key < 32 && key != u'\r' && key != u'\t') return;
  if (GetReadOnly()) return;
  if (GetCharCase() == ecUpperCase) key = AnsiUpperChar(key);
  if (GetCharCase() == ecLowerCase) key = AnsiLowerChar(key);
  Integer added = key == u'\r' ? 2 : 1;
  if (GetMaxLength() > 0 && GetTextLen() - GetSelLength() + added > GetMaxLength()) key = 0;
}
