// The rich edit over QTextEdit. The Qt document belongs to the control, not to the widget, so the
// content, its formatting and the selection live on while there is no window.
#include "platform/controls/RichEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextList>
#include <algorithm>
#include <cmath>

#include "platform/classes/Streams.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/controls/private/RichEditQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

TRichEditPrintHook& PrintHook() {
  static TRichEditPrintHook hook = nullptr;
  return hook;
}

TColor FromQColor(const QColor& c) {
  return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

QString ToQText(const String& s) {
  String t;
  t.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r') {
      t += u'\n';
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else if (s[i] == u'\v') {
      t += Char(0x2028);
    } else {
      t += s[i];
    }
  }
  return ToQString(t);
}

String BlockText(const QTextBlock& block) {
  String s = FromQString(block.text());
  for (Char& c : s)
    if (c == 0x2028) c = u'\v';
  std::erase(s, Char(0xFFFC));
  return s;
}

// Replaces the content, keeping the document's defaults (font, tab stops) that Qt's clear may reset.
void ResetDocument(QTextDocument& doc, const QString& plainText = QString()) {
  const QFont font = doc.defaultFont();
  const QTextOption option = doc.defaultTextOption();
  if (plainText.isEmpty())
    doc.clear();
  else
    doc.setPlainText(plainText);
  doc.setDefaultFont(font);
  doc.setDefaultTextOption(option);
}

bool IsWordChar(Char c) { return QChar(c).isLetterOrNumber() || c == u'_'; }

// Twips per pixel at the 96 dpi the widget's document uses.
constexpr double kTwipsPerPixel = 15.0;

}  // namespace

void SetRichEditPrintHook(TRichEditPrintHook hook) { PrintHook() = hook; }

// ---- Conversions ----

QTextCharFormat RichEditToQt(const TRtfCharFormat& f, unsigned fields) {
  QTextCharFormat q;
  if ((fields & rcfName) && !f.FontName.empty()) q.setFontFamilies(QStringList{ToQString(f.FontName)});
  if ((fields & rcfSize) && f.HalfPoints > 0) q.setFontPointSize(f.HalfPoints / 2.0);
  if (fields & rcfStyle) {
    q.setFontWeight(f.Style.Contains(fsBold) ? QFont::Bold : QFont::Normal);
    q.setFontItalic(f.Style.Contains(fsItalic));
    q.setFontUnderline(f.Style.Contains(fsUnderline));
    q.setFontStrikeOut(f.Style.Contains(fsStrikeOut));
  }
  if ((fields & rcfColor) && f.Color != clDefault && f.Color != clNone) q.setForeground(ToQColor(f.Color));
  if ((fields & rcfBackColor) && f.BackColor != clNone && f.BackColor != clDefault)
    q.setBackground(ToQColor(f.BackColor));
  if (fields & rcfCharset) q.setProperty(RichEditCharsetProperty, static_cast<int>(f.Charset));
  if (fields & rcfPitch) q.setProperty(RichEditPitchProperty, static_cast<int>(f.Pitch));
  return q;
}

TRtfCharFormat RichEditFromQt(const QTextCharFormat& q, const TRichEditData& d) {
  TRtfCharFormat f;
  const QFont def = d.doc.defaultFont();
  const QStringList families = q.fontFamilies().toStringList();
  f.FontName = FromQString(!families.isEmpty() ? families.front() : def.family());
  const double pt = q.hasProperty(QTextFormat::FontPointSize) ? q.fontPointSize() : def.pointSizeF();
  f.HalfPoints = static_cast<Integer>(std::lround(pt * 2));
  const bool bold = q.hasProperty(QTextFormat::FontWeight) ? q.fontWeight() >= QFont::DemiBold : def.bold();
  const bool italic = q.hasProperty(QTextFormat::FontItalic) ? q.fontItalic() : def.italic();
  const bool underline =
      q.hasProperty(QTextFormat::TextUnderlineStyle) || q.hasProperty(QTextFormat::FontUnderline)
          ? q.fontUnderline()
          : def.underline();
  const bool strike = q.hasProperty(QTextFormat::FontStrikeOut) ? q.fontStrikeOut() : def.strikeOut();
  if (bold) f.Style << fsBold;
  if (italic) f.Style << fsItalic;
  if (underline) f.Style << fsUnderline;
  if (strike) f.Style << fsStrikeOut;
  f.Color = q.hasProperty(QTextFormat::ForegroundBrush) && q.foreground().style() != Qt::NoBrush
                ? FromQColor(q.foreground().color())
                : d.defaultColor;
  f.BackColor = q.hasProperty(QTextFormat::BackgroundBrush) && q.background().style() != Qt::NoBrush
                    ? FromQColor(q.background().color())
                    : clNone;
  f.Charset = q.hasProperty(RichEditCharsetProperty)
                  ? static_cast<TFontCharset>(q.intProperty(RichEditCharsetProperty))
                  : d.defaultCharset;
  f.Pitch = q.hasProperty(RichEditPitchProperty)
                ? static_cast<TFontPitch>(q.intProperty(RichEditPitchProperty))
                : d.defaultPitch;
  return f;
}

namespace {

QTextBlockFormat ParaToQt(const TRtfParaFormat& p, QTextBlockFormat b = QTextBlockFormat()) {
  switch (p.Alignment) {
    case raCenter:
      b.setAlignment(Qt::AlignHCenter);
      break;
    case raRight:
      b.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
      break;
    case raJustify:
      b.setAlignment(Qt::AlignJustify);
      break;
    default:
      b.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
      break;
  }
  b.setLeftMargin(p.LeftIndent / kTwipsPerPixel);
  b.setTextIndent(p.FirstIndent / kTwipsPerPixel);
  b.setRightMargin(p.RightIndent / kTwipsPerPixel);
  QList<QTextOption::Tab> tabs;
  for (Integer t : p.Tabs) tabs.append(QTextOption::Tab(t / kTwipsPerPixel, QTextOption::LeftTab));
  b.setTabPositions(tabs);
  return b;
}

}  // namespace

