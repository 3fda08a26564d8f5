// The edit-mask routines, the mask engine and the masked edit control that drives it with the
// keyboard, the mouse and the clipboard.
#include "platform/controls/Mask.h"

#include <QChar>
#include <QLineEdit>

#include "platform/controls/Clipbrd.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

namespace {

constexpr Char kDirReverse = u'!';
constexpr Char kDirUpper = u'>';
constexpr Char kDirLower = u'<';
constexpr Char kDirLiteral = u'\\';

Char At(const String& s, Integer index1) { return s[static_cast<size_t>(index1 - 1)]; }
Integer Len(const String& s) { return static_cast<Integer>(s.size()); }

bool IsLetter(Char c) { return QChar(c).isLetter(); }
bool IsDigit(Char c) { return c >= u'0' && c <= u'9'; }

// Whether c fits the mask character; optional positions also take a space (no character).
bool Fits(Char maskChar, Char c, bool required) {
  if (!required && c == u' ') return true;
  switch (maskChar) {
    case u'L':
    case u'l':
      return IsLetter(c);
    case u'A':
    case u'a':
      return IsLetter(c) || IsDigit(c);
    case u'C':
    case u'c':
      return c >= 32;
    case u'0':
    case u'9':
      return IsDigit(c);
    case u'#':
      return IsDigit(c) || c == u'+' || c == u'-';
    default:
      return false;
  }
}

}  // namespace

// ---- The mask routines ----

TMaskCharType MaskGetCharType(const String& editMask, Integer maskOffset) {
  Integer length = Len(editMask);
  if (maskOffset < 1 || maskOffset > length) return mcNone;
  Char c = At(editMask, maskOffset);
  // A character after an unescaped backslash is a literal.
  if (maskOffset > 1 && At(editMask, maskOffset - 1) == kDirLiteral &&
      !(maskOffset > 2 && At(editMask, maskOffset - 2) == kDirLiteral))
    return mcLiteral;
  // The fields live in the last four characters: ";1;_".
  if (c == MaskFieldSeparator && length >= 4 && maskOffset > length - 4) return mcFieldSeparator;
  if (length >= 4 && maskOffset > length - 4 && maskOffset > 1 &&
      At(editMask, maskOffset - 1) == MaskFieldSeparator &&
      !(maskOffset > 2 && At(editMask, maskOffset - 2) == kDirLiteral))
    return mcField;
  switch (c) {
    case u':':
    case u'/':
    case u'_':
      return mcIntlLiteral;
    case kDirReverse:
    case kDirUpper:
    case kDirLower:
    case kDirLiteral:
      return mcDirective;
    case u'l':
    case u'a':
    case u'c':
    case u'#':
    case u'9':
      return mcMaskOpt;
    case u'L':
    case u'A':
    case u'C':
    case u'0':
      return mcMask;
    default:
      return mcLiteral;
  }
}

TMaskDirectives MaskGetCurrentDirectives(const String& editMask, Integer maskOffset) {
  TMaskDirectives result;
  for (Integer i = 1; i <= Len(editMask); ++i) {
    // Only real directives count: an escaped '>' or a '!' in the blank field is a character.
    if (MaskGetCharType(editMask, i) != mcDirective) continue;
    Char c = At(editMask, i);
    if (c == kDirReverse) {
      result.Include(mdReverseDir);
    } else if (c == kDirUpper && i < maskOffset) {
      result.Exclude(mdLowerCase);
      if (!(i > 1 && At(editMask, i - 1) == kDirLower)) result.Include(mdUpperCase);
    } else if (c == kDirLower && i < maskOffset) {
      result.Exclude(mdUpperCase);
      result.Include(mdLowerCase);
    }
  }
  if (MaskGetCharType(editMask, maskOffset) == mcLiteral) result.Include(mdLiteralChar);
  return result;
}

Char MaskIntlLiteralToChar(Char c) {
  switch (c) {
    case u':':
      return FormatSettings.TimeSeparator;
    case u'/':
      return FormatSettings.DateSeparator;
    case u'_':
      return u' ';
    default:
      return c;
  }
}

