// The format-range call: a character range of the rich edit's document laid out with QTextDocument
// at the target device's resolution and drawn through the device-context layer, so that the same
// text lands alike on screens, bitmaps, printers and metafiles. Whole lines only: a line that does
// not fit starts the next rectangle.
#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextList>
#include <cmath>
#include <vector>

#include "platform/controls/private/ControlsQt.h"
#include "platform/controls/private/RichEditQt.h"
#include "platform/graphics/Gdi.h"

namespace {

Integer DpiOf(HDC dc, Integer index) {
  const Integer v = dc ? GetDeviceCaps(dc, index) : 0;
  return v > 0 ? v : 96;
}

// A paint device that only tells the layout its resolution.
std::unique_ptr<QImage> ResolutionDevice(Integer dpi) {
  auto image = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
  const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
  image->setDotsPerMeterX(dpm);
  image->setDotsPerMeterY(dpm);
  return image;
}

struct TLayout {
  std::unique_ptr<QImage> device;
  std::unique_ptr<QTextDocument> doc;
};

// A copy of the document from start on, laid out widthPx wide at dpi. Margins are kept in 96-dpi
// pixels by the widget's document, so they scale here; fonts, tab stops and list indents scale
// through the device's resolution in Qt's layout itself.
TLayout MakeLayout(const QTextDocument& source, Integer start, Integer widthPx, Integer dpi) {
  TLayout l;
  l.doc.reset(source.clone());
  QTextDocument& doc = *l.doc;
  if (start > 0) {
    const QTextBlock firstKept = source.findBlock(start);
    const QTextBlockFormat keptFormat = firstKept.blockFormat();
    const bool keptBullet = firstKept.textList() != nullptr;
    QTextCursor c(&doc);
    c.setPosition(0);
    c.setPosition(start, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    // Removing whole paragraphs in front may leave their format on the first one: put it back.
    QTextCursor first(doc.begin());
    if (QTextList* list = doc.begin().textList(); list && !keptBullet) list->remove(doc.begin());
    first.setBlockFormat(keptFormat);
    if (keptBullet && !doc.begin().textList()) first.createList(QTextListFormat::ListDisc);
  }
  const double f = dpi / 96.0;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    QTextBlockFormat bf = b.blockFormat();
    bf.setLeftMargin(bf.leftMargin() * f);
    bf.setRightMargin(bf.rightMargin() * f);
    bf.setTopMargin(bf.topMargin() * f);
    bf.setBottomMargin(bf.bottomMargin() * f);
    bf.setTextIndent(bf.textIndent() * f);
    QTextCursor(b).setBlockFormat(bf);
  }
  doc.setDocumentMargin(0);
  l.device = ResolutionDevice(dpi);
  doc.documentLayout()->setPaintDevice(l.device.get());
  doc.setTextWidth(widthPx);
  doc.documentLayout()->documentSize();  // lays everything out now
  return l;
}

bool IsLineStart(const QTextDocument& doc, Integer pos) {
  const QTextBlock b = doc.findBlock(pos);
  if (!b.isValid()) return false;
  if (pos == b.position()) return true;
  const QTextLayout* lay = b.layout();
  for (int i = 0; i < lay->lineCount(); ++i)
    if (b.position() + lay->lineAt(i).textStart() == pos) return true;
  return false;
}

struct TPlacedLine {
  QTextBlock block;
  int index;
  qreal top;  // from the first placed line's top, target pixels
};

bool IsControl(QChar c) {
  const char16_t u = c.unicode();
  return u == u'\t' || u == 0x2028 || u == 0x2029 || u == 0xFFFC || u < 0x20;
}

void DrawLines(const TRichEditData& d, const QTextDocument& doc, Integer offset, Integer cpMax,
               const std::vector<TPlacedLine>& lines, const TFormatRange& fr, Integer targetDpiX,
               Integer targetDpiY, Integer usedTwips) {
  HDC dc = fr.hdc;
  const Integer dpiX = DpiOf(dc, LOGPIXELSX), dpiY = DpiOf(dc, LOGPIXELSY);
  const double sx = static_cast<double>(dpiX) / targetDpiX, sy = static_cast<double>(dpiY) / targetDpiY;
  const double originX = fr.rc.Left * static_cast<double>(dpiX) / 1440.0;
  const double originY = fr.rc.Top * static_cast<double>(dpiY) / 1440.0;
  const Integer saved = SaveDC(dc);
  IntersectClipRect(
      dc, static_cast<Integer>(std::floor(originX)), static_cast<Integer>(std::floor(originY)),
      static_cast<Integer>(std::ceil(fr.rc.Right * static_cast<double>(dpiX) / 1440.0)),
      static_cast<Integer>(std::ceil((fr.rc.Top + usedTwips) * static_cast<double>(dpiY) / 1440.0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_BASELINE);
  const Integer end = cpMax - offset;

  auto selectFont = [&](const QTextCharFormat& cf) {
    const QFont font = cf.font().resolve(doc.defaultFont());
    LOGFONTW lf;
    const double pt = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
    lf.lfHeight = -static_cast<Integer>(std::lround(pt * dpiY / 72.0));
    lf.lfWeight = font.weight() >= QFont::DemiBold ? FW_BOLD : 400;
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    lf.lfCharSet = cf.hasProperty(RichEditCharsetProperty)
                       ? static_cast<Byte>(cf.intProperty(RichEditCharsetProperty))
                       : d.defaultCharset;
    const String face = FromQString(font.families().isEmpty() ? font.family() : font.families().front());
    for (size_t i = 0; i < face.size() && i + 1 < static_cast<size_t>(LF_FACESIZE); ++i)
      lf.lfFaceName[i] = face[i];
    return CreateFontIndirect(&lf);
  };
  auto textColor = [&](const QTextCharFormat& cf) -> COLORREF {
    if (cf.hasProperty(QTextFormat::ForegroundBrush) && cf.foreground().style() != Qt::NoBrush) {
      const QColor c = cf.foreground().color();
      return RGB(c.red(), c.green(), c.blue());
    }
    return static_cast<COLORREF>(ColorToRGB(d.defaultColor) & 0xFFFFFF);
  };

  for (const TPlacedLine& pl : lines) {
    const QTextBlock& b = pl.block;
    const QTextLayout* lay = b.layout();
    const QTextLine line = lay->lineAt(pl.index);
    const QPointF lp = lay->position();
    const QString text = b.text();
    const double baseline = originY + (pl.top + line.ascent()) * sy;
    const double lineTop = originY + pl.top * sy, lineBottom = originY + (pl.top + line.height()) * sy;
    auto xAt = [&](int blockPos) { return originX + (lp.x() + line.cursorToX(blockPos)) * sx; };
    const int ls = line.textStart(), le = ls + line.textLength();

    if (pl.index == 0 && b.textList()) {
      // The bullet hangs left of the first line.
      const QTextCharFormat cf = b.charFormat();
      HFONT font = selectFont(cf);
      HGDIOBJ old = SelectObject(dc, font);
      SetTextColor(dc, textColor(cf));
      const Char bullet = 0x2022;
      const double em =
          std::abs(static_cast<double>(cf.font().resolve(doc.defaultFont()).pointSizeF())) * dpiX / 72.0;
      ExtTextOut(dc, static_cast<Integer>(std::lround(xAt(ls) - em)),
                 static_cast<Integer>(std::lround(baseline)), 0, nullptr, &bullet, 1, nullptr);
      SelectObject(dc, old);
      DeleteObject(font);
    }

    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment frag = it.fragment();
      if (!frag.isValid()) continue;
      const int fs = frag.position() - b.position();
      const int a = std::max(fs, ls);
      const int e = std::min({fs + frag.length(), le, static_cast<int>(end - b.position())});
      if (a >= e) continue;
      const QTextCharFormat cf = frag.charFormat();
      if (cf.hasProperty(QTextFormat::BackgroundBrush) && cf.background().style() != Qt::NoBrush) {
        const QColor c = cf.background().color();
        HBRUSH brush = CreateSolidBrush(RGB(c.red(), c.green(), c.blue()));
        const TRect r(static_cast<Integer>(std::lround(xAt(a))), static_cast<Integer>(std::lround(lineTop)),
                      static_cast<Integer>(std::lround(xAt(e))),
                      static_cast<Integer>(std::lround(lineBottom)));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
      }
      HFONT font = selectFont(cf);
      HGDIOBJ old = SelectObject(dc, font);
      SetTextColor(dc, textColor(cf));
      int p = a;
      while (p < e) {
        while (p < e && IsControl(text[p])) ++p;
        int q = p;
        while (q < e && !IsControl(text[q])) ++q;
        if (q > p) {
          String chunk = FromQString(text.mid(p, q - p));
          std::vector<Integer> dx(chunk.size());
          Integer prev = static_cast<Integer>(std::lround(xAt(p)));
          for (int k = p; k < q; ++k) {
            const Integer next = static_cast<Integer>(std::lround(xAt(k + 1)));
            dx[k - p] = next - prev;
            prev = next;
          }
          ExtTextOut(dc, static_cast<Integer>(std::lround(xAt(p))),
                     static_cast<Integer>(std::lround(baseline)), 0, nullptr, chunk.data(),
                     static_cast<UINT>(chunk.size()), dx.data());
        }
        p = q;
      }
      SelectObject(dc, old);
      DeleteObject(font);
    }
  }
  RestoreDC(dc, saved);
}

}  // namespace

void RichEditFreeLayout(TRichEditData& d) { d.layout = TRichEditLayoutCache(); }

Integer RichEditFormatRange(TRichEditData& d, TFormatRange& fr, bool render) {
  const Integer total = std::max(0, d.doc.characterCount() - 1);
  const Integer cpMin = std::clamp<Integer>(fr.chrg.cpMin, 0, total);
  const Integer cpMax = fr.chrg.cpMax < 0 || fr.chrg.cpMax > total ? total : std::max(cpMin, fr.chrg.cpMax);
  const Integer widthTw = fr.rc.Right - fr.rc.Left, heightTw = fr.rc.Bottom - fr.rc.Top;
  if (cpMin >= cpMax || widthTw <= 0 || heightTw <= 0) {
    fr.rc.Bottom = fr.rc.Top;
    return cpMin >= cpMax ? cpMax : cpMin;
  }
  HDC target = fr.hdcTarget ? fr.hdcTarget : fr.hdc;
  const Integer dpiX = DpiOf(target, LOGPIXELSX), dpiY = DpiOf(target, LOGPIXELSY);
  const Integer widthPx =
      std::max<Integer>(1, static_cast<Integer>(static_cast<long long>(widthTw) * dpiX / 1440));

  // The whole document's layout is kept between calls; a range that starts inside a line of it gets
  // a layout of its own from that character on.
  TRichEditLayoutCache& cache = d.layout;
  if (!cache.doc || cache.revision != d.revision || cache.width != widthPx || cache.dpi != dpiY) {
    TLayout l = MakeLayout(d.doc, 0, widthPx, dpiY);
    cache.doc.reset();
    cache.device = std::move(l.device);
    cache.doc = std::move(l.doc);
    cache.revision = d.revision;
    cache.width = widthPx;
    cache.dpi = dpiY;
  }
  QTextDocument* doc = cache.doc.get();
  Integer offset = 0;
  TLayout own;
  if (!IsLineStart(*doc, cpMin)) {
    own = MakeLayout(d.doc, cpMin, widthPx, dpiY);
    doc = own.doc.get();
    offset = cpMin;
  }

  std::vector<TPlacedLine> placed;
  qreal top0 = -1;
  Integer usedTwips = 0;
  Integer next = cpMax;
  bool stop = false;
  for (QTextBlock b = doc->findBlock(cpMin - offset); b.isValid() && !stop; b = b.next()) {
    const QTextLayout* lay = b.layout();
    for (int i = 0; i < lay->lineCount(); ++i) {
      const QTextLine line = lay->lineAt(i);
      const Integer ls = offset + b.position() + line.textStart();
      const Integer le = ls + line.textLength();
      if (ls < cpMin && le <= cpMin) continue;
      if (ls >= cpMax && !(ls == cpMin && placed.empty())) {
        next = cpMax;
        stop = true;
        break;
      }
      const qreal y0 = lay->position().y() + line.y();
      if (top0 < 0) top0 = y0;
      const qreal bottomPx = y0 + line.height() - top0;
      const Integer bottomTw = static_cast<Integer>(std::ceil(bottomPx * 1440.0 / dpiY - 1e-6));
      if (bottomTw > heightTw) {
        next = std::max(ls, cpMin);
        stop = true;
        break;
      }
      placed.push_back({b, i, y0 - top0});
      usedTwips = bottomTw;
    }
  }
  if (render && fr.hdc && !placed.empty())
    DrawLines(d, *doc, offset, cpMax, placed, fr, dpiX, dpiY, usedTwips);
  fr.rc.Bottom = fr.rc.Top + usedTwips;
  return next;
}