TRtfParaFormat RichEditParaFromQt(const QTextBlock& block) {
  const QTextBlockFormat b = block.blockFormat();
  TRtfParaFormat p;
  const Qt::Alignment a = b.alignment();
  if (a & Qt::AlignHCenter)
    p.Alignment = raCenter;
  else if (a & Qt::AlignJustify)
    p.Alignment = raJustify;
  else if (a & Qt::AlignRight)
    p.Alignment = raRight;
  p.LeftIndent = static_cast<Integer>(std::lround(b.leftMargin() * kTwipsPerPixel));
  p.FirstIndent = static_cast<Integer>(std::lround(b.textIndent() * kTwipsPerPixel));
  p.RightIndent = static_cast<Integer>(std::lround(b.rightMargin() * kTwipsPerPixel));
  for (const QTextOption::Tab& t : b.tabPositions())
    p.Tabs.push_back(static_cast<Integer>(std::lround(t.position * kTwipsPerPixel)));
  p.Bullet = block.textList() != nullptr;
  return p;
}

void RichEditFill(TRichEditData& d, const TRtfDocument& document) {
  ResetDocument(d.doc);
  QTextCursor c(&d.doc);
  QTextList* list = nullptr;
  for (size_t i = 0; i < document.Paragraphs.size(); ++i) {
    const TRtfParagraph& p = document.Paragraphs[i];
    if (i == 0)
      c.setBlockFormat(ParaToQt(p.Format));
    else
      c.insertBlock(ParaToQt(p.Format), QTextCharFormat());
    if (p.Format.Bullet) {
      if (list)
        list->add(c.block());
      else
        list = c.createList(QTextListFormat::ListDisc);
    } else {
      list = nullptr;
    }
    if (!p.Runs.empty()) c.setBlockCharFormat(RichEditToQt(p.Runs.front().Format, rcfAll));
    for (const TRtfRun& r : p.Runs) {
      String text = r.Text;
      for (Char& ch : text)
        if (ch == u'\r' || ch == u'\n') ch = 0x2028;
      c.insertText(ToQString(text), RichEditToQt(r.Format, rcfAll));
    }
  }
}

TRtfDocument RichEditRead(const TRichEditData& d) {
  TRtfDocument doc;
  for (QTextBlock block = d.doc.begin(); block.isValid(); block = block.next()) {
    TRtfParagraph p;
    p.Format = RichEditParaFromQt(block);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment frag = it.fragment();
      if (!frag.isValid()) continue;
      String text = FromQString(frag.text());
      std::erase(text, Char(0xFFFC));
      if (text.empty()) continue;
      TRtfCharFormat f = RichEditFromQt(frag.charFormat(), d);
      if (!p.Runs.empty() && p.Runs.back().Format == f)
        p.Runs.back().Text += text;
      else
        p.Runs.push_back({text, f});
    }
    doc.Paragraphs.push_back(std::move(p));
  }
  if (doc.Paragraphs.empty()) doc.Paragraphs.emplace_back();
  return doc;
}

// ---- Bridge from Qt's signals ----

class TRichEditBridge {
 public:
  static void ContentsChange(TCustomRichEdit* e, int pos, int removed, int added) {
    TRichEditData& d = *e->d_;
    ++d.revision;
    if (d.trimming) return;
    if (e->maxLength_ > 0 && added > 0 && d.quiet == 0) {
      const Integer over = e->GetTextLength() - e->maxLength_;
      if (over > 0) {
        // Typed or pasted text beyond MaxLength is cut back from the end of what came in.
        const int cut = std::min<int>(over, added);
        QTextCursor c(&d.doc);
        c.setPosition(pos + added - cut);
        c.setPosition(pos + added, QTextCursor::KeepAnchor);
        d.trimming = true;
        c.removeSelectedText();
        d.trimming = false;
      }
    }
    (void)removed;
    if (d.quiet == 0) TextMaybeChanged(e, true);
  }

  static void TextMaybeChanged(TCustomRichEdit* e, bool byUser) {
    TRichEditData& d = *e->d_;
    String now = FromQString(d.doc.toRawText());
    if (now == d.lastText) return;
    d.lastText = std::move(now);
    if (byUser) e->modified_ = true;
    if (e->eventMask_ & ENM_CHANGE) e->Change();
  }

  static void SelectionMoved(TCustomRichEdit* e) {
    if (e->eventMask_ & ENM_SELCHANGE) e->SelectionChange();
  }

  static QTextCursor Cursor(const TCustomRichEdit* e) {
    return e->d_->edit ? e->d_->edit->textCursor() : e->d_->cursor;
  }

  static void SetCursor(TCustomRichEdit* e, const QTextCursor& c) {
    if (e->d_->edit) {
      e->d_->edit->setTextCursor(c);
    } else {
      const bool moved = c.position() != e->d_->cursor.position() || c.anchor() != e->d_->cursor.anchor();
      e->d_->cursor = c;
      if (moved) SelectionMoved(e);
    }
  }
};

