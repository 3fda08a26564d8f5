// Text on device contexts: fonts mapped to installed families, metrics in logical units, TextOut and
// ExtTextOut with alignment and advances, and DrawText's line breaking, prefixes and ellipses.
#include <QFontDatabase>
#include <QFontInfo>
#include <QString>
#include <algorithm>
#include <cmath>

#include "platform/graphics/private/DeviceContext.h"

namespace {

QString ToQ(const Char* text, Integer count) { return QString::fromUtf16(text, count); }

struct FamilyAlias {
  const char16_t* face;
  const char* family;
};

// Faces of the forms and the installed families with the same metrics.
constexpr FamilyAlias Aliases[] = {
    {u"Arial", "Liberation Sans"},
    {u"MS Sans Serif", "Liberation Sans"},
    {u"Microsoft Sans Serif", "Liberation Sans"},
    {u"Helvetica", "Liberation Sans"},
    {u"Segoe UI", "Liberation Sans"},
    {u"Verdana", "DejaVu Sans"},
    {u"Tahoma", "DejaVu Sans"},
    {u"Times New Roman", "Liberation Serif"},
    {u"Times", "Liberation Serif"},
    {u"MS Serif", "Liberation Serif"},
    {u"Courier New", "Liberation Mono"},
    {u"Courier", "Liberation Mono"},
    {u"Lucida Console", "Liberation Mono"},
    {u"Arial Narrow", "Liberation Sans Narrow"},
};

bool SameFace(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    Char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = x - 'A' + 'a';
    if (y >= 'A' && y <= 'Z') y = y - 'A' + 'a';
    if (x != y) return false;
  }
  return true;
}

constexpr char16_t CachedAdvances = 0x500;

void EnsureFont(HDC dc) {
  if (dc->fontValid) return;
  dc->qfont = gdi::FontFromLogFont(dc->st.font);
  dc->metrics = std::make_unique<QFontMetricsF>(dc->qfont);
  dc->advances.clear();
  dc->fontValid = true;
}

double AdvanceOf(HDC dc, QChar c) {
  const char16_t u = c.unicode();
  if (u >= CachedAdvances) return dc->metrics->horizontalAdvance(c);
  if (dc->advances.empty()) dc->advances.assign(CachedAdvances, -1.0);
  double& a = dc->advances[u];
  if (a < 0) a = dc->metrics->horizontalAdvance(c);
  return a;
}

Integer RoundI(double v) { return static_cast<Integer>(std::lround(v)); }

struct LineMetrics {
  Integer ascent, descent, height, internalLeading, externalLeading, aveChar, maxChar;
};

LineMetrics MetricsOf(HDC dc) {
  EnsureFont(dc);
  const QFontMetricsF& fm = *dc->metrics;
  LineMetrics m;
  m.ascent = RoundI(fm.ascent());
  m.descent = RoundI(fm.descent());
  m.height = m.ascent + m.descent;
  m.internalLeading = std::max(0, m.height - dc->qfont.pixelSize());
  m.externalLeading = std::max(0, RoundI(fm.leading()));
  m.aveChar = std::max(1, RoundI(fm.horizontalAdvance(QLatin1Char('x'))));
  m.maxChar = std::max(1, RoundI(fm.maxWidth()));
  return m;
}

// Positions of each character's left edge and the end, in logical units, from the font's own
// advances (no kerning, so a prefix is as wide alone as inside the string).
std::vector<double> Positions(HDC dc, const QString& s) {
  EnsureFont(dc);
  const QFontMetricsF& fm = *dc->metrics;
  std::vector<double> pos(s.size() + 1, 0.0);
  double x = 0;
  for (qsizetype i = 0; i < s.size(); ++i) {
    pos[i] = x;
    if (s[i].isHighSurrogate() && i + 1 < s.size()) {
      x += fm.horizontalAdvance(s.mid(i, 2)) + dc->st.charExtra;
      pos[++i] = x;
      continue;
    }
    if (s[i].isLowSurrogate()) continue;
    x += AdvanceOf(dc, s[i]) + dc->st.charExtra;
  }
  pos[s.size()] = x;
  return pos;
}

