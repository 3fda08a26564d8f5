// Multi-level titles: captions split by "|" become a tree of group titles over the column titles;
// neighbouring columns whose captions begin alike share one group title spanning them.
#include <algorithm>

#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// The first part of a caption and where its second part begins (npos without one). Runs of "|" count
// as one separator and leading ones are skipped.
struct CaptionParts {
  String first;
  size_t secondStart = String::npos;
};

CaptionParts SplitCaption(const String& text) {
  CaptionParts parts;
  size_t i = 0;
  while (i < text.size() && text[i] == u'|') ++i;
  const size_t start = i;
  while (i < text.size() && text[i] != u'|') ++i;
  parts.first = text.substr(start, i - start);
  while (i < text.size() && text[i] == u'|') ++i;
  if (i < text.size()) parts.secondStart = i;
  return parts;
}

}  // namespace

bool TCustomDBGridEh::IsUseMultiTitle() const { return titleParams_->GetMultiTitle(); }

Integer TCustomDBGridEh::LeafOf(Integer columnIndex) const {
  if (!IsUseMultiTitle() || columnIndex < 0 || static_cast<size_t>(columnIndex) >= leafOfColumn_.size())
    return -1;
  return leafOfColumn_[static_cast<size_t>(columnIndex)];
}

Integer TCustomDBGridEh::BuildMultiTitleTree(Integer titleHeight) {
  headTree_.clear();
  leafOfColumn_.clear();
  if (!IsUseMultiTitle()) return titleHeight;
  headTree_.emplace_back();  // the root
  TDBGridColumnsEh* columns = GetColumns();
  for (Integer i = 0; i < columns->GetCount(); ++i) {
    TColumnEh* column = columns->GetColumn(i);
    TDBGridMultiTitleNodeEh leaf;
    leaf.Text = column->GetTitle()->GetCaption();
    leaf.Column = column;
    leaf.Parent = 0;
    leaf.Width = column->GetVisible() ? column->GetWidth() : 0;
    leaf.WIndent = column->GetTitle()->GetSortMarker() != smNoneEh ? 16 : 0;
    leaf.VLineWidth = titleParams_->GetVertLines() ? 1 : 0;
    headTree_[0].Items.push_back(static_cast<Integer>(headTree_.size()));
    leafOfColumn_.push_back(static_cast<Integer>(headTree_.size()));
    headTree_.push_back(leaf);
  }
  const auto depth = [this](Integer node) {
    Integer d = 0;
    for (Integer p = headTree_[static_cast<size_t>(node)].Parent; p > 0;
         p = headTree_[static_cast<size_t>(p)].Parent)
      ++d;
    return d;
  };
  // Each pass groups the first run of leaves sharing a first part, until no caption has two parts.
  for (bool changed = true; changed;) {
    changed = false;
    for (size_t k = 0; k < leafOfColumn_.size() && !changed; ++k) {
      const Integer from = leafOfColumn_[k];
      const CaptionParts parts = SplitCaption(headTree_[static_cast<size_t>(from)].Text);
      if (parts.secondStart == String::npos) continue;
      size_t last = k;
      while (last + 1 < leafOfColumn_.size()) {
        const Integer next = leafOfColumn_[last + 1];
        const CaptionParts nextParts = SplitCaption(headTree_[static_cast<size_t>(next)].Text);
        if (nextParts.secondStart == String::npos || nextParts.first != parts.first ||
            depth(next) != depth(from) ||
            headTree_[static_cast<size_t>(next)].Parent != headTree_[static_cast<size_t>(from)].Parent)
          break;
        ++last;
      }
      // The run moves under a new group title standing where the run stood.
      const Integer parent = headTree_[static_cast<size_t>(from)].Parent;
      const Integer group = static_cast<Integer>(headTree_.size());
      TDBGridMultiTitleNodeEh node;
      node.Text = parts.first;
      node.Parent = parent;
      node.VLineWidth = headTree_[static_cast<size_t>(from)].VLineWidth;
      std::vector<Integer>& siblings = headTree_[static_cast<size_t>(parent)].Items;
      const auto at = std::find(siblings.begin(), siblings.end(), from);
      const auto runEnd = at + static_cast<std::ptrdiff_t>(last - k + 1);
      node.Items.assign(at, runEnd);
      *at = group;
      siblings.erase(at + 1, runEnd);
      for (const Integer child : node.Items) {
        TDBGridMultiTitleNodeEh& c = headTree_[static_cast<size_t>(child)];
        c.Parent = group;
        c.Text = SplitCaption(c.Text).secondStart == String::npos
                     ? c.Text
                     : c.Text.substr(SplitCaption(c.Text).secondStart);
        node.Width += c.Width;
      }
      headTree_.push_back(node);
      changed = true;
    }
  }
  // Group widths follow their children, deepest groups first (they were made last).
  for (size_t n = headTree_.size(); n-- > 1;) {
    TDBGridMultiTitleNodeEh& node = headTree_[n];
    if (node.Column) continue;
    node.Width = 0;
    for (const Integer child : node.Items) node.Width += headTree_[static_cast<size_t>(child)].Width;
  }

  TCanvas* canvas = GetScreenCanvasEh();
  TFont savedFont;
  savedFont.Assign(canvas->GetFont());
  auto restoreFont = MakeScopeExit([&] { canvas->GetFont()->Assign(&savedFont); });
  const bool solid = titleParams_->GetActualFillStyle() == cfstSolidEh;
  TCustomImageList* images = GetTitleImages();
  // The band under a node: each child's own wrapped text height plus the title margin, plus its
  // subtree's band; the tallest wins. A leaf spans the whole band, a group's own row takes the slack.
  const auto calc = [&](auto&& self, Integer nodeIndex) -> Integer {
    const std::vector<Integer> items = headTree_[static_cast<size_t>(nodeIndex)].Items;
    if (items.empty()) return 0;
    Integer result = 0;
    std::vector<Integer> subs;
    for (size_t i = 0; i < items.size(); ++i) {
      const Integer child = items[i];
      const Integer sub = headTree_[static_cast<size_t>(child)].Items.empty() ? 0 : self(self, child);
      subs.push_back(sub);
      const TDBGridMultiTitleNodeEh& c = headTree_[static_cast<size_t>(child)];
      TColumnTitleEh* title = c.Column ? static_cast<TColumnEh*>(c.Column)->GetTitle() : nullptr;
      canvas->GetFont()->Assign(title ? title->GetFont() : titleParams_->GetFont());
      Integer extra = 0;
      if (solid) extra = title ? (GetFlat() ? 3 : 2) : (GetFlat() && i > 0 ? 1 : 0);
      TRect textRect(title ? title->ImageAreaWidth() : 0, 0, c.Width - 4 - c.WIndent - extra, 0);
      if (textRect.Right <= textRect.Left) textRect.Right = textRect.Left + 1;
      // A first title showing only its picture measures one space.
      const bool imageOnly =
          i == 0 && title && images && title->GetImageIndex() != -1 && !title->GetShowImageAndText();
      const String text = c.Text.empty() || imageOnly ? String(1, u' ') : c.Text;
      Integer own = 0;
      if (title && title->GetOrientation() == tohVertical) {
        own = c.Width <= 0 ? 0 : canvas->TextWidth(text) + 6;
      } else {
        if (c.Width > 0)
          own = DrawText(canvas->GetHandle(), text.c_str(), static_cast<Integer>(text.size()), &textRect,
                         DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        own += titleParams_->GetVTitleMargin();
      }
      Integer band = own > 0 ? sub + own : sub;
      if (titleParams_->GetBorderInFillStyle() && nodeIndex == 0) ++band;
      result = std::max(result, band);
    }
    for (size_t i = 0; i < items.size(); ++i) {
      TDBGridMultiTitleNodeEh& c = headTree_[static_cast<size_t>(items[i])];
      c.Height = c.Column ? result : result - subs[i];
    }
    headTree_[static_cast<size_t>(nodeIndex)].Height = result;
    return result;
  };
  Integer height = calc(calc, 0) - 1;
  const bool rowLines = options_.Contains(dgRowLines);
  if (!rowLines && titleParams_->GetHorzLines()) ++height;
  if (rowLines && !titleParams_->GetHorzLines()) --height;
  if (titleParams_->GetBorderInFillStyle()) --height;
  return std::max(1, height);
}

// The group titles above a leaf, each painted once per paint by the first of its leaves painted.
void TCustomDBGridEh::PaintSuperTitles(Integer leaf, const TRect& leafRect) {
  TCanvas* canvas = GetCanvas();
  TRect childRect = leafRect;
  Integer child = leaf;
  const TColor darkLine = GetGridLineColors()->GetDarkColor();
  for (Integer p = headTree_[static_cast<size_t>(leaf)].Parent; p > 0;
       p = headTree_[static_cast<size_t>(p)].Parent) {
    TDBGridMultiTitleNodeEh& node = headTree_[static_cast<size_t>(p)];
    Integer left = childRect.Left;
    for (const Integer sibling : node.Items) {
      if (sibling == child) break;
      left -= headTree_[static_cast<size_t>(sibling)].Width;
    }
    const TRect rect(left, childRect.Top - node.Height, left + node.Width, childRect.Top);
    if (!node.Drawn) {
      node.Drawn = true;
      TDBGridDrawTitleCellParamsEh* params = &titleCellDrawState_;
      FillTitleCellParams(TGridDrawState{gdFixed}, rect, -1, params);
      params->MultiTitleNode = p;
      params->Alignment = taCenter;
      params->Text = node.Text;
      params->ForeXDataOffset = 0;
      params->WordWrap = true;
      params->Layout = tlCenter;
      if (selection_->GetSelectionType() == gstAll) {
        params->CellMultiSelected = true;
        params->Highlight =
            GetFixedCellSelectedColors(TCellAreaTypeEh{hctDataEh, vctTitleEh}, params->Color, params->Font);
      }
      if (OnGetTitleParams) OnGetTitleParams(this, params);
      canvas->GetFont()->Assign(params->Font);
      canvas->GetBrush()->SetColor(params->Color);
      TRect drawRect = rect;
      if (titleParams_->GetHorzLines()) --drawRect.Bottom;
      if (titleParams_->GetVertLines()) --drawRect.Right;
      params->ForeInsideRect = drawRect;
      bool processed = false;
      if (OnDrawTitleCell) OnDrawTitleCell(this, canvas, drawRect, params, processed);
      if (!processed) DefaultDrawTitleCell(canvas, drawRect, params);
      if (titleParams_->GetVertLines()) {
        const TColor c = titleParams_->GetVertLineColor();
        canvas->GetPen()->SetColor(StyleServices()->GetSystemColor(c == clDefault ? darkLine : c));
        GridPolyline(canvas, {TPoint(rect.Right - 1, rect.Top), TPoint(rect.Right - 1, rect.Bottom)});
      }
      if (titleParams_->GetHorzLines()) {
        const TColor c = titleParams_->GetHorzLineColor();
        canvas->GetPen()->SetColor(StyleServices()->GetSystemColor(c == clDefault ? darkLine : c));
        GridPolyline(canvas, {TPoint(rect.Left, rect.Bottom - 1), TPoint(rect.Right, rect.Bottom - 1)});
      }
    }
    child = p;
    childRect = rect;
  }
}
