// The edit-mask language of the masked edit, as a widget-free engine that the masked edit, the grid
// library's editors and the in-grid cell editors drive, and the masked edit control itself.
//
// A mask is "body;save;blank": the body holds mask characters, literals and directives; the save
// field ('0' drops literals from Text, anything else keeps them; default keep) and the blank field
// (the character that shows an empty position; default '_') are optional.
//   L l  letter (required, optional)        A a  letter or digit
//   C c  any character                      0 9  digit
//   #    digit, '+' or '-' (optional)       : /  the locale's time and date separators
//   _    a space                            \x   x as a literal
//   >    upper case from here on            <    lower case from here on; "<>" no conversion
//   !    optional characters are the leading ones (values align to the right)
//
// TEditMaskEngine keeps the edit text (EditText: every position of the mask, literals in place,
// empty positions showing the blank character) and edits it the way the masked edit does:
//   SetEditMask(mask)          takes a mask and reformats the current text into it;
//   GetEditText / SetEditText  the whole window text; set text is cut or padded to the mask and its
//                              literals are forced into place;
//   GetText / SetText          Text: without literals when the mask does not save them, blanks as
//                              spaces;
//   InputChar(c, caret, len)   types c over the selection [caret, caret + len) (len <= 1 means the
//                              caret alone): skips literals, checks the character class, converts
//                              case and moves the caret to the next editable position; answers
//                              false, changing nothing, when c fits nowhere;
//   Backspace / Delete         blank the selection, or the editable position before / at the caret;
//                              literals are never removed;
//   Paste(text, caret, len)    types text through the mask (literals in it may be left out or kept);
//                              all or nothing;
//   Validate(pos)              false with the first offending position when a required position is
//                              empty or a position holds a character its class does not allow.
// Positions ("offsets") are 0-based places in the edit text; caret and selection are in offsets.
#pragma once

#include <vector>

#include "platform/classes/Set.h"
#include "platform/controls/StdEdits.h"

enum TMaskCharType {
  mcNone,
  mcLiteral,
  mcIntlLiteral,
  mcDirective,
  mcMask,
  mcMaskOpt,
  mcFieldSeparator,
  mcField
};
enum TMaskDirective { mdReverseDir, mdUpperCase, mdLowerCase, mdLiteralChar };
using TMaskDirectives = TSet<TMaskDirective>;

constexpr Char DefaultBlank = u'_';
constexpr Char MaskFieldSeparator = u';';
constexpr Char MaskNoSave = u'0';

// ---- The mask routines of the class library (mask offsets are 1-based indexes into the mask) ----

TMaskCharType MaskGetCharType(const String& editMask, Integer maskOffset);
// The directives in force at maskOffset; mdLiteralChar when that character is a literal.
TMaskDirectives MaskGetCurrentDirectives(const String& editMask, Integer maskOffset);
// ':' and '/' become the locale's separators, '_' a space; other characters are themselves.
Char MaskIntlLiteralToChar(Char c);
// The 1-based index of the first field separator, -1 when the mask has no fields.
Integer MaskGetFldSeparator(const String& editMask);
// Whether Text keeps the literals (the save field is not '0').
bool MaskGetMaskSave(const String& editMask);
// The blank character of the mask ('_' unless the blank field names another).
Char MaskGetMaskBlank(const String& editMask);
// How many edit-text positions the mask characters 1..maskOffset take.
Integer MaskOffsetToOffset(const String& editMask, Integer maskOffset);
// The mask index of the edit-text offset (0-based), -1 past the end.
Integer OffsetToMaskOffset(const String& editMask, Integer offset);
// Whether the edit-text offset holds a literal.
bool IsLiteralChar(const String& editMask, Integer offset);
// value (without literals) laid into the mask: literals inserted, missing positions filled with
// blank (at the end, or at the start with '!').
String MaskDoFormatText(const String& editMask, const String& value, Char blank);
// value with the mask applied as the masked edit shows it, blanks as spaces; value holds the
// literals when the mask saves them, and is without them otherwise.
String FormatMaskText(const String& editMask, const String& value);

// ---- The engine ----

class TEditMaskEngine {
 public:
  TEditMaskEngine() = default;
  explicit TEditMaskEngine(const String& editMask) { SetEditMask(editMask); }

  const String& GetEditMask() const { return mask_; }
  // Reformats the current text into the new mask (its characters without the old literals).
  void SetEditMask(const String& editMask);
  bool IsMasked() const { return !mask_.empty(); }
  bool GetMaskSave() const { return save_; }
  Char GetMaskBlank() const { return blank_; }
  // The length of the edit text.
  Integer GetMaxChars() const { return static_cast<Integer>(slots_.size()); }