Integer WidthOf(HDC dc, const QString& s) {
  if (s.isEmpty()) return 0;
  return RoundI(Positions(dc, s).back());
}

void ApplyTextPainter(HDC dc, QPainter* p) {
  EnsureFont(dc);
  p->setFont(dc->qfont);
  p->setPen(gdi::ToQColor(dc->st.textColor));
  p->setBrush(Qt::NoBrush);
  // The text's own background is filled by the caller; a shape drawn before may have left the
  // painter opaque, which would fill it again in the shape's background colour.
  p->setBackgroundMode(Qt::TransparentMode);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// Draws a run of text whose cell's top-left is at (x, top) in logical units, glyphs upright even
// where the context mirrors its x axis, rotated by the font's escapement about the reference point.
void PaintRun(HDC dc, QPainter* p, double x, double top, TPoint ref, const QString& s,
              const std::vector<Integer>* dx, Integer width, Integer ascent, Integer underlineAt) {
  QTransform t = gdi::DeviceTransform(dc);
  const Integer escapement = dc->st.font.lfEscapement;
  if (escapement != 0) {
    QTransform rot;
    rot.translate(ref.X, ref.Y);
    rot.rotate(-escapement / 10.0);
    rot.translate(-ref.X, -ref.Y);
    t = rot * t;
  }
  if (t.determinant() < 0) {
    // Unmirror the glyphs inside their own box: the box stays where the mapping puts it.
    const double cx = x + width / 2.0;
    t = QTransform(-1, 0, 0, 1, 2 * cx, 0) * t;
  }
  p->setTransform(t * dc->deviceOrigin);
  ApplyTextPainter(dc, p);
  const double baseline = top + ascent;
  if (!dx) {
    p->drawText(QPointF(x, baseline), s);
  } else {
    double cx = x;
    for (qsizetype i = 0; i < s.size(); ++i) {
      qsizetype n = (s[i].isHighSurrogate() && i + 1 < s.size()) ? 2 : 1;
      p->drawText(QPointF(cx, baseline), s.mid(i, n));
      cx += (*dx)[i];
      if (n == 2) cx += (*dx)[++i];
    }
  }
  if (underlineAt >= 0 && underlineAt < s.size()) {
    const std::vector<double> pos = Positions(dc, s);
    const double ux0 = x + pos[underlineAt], ux1 = x + pos[underlineAt + 1];
    const double uy = baseline + std::max(1.0, std::round(dc->metrics->underlinePos()));
    p->setTransform(t * QTransform::fromTranslate(0, 0.5) * dc->deviceOrigin);
    QPen pen(gdi::ToQColor(dc->st.textColor), 0);
    pen.setCapStyle(Qt::FlatCap);
    p->setPen(pen);
    p->drawLine(QPointF(ux0, uy), QPointF(ux1, uy));
  }
}

// ExtTextOut with an optional underlined character (DrawText's prefix) and pre-split text.
bool TextOutImpl(HDC dc, Integer x, Integer y, UINT options, const TRect* rect, const QString& s,
                 const Integer* dxIn, Integer underlineAt) {
  const LineMetrics m = MetricsOf(dc);
  std::vector<Integer> dx;
  if (dxIn) dx.assign(dxIn, dxIn + s.size());
  Integer width = 0;
  if (dxIn) {
    for (Integer d : dx) width += d;
  } else {
    width = WidthOf(dc, s);
  }
  const UINT align = dc->st.textAlign;
  if (align & TA_UPDATECP) {
    x = dc->st.curPos.X;
    y = dc->st.curPos.Y;
  }
  const TPoint ref(x, y);
  double left = x;
  switch (align & (TA_LEFT | TA_RIGHT | TA_CENTER)) {
    case TA_RIGHT:
      left = x - width;
      break;
    case TA_CENTER: {
      // Whole pixels, as the device centres a run.
      const Integer half = width / 2;
      left = x - half;
      break;
    }
    default:
      break;
  }
  double top = y;
  switch (align & TA_BASELINE) {
    case TA_BASELINE:
      top = y - m.ascent;
      break;
    case TA_BOTTOM:
      top = y - m.height;
      break;
    default:
      break;
  }
  if (align & TA_UPDATECP) {
    const UINT h = align & (TA_LEFT | TA_RIGHT | TA_CENTER);
    if (h == TA_LEFT)
      dc->st.curPos.X = x + width;
    else if (h == TA_RIGHT)
      dc->st.curPos.X = x - width;
  }
  if (dc->recorder) {
    if (dx.empty()) dx = gdi::Advances(dc, String(reinterpret_cast<const Char*>(s.utf16()), s.size()));
    dc->recorder->Text(dc, ref, options, rect, String(reinterpret_cast<const Char*>(s.utf16()), s.size()),
                       dx);
    return true;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p) return true;
  // Clipping costs a painter state change; text wholly inside the rectangle needs none.
  const bool inside = rect && left >= rect->Left && top >= rect->Top && left + width <= rect->Right &&
                      top + m.height <= rect->Bottom && dc->st.font.lfEscapement == 0;
  const bool clipped = rect && (options & ETO_CLIPPED) && !inside;
  if (clipped) {
    p->save();
    const QRectF cr =
        gdi::DeviceTransform(dc).mapRect(QRectF(rect->Left, rect->Top, rect->Width(), rect->Height()));
    p->setTransform(dc->deviceOrigin);
    p->setClipRect(cr, Qt::IntersectClip);
  }
  const QTransform t = gdi::PainterTransform(dc);
  if (rect && (options & ETO_OPAQUE)) {
    p->setTransform(t);
    p->fillRect(QRectF(rect->Left, rect->Top, rect->Width(), rect->Height()), gdi::ToQColor(dc->st.bkColor));
  }
  if (dc->st.bkMode == OPAQUE && !s.isEmpty()) {
    p->setTransform(t);
    p->fillRect(QRectF(left, top, width, m.height), gdi::ToQColor(dc->st.bkColor));
  }
  if (!s.isEmpty()) PaintRun(dc, p, left, top, ref, s, dxIn ? &dx : nullptr, width, m.ascent, underlineAt);
  if (clipped) {
    p->restore();
    gdi::InvalidatePainterState(dc);
  }
  return true;
}

// ---- DrawText layout ----

struct DtLine {
  QString text;
  Integer underline = -1;  // index of the prefixed character in text
  Integer width = 0;
};

constexpr Char Ellipsis[] = u"...";

// Removes prefix marks: "&&" becomes "&", "&x" marks x. Answers the marked index or -1.
Integer StripPrefix(QString& s) {
  QString out;
  Integer marked = -1;
  for (qsizetype i = 0; i < s.size(); ++i) {
    if (s[i] == u'&' && i + 1 < s.size()) {
      ++i;
      if (s[i] != u'&') marked = static_cast<Integer>(out.size());
    } else if (s[i] == u'&') {
      continue;
    }
    out += s[i];
  }
  s = out;
  return marked;
}

QString ExpandTabs(HDC dc, const QString& s, Integer tabWidth) {
  if (!s.contains(u'\t') || tabWidth <= 0) return s;
  QString out;
  for (QChar c : s) {
    if (c != u'\t') {
      out += c;
      continue;
    }
    const Integer w = WidthOf(dc, out);
    const Integer next = (w / tabWidth + 1) * tabWidth;
    // Spaces up to the tab stop; a run of spaces is as close as plain text gets to a stop.
    out += u' ';
    while (WidthOf(dc, out) + WidthOf(dc, QStringLiteral(" ")) <= next) out += u' ';
  }
  return out;
}

// The longest prefix of s that fits with "..." after it.
QString EndEllipsis(HDC dc, const QString& s, Integer maxWidth) {
  const QString dots = QString::fromUtf16(Ellipsis);
  if (WidthOf(dc, s) <= maxWidth) return s;
  const Integer dotsWidth = WidthOf(dc, dots);
  const std::vector<double> pos = Positions(dc, s);
  qsizetype n = s.size();
  while (n > 0 && RoundI(pos[n]) + dotsWidth > maxWidth) --n;
  // The estimate rounds prefix and dots apart; settle it on the real width.
  while (n < s.size() && WidthOf(dc, s.left(n + 1) + dots) <= maxWidth) ++n;
  while (n > 0 && WidthOf(dc, s.left(n) + dots) > maxWidth) --n;
  return s.left(n) + dots;
}

// Keeps the last path component and takes characters off the end of what comes before it.
QString PathEllipsis(HDC dc, const QString& s, Integer maxWidth) {
  if (WidthOf(dc, s) <= maxWidth) return s;
  const qsizetype slash = s.lastIndexOf(u'\\');
  if (slash < 0) return EndEllipsis(dc, s, maxWidth);
  const QString tail = s.mid(slash);
  QString head = s.left(slash);
  const QString dots = QString::fromUtf16(Ellipsis);
  while (!head.isEmpty() && WidthOf(dc, head + dots + tail) > maxWidth) head.chop(1);
  return head + dots + tail;
}

struct DtOptions {
  UINT format;
  Integer maxWidth;
  Integer tabWidth;
};

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Splits one paragraph (no line breaks in it) into lines at blanks, as GDI breaks words: the blanks
// at a break vanish; a word wider than the line stays whole unless DT_EDITCONTROL splits it.
std::vector<QString> BreakParagraph(HDC dc, const QString& para, const DtOptions& o) {
  std::vector<QString> lines;
  if (!(o.format & DT_WORDBREAK) || (o.format & DT_SINGLELINE)) {
    lines.push_back(para);
    return lines;
  }
  qsizetype start = 0;
  const qsizetype n = para.size();
  while (start < n || lines.empty()) {
    if (start >= n) {
      lines.push_back(QString());
      break;
    }
    const QString rest = para.mid(start);
    const std::vector<double> pos = Positions(dc, rest);
    // The last character index whose end still fits.
    qsizetype fit = 0;
    while (fit < rest.size() && RoundI(pos[fit + 1]) <= o.maxWidth) ++fit;
    if (fit >= rest.size()) {
      lines.push_back(rest);
      break;
    }
    // Blanks right at the overflow point belong to the break.
    qsizetype breakAt = -1;
    if (IsBlank(rest[fit])) {
      breakAt = fit;
    } else {
      for (qsizetype i = fit; i > 0; --i) {
        if (IsBlank(rest[i - 1])) {
          breakAt = i - 1;
          break;
        }
      }
    }
    qsizetype lineEnd = breakAt;
    while (lineEnd > 0 && IsBlank(rest[lineEnd - 1])) --lineEnd;
    qsizetype next;
    if (breakAt >= 0 && lineEnd > 0) {
      next = breakAt;
    } else if (o.format & DT_EDITCONTROL) {
      lineEnd = std::max<qsizetype>(1, fit);
      next = lineEnd;
    } else {
      // No blank before the overflow: the word runs over the edge and the line ends after it.
      qsizetype e = std::max<qsizetype>(fit, 1);
      while (e < rest.size() && !IsBlank(rest[e])) ++e;
      lineEnd = e;
      next = e;
    }
    lines.push_back(rest.left(lineEnd));
    while (next < rest.size() && IsBlank(rest[next])) ++next;
    start += next;
  }
  return lines;
}

Integer DrawTextImpl(HDC dc, const Char* text, Integer count, TRect* rect, UINT format,
                     DRAWTEXTPARAMS* params) {
  if (!dc || !text || !rect) return 0;
  if (count < 0) count = static_cast<Integer>(std::u16string_view(text).size());
  const LineMetrics m = MetricsOf(dc);
  const Integer lineHeight = m.height + ((format & DT_EXTERNALLEADING) ? m.externalLeading : 0);
  const Integer lmargin = params ? params->iLeftMargin : 0, rmargin = params ? params->iRightMargin : 0;
  Integer tabStops = 8;
  if (params && params->iTabLength > 0)
    tabStops = params->iTabLength;
  else if (format & DT_TABSTOP)
    tabStops = (format >> 8) & 0xFF;
  if (format & DT_TABSTOP) format &= ~0xFF00u;
  if (params) params->uiLengthDrawn = 0;
  if (count == 0) {
    if (format & DT_CALCRECT) {
      rect->Right = rect->Left;
      rect->Bottom = rect->Top + ((format & DT_SINGLELINE) ? lineHeight : 0);
    }
    return 0;
  }

  DtOptions o{format, rect->Width() - lmargin - rmargin, tabStops * m.aveChar};
  const QString all = ToQ(text, count);

  // Paragraphs: CR LF, LF CR, CR or LF end a line unless the text is one line.
  std::vector<QString> paragraphs;
  if (format & DT_SINGLELINE) {
    paragraphs.push_back(all);
  } else {
    QString cur;
    for (qsizetype i = 0; i < all.size(); ++i) {
      const QChar c = all[i];
      if (c == u'\r' || c == u'\n') {
        paragraphs.push_back(cur);
        cur.clear();
        if (i + 1 < all.size() && (all[i + 1] == u'\r' || all[i + 1] == u'\n') && all[i + 1] != c) ++i;
        continue;
      }
      cur += c;
    }
    paragraphs.push_back(cur);
  }

  std::vector<DtLine> lines;
  for (QString para : paragraphs) {
    Integer marked = -1;
    if (!(format & DT_NOPREFIX)) marked = StripPrefix(para);
    if (format & DT_EXPANDTABS) para = ExpandTabs(dc, para, o.tabWidth);
    qsizetype consumed = 0;
    for (QString& part : BreakParagraph(dc, para, o)) {
      DtLine line;
      const qsizetype at = para.indexOf(part, consumed);
      if (marked >= 0 && at >= 0 && marked >= at && marked < at + part.size()) line.underline = marked - at;
      if (at >= 0) consumed = at + part.size();
      line.text = part;
      lines.push_back(line);
    }
  }

  // Ellipses on lines still too wide.
  const bool anyEllipsis = format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS);
  for (DtLine& line : lines) {
    if (anyEllipsis && WidthOf(dc, line.text) > o.maxWidth) {
      const QString before = line.text;
      line.text = (format & DT_PATH_ELLIPSIS) ? PathEllipsis(dc, line.text, o.maxWidth)
                                              : EndEllipsis(dc, line.text, o.maxWidth);
      if (line.underline >= line.text.size() - 3) line.underline = -1;
    }
    line.width = WidthOf(dc, line.text);
  }

  // Lines that fit the rectangle (an edit control shows no partial last line); with an end ellipsis
  // the last shown line says that text was left out.
  size_t shown = lines.size();
  if (!(format & DT_NOCLIP) && !(format & DT_CALCRECT) && !(format & DT_SINGLELINE)) {
    Integer y = rect->Top;
    for (size_t i = 0; i < lines.size(); ++i) {
      const bool last = y + ((format & DT_EDITCONTROL) ? 2 * lineHeight - 1 : lineHeight) > rect->Bottom;
      y += lineHeight;
      if (last) {
        shown = i + 1;
        break;
      }
    }
    if ((format & DT_EDITCONTROL) && shown > 1 &&
        rect->Top + static_cast<Integer>(shown) * lineHeight > rect->Bottom)
      --shown;
    if (shown < lines.size() && (format & DT_END_ELLIPSIS) && (format & DT_WORDBREAK) && shown > 0) {
      DtLine& last = lines[shown - 1];
      const QString dots = QString::fromUtf16(Ellipsis);
      last.text = EndEllipsis(dc, last.text + dots + dots, o.maxWidth);
      if (!last.text.endsWith(dots)) last.text += dots;
      last.width = WidthOf(dc, last.text);
    }
  }

  Integer maxWidth = 0;
  for (size_t i = 0; i < shown; ++i) maxWidth = std::max(maxWidth, lines[i].width);
  const Integer total = static_cast<Integer>(shown) * lineHeight;

  if (params) params->uiLengthDrawn = static_cast<UINT>(count);

  if (format & DT_CALCRECT) {
    rect->Right = rect->Left + maxWidth + lmargin + rmargin;
    rect->Bottom = rect->Top + total;
    return total;
  }

  Integer y = rect->Top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER)
      y = rect->Top + (rect->Bottom - rect->Top) / 2 - lineHeight / 2;
    else if (format & DT_BOTTOM)
      y = rect->Bottom - lineHeight;
  }
  const UINT savedAlign = dc->st.textAlign;
  dc->st.textAlign = TA_LEFT | TA_TOP;
  const bool rtl = format & DT_RTLREADING;
  for (size_t i = 0; i < shown; ++i) {
    const DtLine& line = lines[i];
    Integer x = rect->Left + lmargin;
    if (format & DT_CENTER)
      x = (rect->Left + lmargin + rect->Right - rmargin - line.width) / 2;
    else if (format & DT_RIGHT)
      x = rect->Right - rmargin - line.width;
    const bool hide = (format & DT_HIDEPREFIX) != 0;
    QString s = line.text;
    if (rtl) s = QChar(0x202B) + s + QChar(0x202C);
    if (format & DT_PREFIXONLY) {
      // Only the underline of the prefixed character.
      QPainter* p = gdi::Painter(dc);
      if (p && line.underline >= 0) {
        const std::vector<double> pos = Positions(dc, line.text);
        const TRect u(x + RoundI(pos[line.underline]), y + m.ascent + 1, x + RoundI(pos[line.underline + 1]),
                      y + m.ascent + 2);
        p->setTransform(gdi::PainterTransform(dc));
        p->fillRect(QRectF(u.Left, u.Top, u.Width(), u.Height()), gdi::ToQColor(dc->st.textColor));
      }
    } else {
      TextOutImpl(dc, x, y, (format & DT_NOCLIP) ? 0u : UINT(ETO_CLIPPED), &*rect, s, nullptr,
                  hide ? -1 : (rtl && line.underline >= 0 ? line.underline + 1 : line.underline));
    }
    y += lineHeight;
  }
  dc->st.textAlign = savedAlign;
  if (format & (DT_VCENTER | DT_BOTTOM)) return y - rect->Top;
  return y - rect->Top;
}

}  // namespace

