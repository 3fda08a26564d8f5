// Hints of the data grid's cells: a title's own hint, the whole text of a title or footer the cell
// cuts, data hints with the screens' events, and the pause before each; the hint rectangle is the
// cell, so moving to another cell asks again.
#include <algorithm>

#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/ScopeGuard.h"

namespace {
// The hint window of a title or footer text: where the text stands in the cell, shown only where the
// cell cuts it (or leaves right-aligned text short of its end).
struct TCellTextHintEh {
  String Text;
  TRect Rect;             // the text's room in the cell
  Integer TextRight = 0;  // the right end of the column's text area
  TAlignment Alignment = taLeftJustify;
  bool WordWrap = false;
};
}  // namespace

// ======================= Pause =======================

void TCustomDBGridEh::CMHintShowPause(TCMHintShowPause& message) {
  const TPoint pos = hintTestPos_;
  const TGridCoord cell = MouseCoord(pos.X, pos.Y);
  TColumnEh* column = cell.X >= indicatorOffset_ && cell.Y >= 0 ? GetColumnAtGridCol(cell.X) : nullptr;
  if (!column) return;
  const TRect r = TCustomGridEh::CellRect(cell.X, cell.Y, false);
  const TPoint inCell(pos.X - r.Left, pos.Y - r.Top);
  Integer pause = Application->GetHintPause();
  bool processed = false;
  if (OnHintShowPause) OnHintShowPause(this, pos, cell, inCell, column, pause, processed);
  if (!processed && column->OnHintShowPause)
    column->OnHintShowPause(this, pos, cell, inCell, column, pause, processed);
  if (!processed) {
    Integer areaCol = -1, areaRow = -1;
    const TCellAreaTypeEh area = GetCellAreaType(cell.X, cell.Y, areaCol, areaRow);
    TInCellPlaceBoxEh* box = area.VertType == vctDataEh
                                 ? GetInCellControlAtPos(cell.X, cell.Y, inCell.Y, inCell.X, column)
                                 : nullptr;
    const bool onButton = box && dynamic_cast<TEditButtonEh*>(box->GetControl());
    const bool immediate =
        !onButton && ((area.VertType == vctFooterEh && column->UsedFooter(areaRow)->GetToolTips()) ||
                      (area.VertType == vctDataEh && TCustomDBAxisGridEh::GetDataLink()->GetActive() &&
                       column->GetToolTips()) ||
                      (area.VertType == vctTitleEh && column->GetTitle()->GetToolTips() &&
                       column->GetTitle()->GetHint().empty()));
    pause = immediate ? 0 : Application->GetHintPause();
  }
  *message.Pause = pause;
}

// ======================= Hint =======================