Integer MaskGetFldSeparator(const String& editMask) {
  for (Integer i = 1; i <= Len(editMask); ++i)
    if (MaskGetCharType(editMask, i) == mcFieldSeparator) return i;
  return -1;
}

bool MaskGetMaskSave(const String& editMask) {
  Integer length = Len(editMask);
  if (length < 4) return true;
  Integer sep1 = -1, sep2 = -1;
  for (Integer i = length; i > 0 && i >= length - 4 && sep2 < 0; --i) {
    if (MaskGetCharType(editMask, i) != mcFieldSeparator) continue;
    if (sep1 < 0)
      sep1 = i;
    else
      sep2 = i;
  }
  if (sep2 < 0) sep2 = sep1;
  if (sep2 > 0 && sep2 != length) return At(editMask, sep2 + 1) != MaskNoSave;
  return true;
}

Char MaskGetMaskBlank(const String& editMask) {
  Integer length = Len(editMask);
  if (length < 4 || MaskGetCharType(editMask, length - 1) != mcFieldSeparator) return DefaultBlank;
  // The blank field counts only after a save field.
  if (MaskGetCharType(editMask, length - 2) == mcField ||
      MaskGetCharType(editMask, length - 3) == mcFieldSeparator)
    return At(editMask, length);
  return DefaultBlank;
}

Integer MaskOffsetToOffset(const String& editMask, Integer maskOffset) {
  Integer result = 0;
  for (Integer i = 1; i <= maskOffset && i <= Len(editMask); ++i) {
    TMaskCharType t = MaskGetCharType(editMask, i);
    if (t != mcDirective && t != mcField && t != mcFieldSeparator) ++result;
  }
  return result;
}

Integer OffsetToMaskOffset(const String& editMask, Integer offset) {
  if (offset < 0 || offset >= MaskOffsetToOffset(editMask, Len(editMask))) return -1;
  Integer count = offset;
  for (Integer i = 1; i <= Len(editMask); ++i) {
    TMaskCharType t = MaskGetCharType(editMask, i);
    if (t == mcDirective || t == mcField || t == mcFieldSeparator) continue;
    if (count-- == 0) return i;
  }
  return -1;
}

bool IsLiteralChar(const String& editMask, Integer offset) {
  Integer maskOffset = OffsetToMaskOffset(editMask, offset);
  if (maskOffset < 0) return false;
  TMaskCharType t = MaskGetCharType(editMask, maskOffset);
  return t == mcLiteral || t == mcIntlLiteral;
}

namespace {
// The character a literal position shows.
Char LiteralShown(const String& editMask, Integer maskOffset) {
  Char c = At(editMask, maskOffset);
  return MaskGetCharType(editMask, maskOffset) == mcIntlLiteral ? MaskIntlLiteralToChar(c) : c;
}
}  // namespace

String MaskDoFormatText(const String& editMask, const String& value, Char blank) {
  // Positions of the edit text: a literal, or a place for one character of value.
  std::vector<Integer> literals;  // mask offsets; 0 for a character place
  for (Integer i = 1; i <= Len(editMask); ++i) {
    TMaskCharType t = MaskGetCharType(editMask, i);
    if (t == mcLiteral || t == mcIntlLiteral)
      literals.push_back(i);
    else if (t == mcMask || t == mcMaskOpt)
      literals.push_back(0);
  }
  Integer places = 0;
  for (Integer m : literals)
    if (m == 0) ++places;
  bool reverse = MaskGetCurrentDirectives(editMask, 1).Contains(mdReverseDir);
  // With '!' the value fills the places from the right; missing places are blank at the start.
  Integer skip = reverse ? std::max<Integer>(0, places - Len(value)) : 0;
  Integer from = reverse ? std::max<Integer>(0, Len(value) - places) : 0;
  String result;
  Integer place = 0;
  for (Integer m : literals) {
    if (m != 0) {
      result += LiteralShown(editMask, m);
      continue;
    }
    Integer index = place++ - skip + from;
    if (place <= skip || index >= Len(value))
      result += blank;
    else
      result += value[static_cast<size_t>(index)];
  }
  return result;
}