namespace gdi {

QString MapFamily(const String& face) {
  for (const FamilyAlias& a : Aliases)
    if (SameFace(face, a.face)) return QString::fromLatin1(a.family);
  if (face.empty()) return QStringLiteral("Liberation Sans");
  return QString::fromUtf16(face.data(), face.size());
}

QFont FontFromLogFont(const LOGFONTW& lf) {
  QFont f;
  const std::u16string_view face(lf.lfFaceName, std::char_traits<Char>::length(lf.lfFaceName));
  f.setFamily(MapFamily(String(face)));
  f.setKerning(false);
  f.setStyleStrategy(lf.lfQuality == NONANTIALIASED_QUALITY ? QFont::NoAntialias : QFont::PreferDefault);
  f.setHintingPreference(QFont::PreferNoHinting);
  f.setWeight(static_cast<QFont::Weight>(std::clamp(lf.lfWeight == 0 ? 400 : lf.lfWeight, 100, 900)));
  f.setItalic(lf.lfItalic != 0);
  f.setUnderline(lf.lfUnderline != 0);
  f.setStrikeOut(lf.lfStrikeOut != 0);
  if ((lf.lfPitchAndFamily & 3) == FIXED_PITCH) f.setFixedPitch(true);
  Integer px = 11;
  if (lf.lfHeight < 0) {
    px = -lf.lfHeight;
  } else if (lf.lfHeight > 0) {
    // A positive height is the cell height: find the character height that gives it.
    f.setPixelSize(std::max(1, lf.lfHeight));
    const QFontMetricsF fm(f);
    const double cell = fm.ascent() + fm.descent();
    px = cell > 0 ? std::max(1, static_cast<Integer>(std::lround(lf.lfHeight * lf.lfHeight / cell)))
                  : lf.lfHeight;
  }
  f.setPixelSize(std::max(1, px));
  if (lf.lfWidth > 0) {
    const QFontMetricsF fm(f);
    const double natural = fm.horizontalAdvance(QLatin1Char('x'));
    if (natural > 0)
      f.setStretch(std::clamp(static_cast<int>(std::lround(lf.lfWidth * 100.0 / natural)), 1, 4000));
  }
  return f;
}

const QFont& Font(HDC dc) {
  EnsureFont(dc);
  return dc->qfont;
}

const QFontMetricsF& Metrics(HDC dc) {
  EnsureFont(dc);
  return *dc->metrics;
}

std::vector<Integer> Advances(HDC dc, const String& text) {
  const QString s = QString::fromUtf16(text.data(), text.size());
  const std::vector<double> pos = Positions(dc, s);
  std::vector<Integer> dx(s.size());
  for (qsizetype i = 0; i < s.size(); ++i) dx[i] = RoundI(pos[i + 1]) - RoundI(pos[i]);
  return dx;
}

Integer TextWidth(HDC dc, const String& text) {
  return WidthOf(dc, QString::fromUtf16(text.data(), text.size()));
}

}  // namespace gdi