namespace {

// A bulk change: one change event at its end, none in between. The event (a user's OnChange) may
// raise; it reaches the caller once the count is back.
template <class Body>
void Quietly(TCustomRichEdit* e, TRichEditData& d, Body&& body) {
  ++d.quiet;
  TryFinally(body, [&] {
    if (--d.quiet == 0) TRichEditBridge::TextMaybeChanged(e, false);
  });
}

class TRichTextEdit : public QTextEdit {
 public:
  using QTextEdit::QTextEdit;
  using QTextEdit::setViewportMargins;
};

}  // namespace

// ---- TTextAttributes ----

TRtfCharFormat TTextAttributes::GetFormat() const { return owner_->CharFormat(type_); }
void TTextAttributes::Change(const TRtfCharFormat& value, unsigned fields) {
  owner_->ChangeCharFormat(type_, value, fields);
}

String TTextAttributes::GetName() const { return GetFormat().FontName; }
void TTextAttributes::SetName(const String& value) {
  TRtfCharFormat f;
  f.FontName = value;
  Change(f, rcfName);
}
Integer TTextAttributes::GetSize() const { return (GetFormat().HalfPoints + 1) / 2; }
void TTextAttributes::SetSize(Integer value) {
  TRtfCharFormat f;
  f.HalfPoints = std::clamp<Integer>(value, 1, 1638) * 2;
  Change(f, rcfSize);
}
Integer TTextAttributes::GetHeight() const { return (GetSize() * 96 + 36) / 72; }
void TTextAttributes::SetHeight(Integer value) { SetSize((std::abs(value) * 72 + 48) / 96); }
TFontStyles TTextAttributes::GetStyle() const { return GetFormat().Style; }
void TTextAttributes::SetStyle(TFontStyles value) {
  TRtfCharFormat f;
  f.Style = value;
  Change(f, rcfStyle);
}
TColor TTextAttributes::GetColor() const { return GetFormat().Color; }
void TTextAttributes::SetColor(TColor value) {
  TRtfCharFormat f;
  f.Color = value;
  Change(f, rcfColor);
}
TFontCharset TTextAttributes::GetCharset() const { return GetFormat().Charset; }
void TTextAttributes::SetCharset(TFontCharset value) {
  TRtfCharFormat f;
  f.Charset = value;
  Change(f, rcfCharset);
}
TFontPitch TTextAttributes::GetPitch() const { return GetFormat().Pitch; }
void TTextAttributes::SetPitch(TFontPitch value) {
  TRtfCharFormat f;
  f.Pitch = value;
  Change(f, rcfPitch);
}

void TTextAttributes::Assign(TPersistent* source) {
  if (auto* font = dynamic_cast<TFont*>(source)) {
    TRtfCharFormat f;
    f.FontName = font->GetName();
    f.HalfPoints = std::max<Integer>(1, font->GetSize()) * 2;
    f.Style = font->GetStyle();
    f.Color = font->GetColor();
    f.Charset = font->GetCharset();
    f.Pitch = font->GetPitch();
    Change(f, rcfName | rcfSize | rcfStyle | rcfColor | rcfCharset | rcfPitch);
    return;
  }
  if (auto* other = dynamic_cast<TTextAttributes*>(source)) {
    Change(other->GetFormat(), rcfName | rcfSize | rcfStyle | rcfColor | rcfCharset | rcfPitch);
    return;
  }
  TPersistent::Assign(source);
}

void TTextAttributes::AssignTo(TPersistent* dest) const {
  if (auto* font = dynamic_cast<TFont*>(dest)) {
    const TRtfCharFormat f = GetFormat();
    font->SetName(f.FontName);
    font->SetSize((f.HalfPoints + 1) / 2);
    font->SetStyle(f.Style);
    font->SetColor(f.Color);
    font->SetCharset(f.Charset);
    font->SetPitch(f.Pitch);
    return;
  }
  if (auto* other = dynamic_cast<TTextAttributes*>(dest)) {
    other->Assign(const_cast<TTextAttributes*>(this));
    return;
  }
  TPersistent::AssignTo(dest);
}

// ---- TParaAttributes ----

TAlignment TParaAttributes::GetAlignment() const {
  switch (owner_->ParaFormat().Alignment) {
    case raCenter:
      return taCenter;
    case raRight:
      return taRightJustify;
    default:
      return taLeftJustify;
  }
}
void TParaAttributes::SetAlignment(TAlignment value) {
  owner_->ChangeParaFormat([value](TRtfParaFormat& p) {
    p.Alignment = value == taCenter ? raCenter : value == taRightJustify ? raRight : raLeft;
  });
}
bool TParaAttributes::GetJustified() const { return owner_->ParaFormat().Alignment == raJustify; }
Integer TParaAttributes::GetFirstIndent() const {
  const TRtfParaFormat p = owner_->ParaFormat();
  return (p.LeftIndent + p.FirstIndent) / 20;
}
void TParaAttributes::SetFirstIndent(Integer value) {
  owner_->ChangeParaFormat([value](TRtfParaFormat& p) { p.LeftIndent = value * 20 - p.FirstIndent; });
}
Integer TParaAttributes::GetLeftIndent() const { return -owner_->ParaFormat().FirstIndent / 20; }
void TParaAttributes::SetLeftIndent(Integer value) {
  owner_->ChangeParaFormat([value](TRtfParaFormat& p) {
    const Integer first = p.LeftIndent + p.FirstIndent;
    p.FirstIndent = -value * 20;
    p.LeftIndent = first + value * 20;
  });
}
Integer TParaAttributes::GetRightIndent() const { return owner_->ParaFormat().RightIndent / 20; }
void TParaAttributes::SetRightIndent(Integer value) {
  owner_->ChangeParaFormat([value](TRtfParaFormat& p) { p.RightIndent = value * 20; });
}
TNumberingStyle TParaAttributes::GetNumbering() const {
  return owner_->ParaFormat().Bullet ? nsBullet : nsNone;
}
void TParaAttributes::SetNumbering(TNumberingStyle value) {
  owner_->ChangeParaFormat([value](TRtfParaFormat& p) { p.Bullet = value == nsBullet; });
}
Integer TParaAttributes::GetTab(Integer index) const {
  const TRtfParaFormat p = owner_->ParaFormat();
  if (index < 0 || index >= static_cast<Integer>(p.Tabs.size())) return 0;
  return p.Tabs[index] / 20;
}
void TParaAttributes::SetTab(Integer index, Integer value) {
  if (index < 0 || index >= 32) return;
  owner_->ChangeParaFormat([index, value](TRtfParaFormat& p) {
    if (static_cast<Integer>(p.Tabs.size()) <= index) p.Tabs.resize(index + 1, 0);
    p.Tabs[index] = value * 20;
  });
}
Integer TParaAttributes::GetTabCount() const {
  return static_cast<Integer>(owner_->ParaFormat().Tabs.size());
}
void TParaAttributes::SetTabCount(Integer value) {
  value = std::clamp<Integer>(value, 0, 32);
  owner_->ChangeParaFormat([value](TRtfParaFormat& p) {
    // New stops continue the last one's spacing (half an inch from nothing).
    while (static_cast<Integer>(p.Tabs.size()) < value)
      p.Tabs.push_back((p.Tabs.empty() ? 0 : p.Tabs.back()) + 720);
    p.Tabs.resize(value);
  });
}
void TParaAttributes::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TParaAttributes*>(source)) {
    const TRtfParaFormat from = other->owner_->ParaFormat();
    owner_->ChangeParaFormat([from](TRtfParaFormat& p) { p = from; });
    return;
  }
  TPersistent::Assign(source);
}