  const String& GetEditText() const { return text_; }
  void SetEditText(const String& value);
  String GetText() const;
  void SetText(const String& value);
  // The edit text with every editable position blank.
  String EmptyEditText() const;
  bool IsEmpty() const { return text_ == EmptyEditText(); }
  void Clear() { text_ = EmptyEditText(); }

  bool IsLiteral(Integer offset) const;
  // The first editable offset at or after offset (MaxChars when none).
  Integer NextEditPos(Integer offset) const;
  // The last editable offset before offset (-1 when none).
  Integer PrevEditPos(Integer offset) const;
  Integer FirstEditPos() const { return NextEditPos(0); }
  // The first editable offset that is blank (MaxChars when the text is full).
  Integer FirstBlankPos() const;
  // Whether c may stand at the editable offset.
  bool CharFits(Char c, Integer offset) const;

  bool InputChar(Char c, Integer& caret, Integer selLength);
  bool Backspace(Integer& caret, Integer selLength);
  bool Delete(Integer& caret, Integer selLength);
  bool Paste(const String& value, Integer& caret, Integer selLength);
  // Blanks the editable positions of [start, start + length).
  void DeleteSelection(Integer start, Integer length);
  bool Validate(Integer& errorPos) const;

 private:
  struct Slot {
    Char maskChar;  // the mask character, or the literal as shown
    bool literal;
    bool required;
    TMaskDirectives directives;
  };
  // The text without literals, blanks as spaces, trimmed as Text trims it.
  String RemoveEditFormat(const String& editText) const;
  Char Converted(Char c, Integer offset) const;
  bool TypeAt(Char c, Integer& caret);
  String PadLiterals(const String& value, Char blank) const;

  String mask_;
  std::vector<Slot> slots_;
  String text_;
  bool save_ = true;
  bool reverse_ = false;
  Char blank_ = DefaultBlank;
};

// ---- The masked edit ----

enum TMaskedState { msMasked, msReEnter, msDBSetText };
using TMaskedStatus = TSet<TMaskedState>;

class TCustomMaskEdit : public TCustomEdit {
  KIV_CLASS(TCustomMaskEdit, TCustomEdit)
 public:
  explicit TCustomMaskEdit(TComponent* owner);
  static void Published(TPropBuilder<TCustomMaskEdit>& p);

  const String& GetEditMask() const { return engine_.GetEditMask(); }
  void SetEditMask(const String& value);
  bool GetIsMasked() const { return engine_.IsMasked(); }
  bool IsMasked() const { return GetIsMasked(); }
  // The window's text: every position of the mask, literals and blanks included.
  String GetEditText() const;
  void SetEditText(const String& value);
  // Without the mask's literals when it does not save them; blanks as spaces. Hides the control's
  // Text, as the class library does: through a TCustomEdit pointer Text is the window text.
  String GetText() const;
  void SetText(const String& value);
  TMaskedStatus GetMaskState() const { return maskState_; }
  void SetMaskState(TMaskedStatus value) { maskState_ = value; }
  // Raises EDBEditError (ValidateError) with the caret on the first bad position when the user
  // changed the text and it does not satisfy the mask.
  virtual void ValidateEdit();
  void Clear();
  Integer GetTextLen() const;
  // The engine that holds the edit text's rules, for editors that share them.
  const TEditMaskEngine& Engine() const { return engine_; }

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void DoEnter() override;
  void DoExit() override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void Dispatch(TMessage& message) override;
  void CutToClipboardImpl() override;
  void PasteFromClipboardImpl() override;
  void ClearSelectionImpl() override;
  bool UndoImpl() override;
  bool CanUndoImpl() const override;
  void ClearUndoImpl() override;
  // Whether the user may change the text now (not read-only).
  virtual bool EditCanModify();
  // Esc: back to the text the edit had when it was entered.
  virtual void Reset();
  // The beep and the exception for a text that does not satisfy the mask.
  virtual void ValidateError();
  // Places the block caret (one selected character) at an edit-text offset.
  void SetCursor(Integer pos);
  // With no selection, makes the caret the one-character block again.
  void CheckCursor();
  Integer GetFirstEditChar() const { return engine_.FirstEditPos(); }
  Integer GetMaxChars() const { return engine_.GetMaxChars(); }

 private:
  void SyncEngine();
  void ApplyUserEdit(Integer caret);
  void CurrentSelection(Integer& start, Integer& length) const;

  TEditMaskEngine engine_;
  TMaskedStatus maskState_;
  String oldValue_;
  String undoText_;
  bool canUndo_ = false;
  Integer savedMaxLength_ = 0;
};

class TMaskEdit : public TCustomMaskEdit {
  KIV_CLASS(TMaskEdit, TCustomMaskEdit)
 public:
  explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};