bool TextOut(HDC dc, Integer x, Integer y, const Char* text, Integer count) {
  return ExtTextOut(dc, x, y, 0, nullptr, text, count < 0 ? 0 : count, nullptr);
}

bool ExtTextOut(HDC dc, Integer x, Integer y, UINT options, const TRect* rect, const Char* text, UINT count,
                const Integer* dx) {
  if (!dc) return false;
  if (!text) count = 0;
  return TextOutImpl(dc, x, y, options, rect, ToQ(text ? text : u"", static_cast<Integer>(count)), dx, -1);
}

Integer DrawText(HDC dc, const Char* text, Integer count, TRect* rect, UINT format) {
  return DrawTextImpl(dc, text, count, rect, format, nullptr);
}

Integer DrawTextEx(HDC dc, const Char* text, Integer count, TRect* rect, UINT format,
                   DRAWTEXTPARAMS* params) {
  return DrawTextImpl(dc, text, count, rect, format, params);
}

bool GetTextMetrics(HDC dc, TEXTMETRICW* tm) {
  if (!dc || !tm) return false;
  const LineMetrics m = MetricsOf(dc);
  *tm = TEXTMETRICW();
  tm->tmHeight = m.height;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = m.internalLeading;
  tm->tmExternalLeading = m.externalLeading;
  tm->tmAveCharWidth = m.aveChar;
  tm->tmMaxCharWidth = m.maxChar;
  tm->tmWeight = dc->st.font.lfWeight == 0 ? FW_NORMAL : dc->st.font.lfWeight;
  tm->tmOverhang = 0;
  tm->tmDigitizedAspectX = dc->dpiX;
  tm->tmDigitizedAspectY = dc->dpiY;
  tm->tmItalic = dc->st.font.lfItalic;
  tm->tmUnderlined = dc->st.font.lfUnderline;
  tm->tmStruckOut = dc->st.font.lfStrikeOut;
  tm->tmCharSet = dc->st.font.lfCharSet;
  // The low bit set means a variable pitch, as the original's (inverted) flag says.
  tm->tmPitchAndFamily = dc->qfont.fixedPitch() ? 0 : 1;
  return true;
}