// ---- TRichEditStrings ----

int TRichEditStrings::GetCount() const {
  const QTextDocument& doc = owner_->d_->doc;
  if (doc.characterCount() <= 1) return 0;
  const int blocks = doc.blockCount();
  // A last empty paragraph (the text ends with a line break) is not a line of its own.
  return doc.lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

String TRichEditStrings::Get(int index) const {
  if (index < 0 || index >= GetCount()) IndexError(index);
  return BlockText(owner_->d_->doc.findBlockByNumber(index));
}

void TRichEditStrings::Put(int index, const String& s) {
  if (index < 0 || index >= GetCount()) IndexError(index);
  Quietly(owner_, *owner_->d_, [&] {
    const QTextBlock block = owner_->d_->doc.findBlockByNumber(index);
    QTextCursor c(block);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.insertText(ToQText(s));
  });
}

void TRichEditStrings::Insert(int index, const String& s) {
  const int count = GetCount();
  if (index < 0 || index > count) IndexError(index);
  TRichEditData& d = *owner_->d_;
  Quietly(owner_, d, [&] {
    QTextDocument& doc = d.doc;
    if (index < count) {
      QTextCursor c(doc.findBlockByNumber(index));
      c.insertText(ToQText(s));
      c.insertBlock();
    } else if (doc.blockCount() > count) {
      // The last paragraph is the empty one after the final line break: the line goes there and
      // ends with a break of its own, as every added line does.
      QTextCursor c(doc.lastBlock());
      c.insertText(ToQText(s));
      c.insertBlock();
    } else {
      QTextCursor c(&doc);
      c.movePosition(QTextCursor::End);
      c.insertBlock();
      c.insertText(ToQText(s));
    }
  });
}

void TRichEditStrings::Delete(int index) {
  if (index < 0 || index >= GetCount()) IndexError(index);
  TRichEditData& d = *owner_->d_;
  Quietly(owner_, d, [&] {
    const QTextBlock block = d.doc.findBlockByNumber(index);
    QTextCursor c(&d.doc);
    if (block.next().isValid()) {
      c.setPosition(block.position());
      c.setPosition(block.next().position(), QTextCursor::KeepAnchor);
    } else {
      c.setPosition(std::max(0, block.position() - 1));
      c.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    }
    c.removeSelectedText();
  });
}

void TRichEditStrings::Clear() { owner_->Clear(); }

String TRichEditStrings::GetText() const { return TStrings::GetText(); }

void TRichEditStrings::SetText(const String& text) {
  TRichEditData& d = *owner_->d_;
  Quietly(owner_, d, [&] { ResetDocument(d.doc, ToQText(text)); });
}

void TRichEditStrings::LoadFromStream(TStream* stream, const TEncoding* encoding) {
  std::string data;
  char buffer[65536];
  for (;;) {
    const Integer n = stream->Read(buffer, sizeof buffer);
    if (n <= 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  if (!owner_->GetPlainText() && IsRtfData(data)) {
    owner_->SetRichText(ReadRtf(data));
    return;
  }
  TBytesStream copy(TBytes(data.begin(), data.end()));
  TStrings::LoadFromStream(&copy, encoding);
}

void TRichEditStrings::SaveToStream(TStream* stream, const TEncoding* encoding) const {
  if (owner_->GetPlainText()) {
    TStrings::SaveToStream(stream, encoding);
    return;
  }
  const std::string rtf = WriteRtf(owner_->GetRichText());
  stream->WriteBuffer(rtf.data(), static_cast<Integer>(rtf.size()));
}

// ---- TCustomRichEdit ----

void TCustomRichEdit::Published(TPropBuilder<TCustomRichEdit>& p) {
  static const TTypeInfo scrollStyleType =
      TTypeInfo::Enum(u"TScrollStyle", {u"ssNone", u"ssHorizontal", u"ssVertical", u"ssBoth"});
  static const TTypeInfo borderStyleType = TTypeInfo::Enum(u"TBorderStyle", {u"bsNone", u"bsSingle"});
  p.Object(u"Lines", &TCustomRichEdit::GetLines, &TCustomRichEdit::SetLines);
  p.Enum(u"ScrollBars", &scrollStyleType, &TCustomRichEdit::GetScrollBars, &TCustomRichEdit::SetScrollBars)
      .Default(ssNone);
  p.Enum(u"BorderStyle", &borderStyleType, &TCustomRichEdit::GetBorderStyle, &TCustomRichEdit::SetBorderStyle)
      .Default(bsSingle);
  p.Enum(u"Alignment", TypeInfoAlignment(), &TCustomRichEdit::GetAlignment, &TCustomRichEdit::SetAlignment)
      .Default(taLeftJustify);
  p.Bool(u"PlainText", &TCustomRichEdit::GetPlainText, &TCustomRichEdit::SetPlainText).Default(false);
  p.Bool(u"ReadOnly", &TCustomRichEdit::GetReadOnly, &TCustomRichEdit::SetReadOnly).Default(false);
  p.Bool(u"WordWrap", &TCustomRichEdit::GetWordWrap, &TCustomRichEdit::SetWordWrap).Default(true);
  p.Bool(u"HideScrollBars", &TCustomRichEdit::GetHideScrollBars, &TCustomRichEdit::SetHideScrollBars)
      .Default(true);
  p.Bool(u"HideSelection", &TCustomRichEdit::GetHideSelection, &TCustomRichEdit::SetHideSelection)
      .Default(true);
  p.Bool(u"WantTabs", &TCustomRichEdit::GetWantTabs, &TCustomRichEdit::SetWantTabs).Default(false);
  p.Bool(u"WantReturns", &TCustomRichEdit::GetWantReturns, &TCustomRichEdit::SetWantReturns).Default(true);
  p.Int(u"MaxLength", &TCustomRichEdit::GetMaxLength, &TCustomRichEdit::SetMaxLength).Default(0);
  p.Bool(u"TabStop", &TCustomRichEdit::GetTabStop, &TCustomRichEdit::SetTabStop).Default(true);
  p.Event(u"OnChange", &TCustomRichEdit::OnChange);
  p.Event(u"OnSelectionChange", &TCustomRichEdit::OnSelectionChange);
  p.Event(u"OnProtectChange", &TCustomRichEdit::OnProtectChange);
  p.Event(u"OnResizeRequest", &TCustomRichEdit::OnResizeRequest);
  p.Event(u"OnSaveClipboard", &TCustomRichEdit::OnSaveClipboard);
}

TCustomRichEdit::TCustomRichEdit(TComponent* owner)
    : TWinControl(owner),
      d_((EnsureQtApplication(), std::make_unique<TRichEditData>())),
      lines_(std::make_unique<TRichEditStrings>(this)),
      selAttributes_(std::make_unique<TTextAttributes>(this, atSelected)),
      defAttributes_(std::make_unique<TTextAttributes>(this, atDefaultText)),
      paragraph_(std::make_unique<TParaAttributes>(this)) {
  controlStyle_ = {csClickEvents, csSetCaption, csDoubleClicks};
  width_ = 185;
  height_ = 89;
  tabStop_ = true;
  color_ = clWindow;
  brush_->SetColor(color_);
  d_->doc.setUndoRedoEnabled(true);
  // The document reports its changes only once it has a layout.
  d_->doc.documentLayout();
  // Default tab stops every half inch, as rich text has them.
  QTextOption option = d_->doc.defaultTextOption();
  option.setTabStopDistance(48);
  d_->doc.setDefaultTextOption(option);
  defAttributes_->Assign(font_.get());
  QObject::connect(&d_->doc, &QTextDocument::contentsChange, &d_->doc,
                   [this](int pos, int removed, int added) {
                     GuardedCall(this, [&] { TRichEditBridge::ContentsChange(this, pos, removed, added); });
                   });
}

TCustomRichEdit::~TCustomRichEdit() {
  QObject::disconnect(&d_->doc, nullptr, nullptr, nullptr);
  // The widget shows our document: it goes first.
  if (HandleAllocated()) DestroyWindowHandle();
}

QWidget* TCustomRichEdit::CreateQtWidget(const TCreateParams& params) {
  QWidget* parentWidget = nullptr;
  if (TWinControlHost* h = FindHost(params.WndParent)) parentWidget = h->Widget();
  auto* edit = new TRichTextEdit(parentWidget);
  edit->setDocument(&d_->doc);
  edit->setTextCursor(d_->cursor);
  d_->edit = edit;
  QObject::connect(edit, &QTextEdit::cursorPositionChanged, edit,
                   [this] { GuardedCall(this, [this] { TRichEditBridge::SelectionMoved(this); }); });
  return edit;
}

void TCustomRichEdit::InitQtWidget(QWidget* widget) {
  (void)widget;
  ApplyWidgetOptions();
}

void TCustomRichEdit::ApplyWidgetOptions() {
  QTextEdit* edit = d_->edit;
  if (!edit) return;
  edit->setReadOnly(readOnly_);
  edit->setLineWrapMode(wordWrap_ ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  const Qt::ScrollBarPolicy shown = hideScrollBars_ ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
  edit->setHorizontalScrollBarPolicy(
      scrollBars_ == ssHorizontal || scrollBars_ == ssBoth ? shown : Qt::ScrollBarAlwaysOff);
  edit->setVerticalScrollBarPolicy(
      scrollBars_ == ssVertical || scrollBars_ == ssBoth ? shown : Qt::ScrollBarAlwaysOff);
  edit->setTabChangesFocus(!wantTabs_);
  edit->setFrameStyle(borderStyle_ == bsNone ? QFrame::NoFrame : (QFrame::StyledPanel | QFrame::Sunken));
  QPalette pal = edit->palette();
  pal.setColor(QPalette::Base, ToQColor(color_));
  pal.setColor(QPalette::Text, ToQColor(d_->defaultColor));
  if (hideSelection_) {
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Base));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::Text));
  } else {
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
  }
  edit->setPalette(pal);
  edit->setFocusPolicy(Qt::StrongFocus);
}