String FormatMaskText(const String& editMask, const String& value) {
  TEditMaskEngine engine(editMask);
  if (!engine.GetMaskSave()) return MaskDoFormatText(editMask, value, u' ');
  String result;
  // The value holds the literals: its characters go to the places, its literals are matched.
  size_t j = 0;
  for (Integer p = 0; p < engine.GetMaxChars(); ++p) {
    if (engine.IsLiteral(p)) {
      Char literal = engine.EmptyEditText()[static_cast<size_t>(p)];
      result += literal;
      if (j < value.size() && value[j] == literal) ++j;
    } else {
      result += j < value.size() ? value[j++] : u' ';
    }
  }
  return result;
}

// ---- TEditMaskEngine ----

void TEditMaskEngine::SetEditMask(const String& editMask) {
  String raw = IsMasked() ? RemoveEditFormat(text_) : text_;
  mask_ = editMask;
  slots_.clear();
  save_ = MaskGetMaskSave(editMask);
  blank_ = MaskGetMaskBlank(editMask);
  reverse_ = MaskGetCurrentDirectives(editMask, 1).Contains(mdReverseDir);
  for (Integer i = 1; i <= Len(editMask); ++i) {
    TMaskCharType t = MaskGetCharType(editMask, i);
    if (t == mcLiteral || t == mcIntlLiteral)
      slots_.push_back({LiteralShown(editMask, i), true, false, {}});
    else if (t == mcMask || t == mcMaskOpt)
      slots_.push_back({At(editMask, i), false, t == mcMask, MaskGetCurrentDirectives(editMask, i)});
  }
  if (!IsMasked()) {
    text_ = raw;
    return;
  }
  text_ = MaskDoFormatText(editMask, raw, blank_);
  for (size_t p = 0; p < slots_.size(); ++p)
    if (!slots_[p].literal && text_[p] == u' ') text_[p] = blank_;
}

String TEditMaskEngine::EmptyEditText() const {
  String result;
  for (const Slot& s : slots_) result += s.literal ? s.maskChar : blank_;
  return result;
}

void TEditMaskEngine::SetEditText(const String& value) {
  if (!IsMasked()) {
    text_ = value;
    return;
  }
  text_ = EmptyEditText();
  for (size_t p = 0; p < slots_.size() && p < value.size(); ++p)
    if (!slots_[p].literal) text_[p] = value[p];
}

String TEditMaskEngine::RemoveEditFormat(const String& editText) const {
  String result;
  for (size_t p = 0; p < slots_.size() && p < editText.size(); ++p)
    if (!slots_[p].literal) result += editText[p];
  if (reverse_) {
    size_t first = result.find_first_not_of(blank_);
    result.erase(0, first == String::npos ? result.size() : first);
  } else {
    size_t last = result.find_last_not_of(blank_);
    result.resize(last == String::npos ? 0 : last + 1);
  }
  for (Char& c : result)
    if (c == blank_) c = u' ';
  return result;
}

String TEditMaskEngine::GetText() const {
  if (!IsMasked()) return text_;
  String raw = RemoveEditFormat(text_);
  return save_ ? MaskDoFormatText(mask_, raw, u' ') : raw;
}

String TEditMaskEngine::PadLiterals(const String& value, Char blank) const {
  String result;
  size_t j = 0;
  for (const Slot& s : slots_) {
    if (s.literal) {
      result += s.maskChar;
      if (j < value.size() && value[j] == s.maskChar) ++j;
    } else {
      result += j < value.size() ? value[j++] : blank;
    }
  }
  return result;
}

void TEditMaskEngine::SetText(const String& value) {
  if (!IsMasked()) {
    text_ = value;
    return;
  }
  if (save_ && !reverse_)
    text_ = PadLiterals(value, blank_);
  else if (save_)
    text_ = MaskDoFormatText(mask_, RemoveEditFormat(PadLiterals(value, blank_)), blank_);
  else
    text_ = MaskDoFormatText(mask_, value, blank_);
  // Text shows blanks as spaces; they come back as blanks.
  for (size_t p = 0; p < slots_.size(); ++p)
    if (!slots_[p].literal && text_[p] == u' ') text_[p] = blank_;
}

bool TEditMaskEngine::IsLiteral(Integer offset) const {
  return offset >= 0 && offset < GetMaxChars() && slots_[static_cast<size_t>(offset)].literal;
}