bool GetTextExtentPoint32(HDC dc, const Char* text, Integer count, TSize* size) {
  if (!dc || !size || count < 0) return false;
  *size = TSize(count > 0 && text ? WidthOf(dc, ToQ(text, count)) : 0, MetricsOf(dc).height);
  return true;
}

bool GetTextExtentExPoint(HDC dc, const Char* text, Integer count, Integer maxExtent, Integer* fit,
                          Integer* dx, TSize* size) {
  if (!dc || count < 0 || (count > 0 && !text)) return false;
  const QString s = ToQ(text ? text : u"", count);
  const std::vector<double> pos = Positions(dc, s);
  Integer fitted = 0;
  for (Integer i = 0; i < count; ++i) {
    const Integer extent = RoundI(pos[i + 1]);
    if (dx) dx[i] = extent;
    if (fit && extent <= maxExtent && fitted == i) fitted = i + 1;
  }
  if (fit) *fit = fitted;
  if (size) *size = TSize(RoundI(pos.back()), MetricsOf(dc).height);
  return true;
}

Integer GetTextFace(HDC dc, Integer count, Char* name) {
  if (!dc) return 0;
  const std::u16string_view face(dc->st.font.lfFaceName,
                                 std::char_traits<Char>::length(dc->st.font.lfFaceName));
  if (!name) return static_cast<Integer>(face.size()) + 1;
  const Integer n = std::min<Integer>(count - 1, static_cast<Integer>(face.size()));
  if (n < 0) return 0;
  std::copy_n(face.begin(), n, name);
  name[n] = 0;
  return n;
}