void TCustomRichEdit::DestroyWnd() {
  if (d_->edit) {
    d_->cursor = d_->edit->textCursor();
    d_->edit = nullptr;
  }
  TWinControl::DestroyWnd();
}

String TCustomRichEdit::GetTextValue() const {
  String s;
  for (QTextBlock b = d_->doc.begin(); b.isValid(); b = b.next()) {
    if (b != d_->doc.begin()) s += u"\r\n";
    s += BlockText(b);
  }
  return s;
}

void TCustomRichEdit::SetTextValue(const String& value) {
  text_ = value;
  lines_->SetText(value);
  modified_ = false;
}

void TCustomRichEdit::SetLines(TStrings* value) {
  if (value == lines_.get()) return;
  lines_->Assign(value);
}

Integer TCustomRichEdit::GetTextLength() const { return std::max(0, d_->doc.characterCount() - 1); }

Integer TCustomRichEdit::GetSelStart() const { return TRichEditBridge::Cursor(this).selectionStart(); }

void TCustomRichEdit::SetSelStart(Integer value) {
  QTextCursor c = TRichEditBridge::Cursor(this);
  c.setPosition(std::clamp<Integer>(value, 0, GetTextLength()));
  TRichEditBridge::SetCursor(this, c);
}

Integer TCustomRichEdit::GetSelLength() const {
  const QTextCursor c = TRichEditBridge::Cursor(this);
  return c.selectionEnd() - c.selectionStart();
}

