// The rich edit over a Qt text edit: formatted text with character and paragraph attributes, RTF
// loading and saving through our own converter, search, and the format-range call that lays a
// character range out into a rectangle on any canvas (screen, bitmap, printer, metafile).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/classes/Set.h"
#include "platform/classes/StringList.h"
#include "platform/controls/Controls.h"
#include "platform/controls/RtfDocument.h"
#include "platform/controls/StdEdits.h"

// ---- The rich edit's message records ----
struct TCharRange {
  Integer cpMin = 0;
  Integer cpMax = 0;  // -1: to the end of the text
};
using CHARRANGE = TCharRange;

// Rectangles in twips. hdc is drawn on; hdcTarget is the device the text is laid out for.
struct TFormatRange {
  HDC hdc = nullptr;
  HDC hdcTarget = nullptr;
  TRect rc;
  TRect rcPage;
  TCharRange chrg;
};
using FORMATRANGE = TFormatRange;

struct TGetTextLengthEx {
  DWORD flags = 0;
  UINT codepage = 1200;
};
using GETTEXTLENGTHEX = TGetTextLengthEx;

enum : DWORD {
  GTL_DEFAULT = 0,
  GTL_USECRLF = 1,
  GTL_PRECISE = 2,
  GTL_CLOSE = 4,
  GTL_NUMCHARS = 8,
  GTL_NUMBYTES = 16
};
enum : DWORD {
  ENM_NONE = 0,
  ENM_CHANGE = 0x00000001,
  ENM_UPDATE = 0x00000002,
  ENM_SCROLL = 0x00000004,
  ENM_KEYEVENTS = 0x00010000,
  ENM_MOUSEEVENTS = 0x00020000,
  ENM_REQUESTRESIZE = 0x00040000,
  ENM_SELCHANGE = 0x00080000,
  ENM_PROTECTED = 0x00200000,
};

enum TNumberingStyle { nsNone, nsBullet };
enum TAttributeType { atSelected, atDefaultText };
enum TSearchType { stWholeWord, stMatchCase };
using TSearchTypes = TSet<TSearchType>;

class TCustomRichEdit;
struct TRichEditData;

// Character attributes of the selection (SelAttributes) or of new, unformatted text (DefAttributes).
class TTextAttributes : public TPersistent {
  KIV_CLASS(TTextAttributes, TPersistent)
 public:
  TTextAttributes(TCustomRichEdit* owner, TAttributeType type) : owner_(owner), type_(type) {}

  String GetName() const;
  void SetName(const String& value);
  // Points.
  Integer GetSize() const;
  void SetSize(Integer value);
  // Pixels at 96 dpi.
  Integer GetHeight() const;
  void SetHeight(Integer value);
  TFontStyles GetStyle() const;
  void SetStyle(TFontStyles value);
  TColor GetColor() const;
  void SetColor(TColor value);
  TFontCharset GetCharset() const;
  void SetCharset(TFontCharset value);
  TFontPitch GetPitch() const;
  void SetPitch(TFontPitch value);
  // The attributes as one record, and all of them at once.
  TRtfCharFormat GetFormat() const;

  // From a TFont or other text attributes; to a TFont through AssignTo.
  void Assign(TPersistent* source) override;

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  void Change(const TRtfCharFormat& value, unsigned fields);
  TCustomRichEdit* owner_;
  TAttributeType type_;
};

// Paragraph attributes of the paragraphs the selection touches. Indents and tabs in points;
// FirstIndent is the first line's indent from the margin, LeftIndent that of the other lines
// relative to the first line.
class TParaAttributes : public TPersistent {
  KIV_CLASS(TParaAttributes, TPersistent)
 public:
  explicit TParaAttributes(TCustomRichEdit* owner) : owner_(owner) {}

  TAlignment GetAlignment() const;
  void SetAlignment(TAlignment value);
  bool GetJustified() const;
  Integer GetFirstIndent() const;
  void SetFirstIndent(Integer value);
  Integer GetLeftIndent() const;
  void SetLeftIndent(Integer value);
  Integer GetRightIndent() const;
  void SetRightIndent(Integer value);
  TNumberingStyle GetNumbering() const;
  void SetNumbering(TNumberingStyle value);
  Integer GetTab(Integer index) const;
  void SetTab(Integer index, Integer value);
  Integer GetTabCount() const;
  void SetTabCount(Integer value);
  void Assign(TPersistent* source) override;

 private:
  TCustomRichEdit* owner_;
};

// The paragraphs of the rich edit as a live string list. LoadFrom*/SaveTo* read and write RTF unless
// the control's PlainText is set; data that is not RTF loads as plain text.
class TRichEditStrings : public TStrings {
  KIV_CLASS(TRichEditStrings, TStrings)
 public:
  explicit TRichEditStrings(TCustomRichEdit* owner) : owner_(owner) {}
  String Get(int index) const override;
  int GetCount() const override;
  void Put(int index, const String& s) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const String& s) override;
  String GetText() const override;
  void SetText(const String& text) override;

  // RTF unless the edit is PlainText; a stream that is not RTF loads as text. Files go through these.
  void LoadFromStream(TStream* stream, const TEncoding* encoding = nullptr) override;
  void SaveToStream(TStream* stream, const TEncoding* encoding = nullptr) const override;

 private:
  TCustomRichEdit* owner_;
};