Integer TEditMaskEngine::NextEditPos(Integer offset) const {
  Integer p = std::max<Integer>(0, offset);
  while (p < GetMaxChars() && IsLiteral(p)) ++p;
  return p;
}

Integer TEditMaskEngine::PrevEditPos(Integer offset) const {
  Integer p = std::min(offset, GetMaxChars()) - 1;
  while (p >= 0 && IsLiteral(p)) --p;
  return p;
}

Integer TEditMaskEngine::FirstBlankPos() const {
  for (Integer p = 0; p < GetMaxChars(); ++p)
    if (!IsLiteral(p) && text_[static_cast<size_t>(p)] == blank_) return p;
  return GetMaxChars();
}

bool TEditMaskEngine::CharFits(Char c, Integer offset) const {
  if (offset < 0 || offset >= GetMaxChars() || IsLiteral(offset)) return false;
  const Slot& s = slots_[static_cast<size_t>(offset)];
  return Fits(s.maskChar, c, s.required);
}

Char TEditMaskEngine::Converted(Char c, Integer offset) const {
  const TMaskDirectives& d = slots_[static_cast<size_t>(offset)].directives;
  if (d.Contains(mdUpperCase)) return AnsiUpperChar(c);
  if (d.Contains(mdLowerCase)) return AnsiLowerChar(c);
  return c;
}

void TEditMaskEngine::DeleteSelection(Integer start, Integer length) {
  for (Integer p = std::max<Integer>(0, start); p < start + length && p < GetMaxChars(); ++p)
    if (!IsLiteral(p)) text_[static_cast<size_t>(p)] = blank_;
}

bool TEditMaskEngine::TypeAt(Char c, Integer& caret) {
  Integer p = caret;
  // Typing the literal under the caret steps over it.
  if (IsLiteral(p) && slots_[static_cast<size_t>(p)].maskChar == c) {
    caret = NextEditPos(p + 1);
    return true;
  }
  // The literal the caret was just moved over, typed anyway, is taken as it stands.
  if (p > 0 && IsLiteral(p - 1) && slots_[static_cast<size_t>(p - 1)].maskChar == c) return true;
  p = NextEditPos(p);
  if (p >= GetMaxChars()) return false;
  if (CharFits(c, p)) {
    text_[static_cast<size_t>(p)] = Converted(c, p);
    caret = NextEditPos(p + 1);
    return true;
  }
  // A literal typed early jumps to the field after it ("1." in a date moves to the month).
  for (Integer q = p + 1; q < GetMaxChars(); ++q) {
    if (IsLiteral(q) && slots_[static_cast<size_t>(q)].maskChar == c) {
      caret = NextEditPos(q + 1);
      return true;
    }
  }
  return false;
}

bool TEditMaskEngine::InputChar(Char c, Integer& caret, Integer selLength) {
  if (!IsMasked()) return false;
  String saved = text_;
  Integer at = caret;
  if (selLength > 1) DeleteSelection(caret, selLength);
  if (!TypeAt(c, at)) {
    text_ = saved;
    return false;
  }
  caret = at;
  return true;
}

bool TEditMaskEngine::Backspace(Integer& caret, Integer selLength) {
  if (!IsMasked()) return false;
  if (selLength > 1) {
    DeleteSelection(caret, selLength);
    return true;
  }
  Integer p = PrevEditPos(caret);
  if (p < 0) {
    caret = FirstEditPos();
    return false;
  }
  text_[static_cast<size_t>(p)] = blank_;
  caret = p;
  return true;
}

bool TEditMaskEngine::Delete(Integer& caret, Integer selLength) {
  if (!IsMasked()) return false;
  if (selLength > 1) {
    DeleteSelection(caret, selLength);
    return true;
  }
  Integer p = NextEditPos(caret);
  if (p >= GetMaxChars()) return false;
  text_[static_cast<size_t>(p)] = blank_;
  caret = p;
  return true;
}