void TCustomRichEdit::SetSelLength(Integer value) {
  QTextCursor c = TRichEditBridge::Cursor(this);
  const Integer start = c.selectionStart();
  c.setPosition(start);
  c.setPosition(std::clamp<Integer>(start + value, 0, GetTextLength()), QTextCursor::KeepAnchor);
  TRichEditBridge::SetCursor(this, c);
}

String TCustomRichEdit::GetSelText() const {
  String s = FromQString(TRichEditBridge::Cursor(this).selectedText());
  String out;
  for (Char c : s) {
    if (c == 0x2029)
      out += u"\r\n";
    else if (c == 0x2028)
      out += u'\v';
    else if (c != 0xFFFC)
      out += c;
  }
  return out;
}

void TCustomRichEdit::SetSelText(const String& value) {
  QTextCursor c = TRichEditBridge::Cursor(this);
  c.insertText(ToQText(value));
  TRichEditBridge::SetCursor(this, c);
}

void TCustomRichEdit::SelectAll() {
  QTextCursor c = TRichEditBridge::Cursor(this);
  c.select(QTextCursor::Document);
  TRichEditBridge::SetCursor(this, c);
}

void TCustomRichEdit::Clear() {
  Quietly(this, *d_, [&] { ResetDocument(d_->doc); });
}

TRtfDocument TCustomRichEdit::GetRichText() const { return RichEditRead(*d_); }

void TCustomRichEdit::SetRichText(const TRtfDocument& document) {
  Quietly(this, *d_, [&] { RichEditFill(*d_, document); });
  QTextCursor c(&d_->doc);
  TRichEditBridge::SetCursor(this, c);
  if (alignment_ != taLeftJustify) SetAlignment(alignment_);
  modified_ = false;
}

TRtfCharFormat TCustomRichEdit::CharFormat(TAttributeType type) const {
  if (type == atDefaultText) return RichEditFromQt(QTextCharFormat(), *d_);
  QTextCursor c = TRichEditBridge::Cursor(this);
  if (c.hasSelection()) {
    // The selection's first character speaks for it.
    QTextCursor first(&d_->doc);
    first.setPosition(c.selectionStart());
    if (!first.atBlockEnd()) first.setPosition(c.selectionStart() + 1);
    return RichEditFromQt(first.charFormat(), *d_);
  }
  return RichEditFromQt(d_->edit ? d_->edit->currentCharFormat() : c.charFormat(), *d_);
}

void TCustomRichEdit::ChangeCharFormat(TAttributeType type, const TRtfCharFormat& value, unsigned fields) {
  if (type == atDefaultText) {
    QFont font = d_->doc.defaultFont();
    if ((fields & rcfName) && !value.FontName.empty()) font.setFamily(ToQString(value.FontName));
    if ((fields & rcfSize) && value.HalfPoints > 0) font.setPointSizeF(value.HalfPoints / 2.0);
    if (fields & rcfStyle) {
      font.setBold(value.Style.Contains(fsBold));
      font.setItalic(value.Style.Contains(fsItalic));
      font.setUnderline(value.Style.Contains(fsUnderline));
      font.setStrikeOut(value.Style.Contains(fsStrikeOut));
    }
    if (fields & rcfColor) d_->defaultColor = value.Color;
    if (fields & rcfCharset) d_->defaultCharset = value.Charset;
    if (fields & rcfPitch) d_->defaultPitch = value.Pitch;
    d_->doc.setDefaultFont(font);
    ++d_->revision;
    ApplyWidgetOptions();
    return;
  }
  // As the window's own message would, a descendant hears of the change first and may refuse it.
  if (Perform(EM_SETCHARFORMAT, 0, 0) == 0) return;
  QTextCharFormat q = RichEditToQt(value, fields);
  if ((fields & rcfColor) && (value.Color == clDefault || value.Color == clNone))
    q.setForeground(ToQColor(d_->defaultColor));
  QTextCursor c = TRichEditBridge::Cursor(this);
  if (!c.hasSelection() && d_->edit) {
    d_->edit->mergeCurrentCharFormat(q);
    return;
  }
  c.mergeCharFormat(q);
  TRichEditBridge::SetCursor(this, c);
}