void TCustomDBGridEh::CMHintShow(TCMHintShow& message) {
  THintInfo& info = *message.HintInfo;
  const TPoint pos = info.CursorPos;
  const TGridCoord cell = MouseCoord(pos.X, pos.Y);
  if (cell.X < 0 || cell.Y < 0) {
    // Outside the cells any move asks again: a cell's hint starts where the cells do.
    info.CursorRect = TRect(pos.X, pos.Y, pos.X + 1, pos.Y + 1);
    return;
  }
  TRect r = TCustomGridEh::CellRect(cell.X, cell.Y, false);
  info.CursorRect = r;
  TColumnEh* column = cell.X >= indicatorOffset_ ? GetColumnAtGridCol(cell.X) : nullptr;
  if (!column) return;
  Integer areaCol = -1, areaRow = -1;
  const TCellAreaTypeEh area = GetCellAreaType(cell.X, cell.Y, areaCol, areaRow);
  TColumnTitleEh* title = column->GetTitle();
  if (area.VertType == vctTitleEh && !title->GetHint().empty()) {
    info.HintStr = GetShortHint(title->GetHint());
    return;
  }
  // A held button or Ctrl keeps the grid's own hint: the user is busy with the cells.
  if (GetCaptureControl() == this || (GetKeyState(VK_CONTROL) & 0x8000) != 0) return;
  const TPoint inCell(pos.X - r.Left, pos.Y - r.Top);
  TFont* hintFont = GetHintFont();
  TCellTextHintEh hint;
  hint.TextRight = r.Left + column->GetWidth();
  if (area.VertType == vctTitleEh) {
    if (!title->GetToolTips()) return;
    hint.Alignment = title->GetAlignment();
    if (hint.Alignment != taCenter) {
      const bool themed = titleParams_->GetActualFillStyle() == cfstThemedEh;
      const Integer inset = optionsEh_.Contains(dghFixed3D) && !themed ? 2 : 3;
      r.Right -= inset;
      hint.TextRight -= inset;
    }
    if (title->GetSortMarker() != smNoneEh) {
      // The marker's room, less the 2 pixels the text keeps anyway.
      r.Right -= 14;
      hint.TextRight -= 14;
    }
    if (pos.X >= r.Right) {
      info.HintStr.clear();
      return;
    }
    hint.Text = title->GetCaption();
    if (IsUseMultiTitle()) {
      const Integer leaf = LeafOf(column->GetIndex());
      if (leaf > 0) {
        const TDBGridMultiTitleNodeEh& node = headTree_[static_cast<size_t>(leaf)];
        r.Top = r.Bottom - node.Height;
        if (pos.Y < r.Top) {
          info.HintStr.clear();
          return;
        }
        hint.Text = node.Text;
      }
    }
    hint.WordWrap = IsUseMultiTitle() || titleParams_->GetRowHeight() > 0 || titleParams_->GetRowLines() > 0;
    hintFont->Assign(title->GetFont());
  } else if (area.VertType == vctDataEh) {
    TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
    if (!link->GetActive() || areaRow >= InstantReadRecordCount()) return;
    InstantReadEnter(areaRow);
    auto leave = MakeScopeExit([this] { InstantReadLeave(); });
    TDBGridEhDataHintParams params;
    params.HintPos = ScreenToClient(info.HintPos);
    params.HintMaxWidth = info.HintMaxWidth;
    params.HintColor = info.HintColor;
    params.ReshowTimeout = info.ReshowTimeout;
    params.HideTimeout = info.HideTimeout;
    params.HintStr = GetHint();
    params.CursorRect = r;
    hintFont->Assign(Screen->GetHintFont());
    params.HintFont = hintFont;
    bool processed = false;
    if (OnDataHintShow) OnDataHintShow(this, pos, cell, inCell, column, &params, processed);
    if (!processed && column->OnDataHintShow)
      column->OnDataHintShow(this, pos, cell, inCell, column, &params, processed);
    if (!processed && column->GetToolTips()) DefaultFillDataHintShowInfo(pos, cell, column, &params);
    info.HintPos = ClientToScreen(params.HintPos);
    info.HintMaxWidth = params.HintMaxWidth;
    info.HintColor = params.HintColor;
    info.ReshowTimeout = params.ReshowTimeout;
    info.HideTimeout = params.HideTimeout;
    info.HintStr = params.HintStr;
    info.CursorRect = params.CursorRect;
    if (params.HintFont && params.HintFont != hintFont) hintFont->Assign(params.HintFont);
    info.HintWindowClass = THintWindowEh::StaticClass();
    info.HintData = hintFont;
    return;
  } else if (area.VertType == vctFooterEh) {
    TColumnFooterEh* footer = column->UsedFooter(areaRow);
    if (!footer->GetToolTips()) return;
    hintFont->Assign(footer->GetFont());
    hint.WordWrap = footer->GetWordWrap();
    hint.Alignment = footer->GetAlignment();
    hint.Text = FooterValueText(areaRow, column, true);
    if (OnGetFooterParams) {
      TColor background = footer->GetColor();
      OnGetFooterParams(this, areaCol, areaRow, column, hintFont, background, hint.Alignment,
                        TGridDrawState(), hint.Text);
    }
  } else {
    return;
  }
  hint.Rect = r;
  FillCellTextHint(info, hint.Text, hint.Rect, hint.TextRight, hint.Alignment, hint.WordWrap);
}

// The text shows where it does not fit its room, at the place the cell draws it.
void TCustomDBGridEh::FillCellTextHint(THintInfo& info, const String& text, const TRect& rect,
                                       Integer textRight, TAlignment alignment, bool wordWrap) {
  info.HintStr.clear();
  info.CursorRect = rect;
  if (text.empty()) return;
  TBitmap scratch;
  scratch.SetSize(1, 1);
  TCanvas* measure = scratch.GetCanvas();
  measure->GetFont()->Assign(GetHintFont());
  Integer width = 0, height = 0;
  const bool exceeds = TextExceedsCellRect(measure, wordWrap ? 2 : 0, false, alignment != taLeftJustify,
                                           height, width, !wordWrap, wordWrap, rect, text);
  if (!exceeds && !(alignment == taRightJustify && rect.Right < textRight - 2)) return;
  info.HintStr = text;
  const Integer top = rect.Top - (GetFlat() ? 2 : 1);
  Integer left = rect.Left - 1;
  if (alignment == taRightJustify)
    left = textRight - width - 6;
  else if (alignment == taCenter)
    left = textRight + width / 2 - width - (textRight - rect.Left - 4) / 2 - 5;
  if (UseRightToLeftAlignment()) left = GetClientWidth() - left - width;
  info.HintPos = ClientToScreen(TPoint(left, top));
  if (wordWrap) info.HintMaxWidth = rect.Width() - 4;
  info.HintWindowClass = THintWindowEh::StaticClass();
  info.HintData = GetHintFont();
}