bool TEditMaskEngine::Paste(const String& value, Integer& caret, Integer selLength) {
  if (!IsMasked()) return false;
  String saved = text_;
  Integer at = caret;
  if (selLength > 1) DeleteSelection(caret, selLength);
  for (Char c : value) {
    if (TypeAt(c, at)) continue;
    // The value's own literals (a copied date with its dots) are left out where they do not fall.
    bool isMaskLiteral = false;
    for (const Slot& s : slots_)
      if (s.literal && s.maskChar == c) isMaskLiteral = true;
    if (isMaskLiteral) continue;
    text_ = saved;
    return false;
  }
  caret = at;
  return true;
}

bool TEditMaskEngine::Validate(Integer& errorPos) const {
  for (Integer p = 0; p < GetMaxChars(); ++p) {
    const Slot& s = slots_[static_cast<size_t>(p)];
    if (s.literal) continue;
    Char c = text_[static_cast<size_t>(p)];
    bool empty = c == blank_ || c == u' ';
    bool bad = empty ? s.required && !(c == u' ' && s.maskChar == u'C') : !Fits(s.maskChar, c, s.required);
    if (bad) {
      errorPos = p;
      return false;
    }
  }
  return true;
}

// ---- TCustomMaskEdit ----

void TCustomMaskEdit::Published(TPropBuilder<TCustomMaskEdit>& p) {
  p.Str(u"EditMask", &TCustomMaskEdit::GetEditMask, &TCustomMaskEdit::SetEditMask);
  p.Str(u"Text", &TCustomMaskEdit::GetText, &TCustomMaskEdit::SetText);
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SyncEngine() { engine_.SetEditText(GetTextValue()); }

void TCustomMaskEdit::SetEditMask(const String& value) {
  if (value == engine_.GetEditMask()) return;
  bool wasMasked = engine_.IsMasked();
  if (wasMasked)
    SyncEngine();
  else
    engine_.SetText(GetTextValue());
  if (!wasMasked) savedMaxLength_ = GetMaxLength();
  engine_.SetEditMask(value);
  if (engine_.IsMasked()) {
    maskState_.Include(msMasked);
    TCustomEdit::SetMaxLength(engine_.GetMaxChars());
  } else {
    maskState_.Exclude(msMasked);
    TCustomEdit::SetMaxLength(savedMaxLength_);
  }
  settingText_ = true;
  TControl::SetText(engine_.GetEditText());
  settingText_ = false;
  SetModified(false);
  canUndo_ = false;
  if (QWidget* w = GetWidget()) w->setAcceptDrops(!engine_.IsMasked());
}

String TCustomMaskEdit::GetEditText() const { return TControl::GetText(); }

void TCustomMaskEdit::SetEditText(const String& value) {
  if (!engine_.IsMasked()) {
    TControl::SetText(value);
    return;
  }
  engine_.SetEditText(value);
  TControl::SetText(engine_.GetEditText());
}

String TCustomMaskEdit::GetText() const {
  if (!engine_.IsMasked()) return TControl::GetText();
  TEditMaskEngine copy = engine_;
  copy.SetEditText(TControl::GetText());
  return copy.GetText();
}

void TCustomMaskEdit::SetText(const String& value) {
  if (!engine_.IsMasked()) {
    TControl::SetText(value);
    return;
  }
  engine_.SetText(value);
  TControl::SetText(engine_.GetEditText());
}

Integer TCustomMaskEdit::GetTextLen() const { return static_cast<Integer>(GetText().size()); }

void TCustomMaskEdit::Clear() { SetText(String()); }

void TCustomMaskEdit::CurrentSelection(Integer& start, Integer& length) const {
  start = GetSelStart();
  length = GetSelLength();
}

void TCustomMaskEdit::ApplyUserEdit(Integer caret) {
  String before = GetTextValue();
  if (engine_.GetEditText() != before) {
    undoText_ = before;
    canUndo_ = true;
    SetTextByUser(engine_.GetEditText(), caret);
  }
  SetCursor(caret);
}

void TCustomMaskEdit::SetCursor(Integer pos) {
  if (!HandleAllocated()) return;
  Integer max = engine_.GetMaxChars();
  pos = std::clamp<Integer>(pos, 0, max);
  // The caret is a one-character block: what is typed replaces it.
  if (engine_.IsMasked() && pos < max)
    SetSelection(pos + 1, -1);
  else
    SetSelection(pos, 0);
}

void TCustomMaskEdit::CheckCursor() {
  if (!engine_.IsMasked() || !HandleAllocated()) return;
  if (GetSelLength() == 0) SetCursor(GetSelStart());
}

bool TCustomMaskEdit::EditCanModify() { return !GetReadOnly(); }

void TCustomMaskEdit::Reset() {
  if (!GetModified()) return;
  SetEditText(oldValue_);
  SetModified(false);
}

void TCustomMaskEdit::ValidateError() {
  MessageBeep(0);
  throw EDBEditError(u"Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::ValidateEdit() {
  if (!engine_.IsMasked() || !GetModified()) return;
  SyncEngine();
  Integer pos = 0;
  if (engine_.Validate(pos)) return;
  if (HandleAllocated() && !Focused() && CanFocus()) {
    maskState_.Include(msReEnter);
    SetFocus();
  }
  SetCursor(pos);
  ValidateError();
}

void TCustomMaskEdit::KeyDown(Word& key, TShiftState shift) {
  if (!engine_.IsMasked()) {
    TCustomEdit::KeyDown(key, shift);
    return;
  }
  // NOLINTNEXTLINE(bugprone-parent-virtual-call): the mask handles the keys itself
  TWinControl::KeyDown(key, shift);
  if (key == 0) return;
  if (key == VK_ESCAPE && shift.Empty() && GetModified()) {
    Reset();
    SetCursor(engine_.FirstEditPos());
    key = 0;
    return;
  }
  bool ctrl = shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
  bool shiftOnly = shift.Contains(ssShift) && !ctrl && !shift.Contains(ssAlt);
  Integer start = 0, length = 0;
  CurrentSelection(start, length);
  switch (key) {
    case VK_BACK:
    case VK_DELETE: {
      if (shiftOnly && key == VK_DELETE) {
        CutToClipboardImpl();
        key = 0;
        return;
      }
      if (!EditCanModify()) {
        key = 0;
        return;
      }
      SyncEngine();
      Integer caret = start;
      bool changed = key == VK_BACK ? engine_.Backspace(caret, length) : engine_.Delete(caret, length);
      if (changed)
        ApplyUserEdit(caret);
      else
        SetCursor(caret);
      key = 0;
      return;
    }
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END: {
      if (shift.Contains(ssShift)) return;  // the widget extends the selection
      Integer caret = start;
      if (key == VK_LEFT) caret = length > 1 ? start : start - 1;
      if (key == VK_RIGHT) caret = length > 1 ? start + length : start + 1;
      if (key == VK_HOME) caret = 0;
      if (key == VK_END) caret = engine_.GetMaxChars();
      SetCursor(std::max<Integer>(0, caret));
      key = 0;
      return;
    }
    default:
      break;
  }
  if ((ctrl && key == 'V' && !shift.Contains(ssShift)) || (shiftOnly && key == VK_INSERT)) {
    PasteFromClipboardImpl();
    key = 0;
  } else if (ctrl && key == 'X' && !shift.Contains(ssShift)) {
    CutToClipboardImpl();
    key = 0;
  } else if (ctrl && key == 'Z' && !shift.Contains(ssShift)) {
    UndoImpl();
    key = 0;
  }
}

void TCustomMaskEdit::KeyUp(Word& key, TShiftState shift) {
  TWinControl::KeyUp(key, shift);
  // After a shift-selection the block caret comes back when the selection collapsed.
  if (engine_.IsMasked() && key != 0) CheckCursor();
}

void TCustomMaskEdit::KeyPress(Char& key) {
  if (!engine_.IsMasked()) {
    TCustomEdit::KeyPress(key);
    return;
  }
  // NOLINTNEXTLINE(bugprone-parent-virtual-call): the mask handles the keys itself
  TWinControl::KeyPress(key);
  if (key == 0) return;
  // Control characters (Ctrl+A, Ctrl+C ...) and the ones KeyDown handled go on as they are.
  if (key < 32) {
    if (key == u'\b' || key == u'\x1b') key = 0;
    return;
  }
  Char typed = key;
  key = 0;
  if (!EditCanModify()) return;
  SyncEngine();
  Integer start = 0, length = 0;
  CurrentSelection(start, length);
  Integer caret = start;
  if (!engine_.InputChar(typed, caret, length)) {
    MessageBeep(0);
    return;
  }
  ApplyUserEdit(caret);
}

void TCustomMaskEdit::DoEnter() {
  if (!engine_.IsMasked()) {
    TCustomEdit::DoEnter();
    return;
  }
  if (!maskState_.Contains(msReEnter)) oldValue_ = GetEditText();
  maskState_.Exclude(msReEnter);
  // NOLINTNEXTLINE(bugprone-parent-virtual-call): the mask places the caret itself
  TWinControl::DoEnter();
  SyncEngine();
  // An empty mask starts at its first place; one with content is selected whole under AutoSelect.
  if (GetAutoSelect() && !engine_.IsEmpty())
    SelectAll();
  else
    SetCursor(engine_.FirstBlankPos() < engine_.GetMaxChars() ? engine_.FirstBlankPos() : 0);
}

void TCustomMaskEdit::DoExit() {
  // Leaving with a text the mask does not accept raises, and the focus comes back.
  if (engine_.IsMasked()) {
    ValidateEdit();
    CheckCursor();
  }
  TWinControl::DoExit();
}

void TCustomMaskEdit::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TCustomEdit::MouseUp(button, shift, x, y);
  if (!engine_.IsMasked() || GetSelLength() > 0) return;
  SyncEngine();
  // A click past the typed characters lands on the first empty place, not in the middle of blanks.
  Integer pos = GetSelStart();
  Integer firstBlank = engine_.FirstBlankPos();
  SetCursor(std::min(pos, firstBlank));
}

void TCustomMaskEdit::Dispatch(TMessage& message) {
  if (message.Msg == CM_WANTSPECIALKEY && message.WParam == VK_ESCAPE && engine_.IsMasked() &&
      GetModified()) {
    message.Result = 1;
    return;
  }
  TCustomEdit::Dispatch(message);
}

void TCustomMaskEdit::CutToClipboardImpl() {
  if (!engine_.IsMasked()) {
    TCustomEdit::CutToClipboardImpl();
    return;
  }
  Integer start = 0, length = 0;
  CurrentSelection(start, length);
  if (length == 0) return;
  CopyToClipboard();
  ClearSelectionImpl();
}

void TCustomMaskEdit::ClearSelectionImpl() {
  if (!engine_.IsMasked()) {
    TCustomEdit::ClearSelectionImpl();
    return;
  }
  if (!EditCanModify()) return;
  Integer start = 0, length = 0;
  CurrentSelection(start, length);
  if (length == 0) return;
  SyncEngine();
  engine_.DeleteSelection(start, length);
  ApplyUserEdit(start);
}

void TCustomMaskEdit::PasteFromClipboardImpl() {
  if (!engine_.IsMasked()) {
    TCustomEdit::PasteFromClipboardImpl();
    return;
  }
  if (!EditCanModify() || !Clipboard()->HasFormat(CF_TEXT)) return;
  String value = Clipboard()->GetAsText();
  size_t end = value.find_first_of(u"\r\n");
  if (end != String::npos) value.resize(end);
  SyncEngine();
  Integer start = 0, length = 0;
  CurrentSelection(start, length);
  Integer caret = start;
  if (!engine_.Paste(value, caret, length)) {
    MessageBeep(0);
    return;
  }
  ApplyUserEdit(caret);
}

bool TCustomMaskEdit::UndoImpl() {
  if (!engine_.IsMasked()) return TCustomEdit::UndoImpl();
  if (!canUndo_ || !EditCanModify()) return false;
  // One level, as the window keeps it: undo again brings the change back.
  String current = GetTextValue();
  engine_.SetEditText(undoText_);
  undoText_ = current;
  SetTextByUser(engine_.GetEditText(), 0);
  SetCursor(engine_.FirstBlankPos());
  return true;
}

bool TCustomMaskEdit::CanUndoImpl() const {
  return engine_.IsMasked() ? canUndo_ : TCustomEdit::CanUndoImpl();
}

void TCustomMaskEdit::ClearUndoImpl() {
  canUndo_ = false;
  TCustomEdit::ClearUndoImpl();
}