TRtfParaFormat TCustomRichEdit::ParaFormat() const {
  const QTextCursor c = TRichEditBridge::Cursor(this);
  return RichEditParaFromQt(d_->doc.findBlock(c.selectionStart()));
}

void TCustomRichEdit::ChangeParaFormat(const std::function<void(TRtfParaFormat&)>& change) {
  if (Perform(EM_SETPARAFORMAT, 0, 0) == 0) return;
  const QTextCursor sel = TRichEditBridge::Cursor(this);
  QTextBlock block = d_->doc.findBlock(sel.selectionStart());
  const QTextBlock last = d_->doc.findBlock(sel.selectionEnd());
  QTextList* list = nullptr;
  for (;;) {
    TRtfParaFormat p = RichEditParaFromQt(block);
    const bool wasBullet = p.Bullet;
    change(p);
    QTextCursor c(block);
    c.setBlockFormat(ParaToQt(p, block.blockFormat()));
    if (p.Bullet && !wasBullet) {
      QTextBlock prev = block.previous();
      if (!list && prev.isValid() && prev.textList()) list = prev.textList();
      if (list)
        list->add(block);
      else
        list = c.createList(QTextListFormat::ListDisc);
    } else if (!p.Bullet && wasBullet) {
      block.textList()->remove(block);
      QTextBlockFormat b = block.blockFormat();
      b.setIndent(0);
      c.setBlockFormat(b);
    }
    ++d_->revision;
    if (block == last || !block.next().isValid()) break;
    block = block.next();
  }
}

Integer TCustomRichEdit::FindText(const String& text, Integer start, Integer length,
                                  TSearchTypes options) const {
  if (text.empty()) return -1;
  const QString all = d_->doc.toRawText();
  const Integer total = static_cast<Integer>(all.size());
  if (start < 0) start = 0;
  if (start > total) return -1;
  const Integer end = length < 0 ? total : std::min<Integer>(total, start + length);
  const QString needle = ToQString(text);
  const Qt::CaseSensitivity cs = options.Contains(stMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
  for (qsizetype pos = all.indexOf(needle, start, cs); pos >= 0 && pos + needle.size() <= end;
       pos = all.indexOf(needle, pos + 1, cs)) {
    if (options.Contains(stWholeWord)) {
      const bool before = pos > 0 && IsWordChar(all[pos - 1].unicode());
      const qsizetype after = pos + needle.size();
      const bool behind = after < all.size() && IsWordChar(all[after].unicode());
      if (before || behind) continue;
    }
    return static_cast<Integer>(pos);
  }
  return -1;
}

void TCustomRichEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  ApplyWidgetOptions();
}
void TCustomRichEdit::SetWordWrap(bool value) {
  wordWrap_ = value;
  ApplyWidgetOptions();
}
void TCustomRichEdit::SetScrollBars(TScrollStyle value) {
  scrollBars_ = value;
  ApplyWidgetOptions();
}
void TCustomRichEdit::SetHideScrollBars(bool value) {
  hideScrollBars_ = value;
  ApplyWidgetOptions();
}
void TCustomRichEdit::SetHideSelection(bool value) {
  hideSelection_ = value;
  ApplyWidgetOptions();
}
void TCustomRichEdit::SetWantTabs(bool value) {
  wantTabs_ = value;
  ApplyWidgetOptions();
}
void TCustomRichEdit::SetBorderStyle(TBorderStyle value) {
  borderStyle_ = value == bsNone ? bsNone : bsSingle;
  ApplyWidgetOptions();
}
void TCustomRichEdit::SetMaxLength(Integer value) { maxLength_ = std::max<Integer>(0, value); }

void TCustomRichEdit::SetAlignment(TAlignment value) {
  alignment_ = value;
  const TRtfAlignment a = value == taCenter ? raCenter : value == taRightJustify ? raRight : raLeft;
  for (QTextBlock b = d_->doc.begin(); b.isValid(); b = b.next()) {
    TRtfParaFormat p = RichEditParaFromQt(b);
    p.Alignment = a;
    QTextCursor(b).setBlockFormat(ParaToQt(p, b.blockFormat()));
  }
  ++d_->revision;
}

void TCustomRichEdit::Print(const String& title) {
  if (!PrintHook()) throw EInvalidOperation(u"Printing is not available: the printing library is not linked");
  PrintHook()(this, title);
}

Integer TCustomRichEdit::FormatRange(TFormatRange* range, bool render) {
  if (!range) {
    RichEditFreeLayout(*d_);
    return 0;
  }
  return RichEditFormatRange(*d_, *range, render);
}

void TCustomRichEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomRichEdit::SelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TCustomRichEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL | (wantTabs_ ? DLGC_WANTTAB : 0) |
                 (wantReturns_ ? DLGC_WANTALLKEYS : 0);
      return;
    case WM_KEYDOWN:
      // Without WantReturns, Enter belongs to the form (its default button), not to the text.
      if (!wantReturns_ && m.WParam == VK_RETURN) {
        m.Result = 0;
        return;
      }
      break;
    case WM_CHAR:
      if (!wantReturns_ && m.WParam == u'\r') {
        m.Result = 0;
        return;
      }
      break;
    case EM_FORMATRANGE:
      m.Result = FormatRange(reinterpret_cast<TFormatRange*>(m.LParam), m.WParam != 0);
      return;
    case EM_EXGETSEL:
      if (auto* r = reinterpret_cast<TCharRange*>(m.LParam)) {
        r->cpMin = GetSelStart();
        r->cpMax = r->cpMin + GetSelLength();
      }
      m.Result = 0;
      return;
    case EM_EXSETSEL:
    case EM_SETSEL: {
      Integer from = 0, to = 0;
      if (m.Msg == EM_EXSETSEL) {
        const auto* r = reinterpret_cast<const TCharRange*>(m.LParam);
        if (!r) return;
        from = r->cpMin;
        to = r->cpMax;
      } else {
        from = static_cast<Integer>(static_cast<std::intptr_t>(m.WParam));
        to = static_cast<Integer>(m.LParam);
      }
      const Integer len = GetTextLength();
      QTextCursor c = TRichEditBridge::Cursor(this);
      if (from < 0) {
        c.clearSelection();
      } else {
        if (to < 0 || to > len) to = len;
        from = std::min(from, len);
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
      }
      TRichEditBridge::SetCursor(this, c);
      m.Result = c.selectionEnd();
      return;
    }
    case EM_GETSEL: {
      const Integer start = GetSelStart(), end = start + GetSelLength();
      if (m.WParam) *reinterpret_cast<DWORD*>(m.WParam) = static_cast<DWORD>(start);
      if (m.LParam) *reinterpret_cast<DWORD*>(m.LParam) = static_cast<DWORD>(end);
      m.Result = (start & 0xFFFF) | ((end & 0xFFFF) << 16);
      return;
    }
    case EM_GETTEXTLENGTHEX: {
      const auto* g = reinterpret_cast<const TGetTextLengthEx*>(m.WParam);
      Integer n = GetTextLength();
      if (g && (g->flags & GTL_USECRLF)) n += d_->doc.blockCount() - 1;
      if (g && (g->flags & GTL_NUMBYTES) && g->codepage == 1200) n *= 2;
      m.Result = n;
      return;
    }
    case EM_GETEVENTMASK:
      m.Result = static_cast<LRESULT>(eventMask_);
      return;
    case EM_SETEVENTMASK:
      m.Result = static_cast<LRESULT>(eventMask_);
      eventMask_ = static_cast<DWORD>(m.LParam);
      return;
    case EM_SETREADONLY:
      SetReadOnly(m.WParam != 0);
      m.Result = 1;
      return;
    case EM_GETMODIFY:
      m.Result = modified_ ? 1 : 0;
      return;
    case EM_SETMODIFY:
      modified_ = m.WParam != 0;
      return;
    case EM_GETLINECOUNT:
      m.Result = d_->doc.blockCount();
      return;
    case EM_LINEINDEX: {
      const Integer line = static_cast<Integer>(static_cast<std::intptr_t>(m.WParam));
      const QTextBlock b = line < 0 ? d_->doc.findBlock(GetSelStart()) : d_->doc.findBlockByNumber(line);
      m.Result = b.isValid() ? b.position() : -1;
      return;
    }
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR: {
      const Integer pos =
          static_cast<Integer>(m.Msg == EM_EXLINEFROMCHAR ? m.LParam : static_cast<std::intptr_t>(m.WParam));
      m.Result = d_->doc.findBlock(pos < 0 ? GetSelStart() : pos).blockNumber();
      return;
    }
    case EM_REPLACESEL:
      if (const auto* text = reinterpret_cast<const Char*>(m.LParam)) SetSelText(String(text));
      return;
    case EM_CANUNDO:
      m.Result = d_->doc.isUndoAvailable() ? 1 : 0;
      return;
    case EM_UNDO:
    case WM_UNDO:
      m.Result = d_->doc.isUndoAvailable() ? 1 : 0;
      d_->doc.undo();
      return;
    case EM_EMPTYUNDOBUFFER:
      d_->doc.clearUndoRedoStacks();
      return;
    case EM_GETMARGINS:
      m.Result = 0;
      return;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (auto* edit = static_cast<TRichTextEdit*>(d_->edit.data())) {
        if (const auto* r = reinterpret_cast<const TRect*>(m.LParam)) {
          const TRect client = GetClientRect();
          edit->setViewportMargins(std::max(0, r->Left), std::max(0, r->Top),
                                   std::max(0, client.Right - r->Right),
                                   std::max(0, client.Bottom - r->Bottom));
        } else {
          edit->setViewportMargins(0, 0, 0, 0);
        }
      }
      return;
    case EM_SCROLLCARET:
      if (d_->edit) d_->edit->ensureCursorVisible();
      return;
    case EM_SETCHARFORMAT:
    case EM_SETPARAFORMAT:
      // The raw format records are not kept; SelAttributes and Paragraph carry formatting and send
      // these first: a non-zero answer lets their change go ahead.
      m.Result = 1;
      return;
    case WM_CUT:
      if (d_->edit) d_->edit->cut();
      return;
    case WM_COPY:
      if (d_->edit) d_->edit->copy();
      return;
    case WM_PASTE:
      if (d_->edit) d_->edit->paste();
      return;
    case WM_CLEAR: {
      QTextCursor c = TRichEditBridge::Cursor(this);
      c.removeSelectedText();
      TRichEditBridge::SetCursor(this, c);
      return;
    }
    case CM_FONTCHANGED:
      defAttributes_->Assign(font_.get());
      break;
    case CM_COLORCHANGED:
      ApplyWidgetOptions();
      break;
    default:
      break;
  }
  TWinControl::Dispatch(m);
}