using TRichEditProtectChange =
    TDelegate<void(TObject* Sender, Integer StartPos, Integer EndPos, bool& AllowChange)>;
using TRichEditResizeEvent = TDelegate<void(TObject* Sender, TRect Rect)>;
using TRichEditSaveClipboard =
    TDelegate<void(TObject* Sender, Integer NumObjects, Integer NumChars, bool& SaveClipboard)>;

class TCustomRichEdit : public TWinControl {
  KIV_CLASS(TCustomRichEdit, TWinControl)
 public:
  explicit TCustomRichEdit(TComponent* owner);
  ~TCustomRichEdit() override;
  static void Published(TPropBuilder<TCustomRichEdit>& p);

  TRichEditStrings* GetLines() const { return lines_.get(); }
  void SetLines(TStrings* value);
  bool GetPlainText() const { return plainText_; }
  void SetPlainText(bool value) { plainText_ = value; }

  Integer GetSelStart() const;
  void SetSelStart(Integer value);
  Integer GetSelLength() const;
  void SetSelLength(Integer value);
  String GetSelText() const;
  void SetSelText(const String& value);
  void SelectAll();
  void Clear();
  // Characters of the text: one per paragraph end (the positions SelStart and the messages use).
  Integer GetTextLength() const;

  TTextAttributes* GetSelAttributes() const { return selAttributes_.get(); }
  void SetSelAttributes(TTextAttributes* value) { selAttributes_->Assign(value); }
  TTextAttributes* GetDefAttributes() const { return defAttributes_.get(); }
  void SetDefAttributes(TTextAttributes* value) { defAttributes_->Assign(value); }
  TParaAttributes* GetParagraph() const { return paragraph_.get(); }
  void SetParagraph(TParaAttributes* value) { paragraph_->Assign(value); }

  // The position of text within [start, start + length), or -1.
  Integer FindText(const String& text, Integer start, Integer length, TSearchTypes options) const;

  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool GetWordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  TScrollStyle GetScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle value);
  bool GetHideScrollBars() const { return hideScrollBars_; }
  void SetHideScrollBars(bool value);
  bool GetHideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  bool GetWantTabs() const { return wantTabs_; }
  void SetWantTabs(bool value);
  bool GetWantReturns() const { return wantReturns_; }
  void SetWantReturns(bool value) { wantReturns_ = value; }
  Integer GetMaxLength() const { return maxLength_; }
  void SetMaxLength(Integer value);
  bool GetModified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  TBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  // The alignment of every paragraph.
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);

  // Prints the whole text, page after page, as one job named title on the process-wide printer.
  void Print(const String& title);

  // The content as a document of formatted runs, and all of it replaced by one.
  TRtfDocument GetRichText() const;
  void SetRichText(const TRtfDocument& document);

  // EM_FORMATRANGE: lays the range out in range->rc (twips) and draws it when render is set;
  // answers the first character that did not fit and sets rc.bottom to the height used. A null
  // range frees the cached layout.
  Integer FormatRange(TFormatRange* range, bool render);

  TNotifyEvent OnChange;
  TNotifyEvent OnSelectionChange;
  // No text of ours is protected, so this never fires; kept for the forms that assign it.
  TRichEditProtectChange OnProtectChange;
  TRichEditResizeEvent OnResizeRequest;
  TRichEditSaveClipboard OnSaveClipboard;

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  void DestroyWnd() override;
  bool PaintsItself() const override { return false; }
  String GetTextValue() const override;
  void SetTextValue(const String& value) override;
  void Dispatch(TMessage& message) override;
  virtual void Change();
  virtual void SelectionChange();

 private:
  friend class TTextAttributes;
  friend class TParaAttributes;
  friend class TRichEditStrings;
  friend class TRichEditBridge;
  TRtfCharFormat CharFormat(TAttributeType type) const;
  void ChangeCharFormat(TAttributeType type, const TRtfCharFormat& value, unsigned fields);
  TRtfParaFormat ParaFormat() const;
  void ChangeParaFormat(const std::function<void(TRtfParaFormat&)>& change);
  void ApplyWidgetOptions();

  std::unique_ptr<TRichEditData> d_;
  std::unique_ptr<TRichEditStrings> lines_;
  std::unique_ptr<TTextAttributes> selAttributes_;
  std::unique_ptr<TTextAttributes> defAttributes_;
  std::unique_ptr<TParaAttributes> paragraph_;
  bool plainText_ = false;
  bool readOnly_ = false;
  bool wordWrap_ = true;
  TScrollStyle scrollBars_ = ssNone;
  bool hideScrollBars_ = true;
  bool hideSelection_ = true;
  bool wantTabs_ = false;
  bool wantReturns_ = true;
  Integer maxLength_ = 0;
  bool modified_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  TAlignment alignment_ = taLeftJustify;
  DWORD eventMask_ = ENM_CHANGE | ENM_SELCHANGE;
};

class TRichEdit : public TCustomRichEdit {
  KIV_CLASS(TRichEdit, TCustomRichEdit)
 public:
  explicit TRichEdit(TComponent* owner) : TCustomRichEdit(owner) {}
};

// Print goes through a hook that the printing library installs (controls cannot link printing).
using TRichEditPrintHook = void (*)(TCustomRichEdit* edit, const String& title);
void SetRichEditPrintHook(TRichEditPrintHook hook);
