// The one-line edit (over a Qt line edit) and the multi-line memo (over a Qt plain-text edit): text,
// selection, undo, clipboard, case and length limits, key events and the edit window messages.
#pragma once

#include <memory>

#include "platform/controls/Controls.h"

class TStrings;
class TMemoStrings;

// The memo's scroll bars (the grids use the same type).
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The case typed and set text is turned to (the edit's and the combo box's CharCase).
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// EM_SETMARGINS flags.
enum : WPARAM { EC_LEFTMARGIN = 0x0001, EC_RIGHTMARGIN = 0x0002, EC_USEFONTINFO = 0xFFFF };

class TCustomEdit : public TWinControl {
  KIV_CLASS(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* owner);
  ~TCustomEdit() override;
  static void Published(TPropBuilder<TCustomEdit>& p);

  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // 0: no limit. Limits what the user types and pastes; text set from code is kept whole.
  Integer GetMaxLength() const { return maxLength_; }
  virtual void SetMaxLength(Integer value);
  Char GetPasswordChar() const { return passwordChar_; }
  void SetPasswordChar(Char value);
  // ecNormal, ecUpperCase or ecLowerCase: applied to typed, pasted and set text.
  TEditCharCase GetCharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  // Set by the user's edits; text set from code clears it, as the window does.
  bool GetModified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  bool GetAutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  bool GetHideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value) { hideSelection_ = value; }

  Integer GetSelStart() const;
  void SetSelStart(Integer value);
  Integer GetSelLength() const;
  void SetSelLength(Integer value);
  String GetSelText() const;
  // Replaces the selection as the user would (Modified, OnChange), without the length limit.
  void SetSelText(const String& value);
  void SelectAll();
  void Clear();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  bool CanUndo() const;
  void ClearUndo();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }
  String GetTextValue() const override;
  void SetTextValue(const String& value) override;
  void Dispatch(TMessage& message) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  virtual void Change();
  void DoEnter() override;

  // The clipboard and undo operations, which the masked edit routes through its mask.
  virtual void CutToClipboardImpl();
  virtual void PasteFromClipboardImpl();
  virtual void ClearSelectionImpl();
  virtual bool UndoImpl();
  virtual bool CanUndoImpl() const;
  virtual void ClearUndoImpl();

  // The text as the user's edit: Modified and OnChange follow; the caret goes to caret with the
  // selection length selLength.
  void SetTextByUser(const String& value, Integer caret, Integer selLength = 0);
  // Selection as start and length in the window's text.
  void SetSelection(Integer start, Integer length);
  // Applies CharCase.
  String CaseConverted(const String& value) const;
  // Whether this is a multi-line edit (the memo), whose lines break with CR LF.
  virtual bool IsMultiLine() const { return false; }

  bool settingText_ = false;

 private:
  friend class TEditBridge;
  void ApplyMargins();
  // Inserts text at the selection as typed: CharCase, MaxLength; answers whether anything changed.
  bool InsertTyped(String text);

  bool readOnly_ = false;
  Integer maxLength_ = 0;
  Char passwordChar_ = 0;
  TEditCharCase charCase_ = ecNormal;
  bool modified_ = false;
  bool autoSelect_ = true;
  bool hideSelection_ = true;
  TAlignment alignment_ = taLeftJustify;
  TBorderStyle borderStyle_ = bsSingle;
  Integer leftMargin_ = 0;
  Integer rightMargin_ = 0;
  bool userEdit_ = false;
};

class TEdit : public TCustomEdit {
  KIV_CLASS(TEdit, TCustomEdit)
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// ---- The memo ----

class TCustomMemo : public TCustomEdit {
  KIV_CLASS(TCustomMemo, TCustomEdit)
 public:
  explicit TCustomMemo(TComponent* owner);
  ~TCustomMemo() override;
  static void Published(TPropBuilder<TCustomMemo>& p);

  // The lines of the text, live: reading and changing them reads and changes the window.
  TStrings* GetLines() const;
  void SetLines(TStrings* value);
  TScrollStyle GetScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle value);
  bool GetWordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  // Without WantReturns Enter goes to the form (its default button); Ctrl+Enter still breaks a line.
  bool GetWantReturns() const { return wantReturns_; }
  void SetWantReturns(bool value) { wantReturns_ = value; }
  // With WantTabs Tab types a tab instead of moving the focus.
  bool GetWantTabs() const { return wantTabs_; }
  void SetWantTabs(bool value) { wantTabs_ = value; }
  // X is the column, Y the line, both from 0.
  TPoint GetCaretPos() const;
  void SetCaretPos(TPoint value);

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  void Dispatch(TMessage& message) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  bool IsMultiLine() const override { return true; }

 private:
  std::unique_ptr<TMemoStrings> lines_;
  TScrollStyle scrollBars_ = ssNone;
  bool wordWrap_ = true;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
};

class TMemo : public TCustomMemo {
  KIV_CLASS(TMemo, TCustomMemo)
 public:
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};
