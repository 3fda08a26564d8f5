// Widths fitted to the content (a double click on a title border, or a call) and the value copied
// from the record above (Ctrl+'): both read rows other than the current one and put everything back.
#include <algorithm>

#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"

namespace {
Integer MeasuredTextWidth(TCanvas* canvas, const String& text) {
  if (text.empty()) return 0;
  TRect r(0, 0, 0, 0);
  DrawText(canvas->GetHandle(), text.c_str(), static_cast<Integer>(text.size()), &r,
           DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  return r.Width();
}

// Room a cell keeps beside its text.
Integer WidthTextMargin(TAlignment alignment) { return alignment == taLeftJustify ? 5 : 6; }
}  // namespace

// ======================= Fitting widths =======================

Integer TCustomDBGridEh::OptimizedTitleWidth(TCanvas* canvas, TColumnEh* column) {
  if (!options_.Contains(dgTitles)) return 0;
  TColumnTitleEh* title = column->GetTitle();
  // The sort marker's room, or the margin the title keeps without one.
  const Integer marker = title->GetSortMarker() != smNoneEh ? 16 + 3 : 5;
  String text = title->GetCaption();
  if (IsUseMultiTitle()) {
    const Integer leaf = LeafOf(column->GetIndex());
    if (leaf > 0) text = headTree_[static_cast<size_t>(leaf)].Text;
  }
  canvas->GetFont()->Assign(title->GetFont());
  return marker + MeasuredTextWidth(canvas, text);
}

Integer TCustomDBGridEh::OptimizedDataWidth(TCanvas* canvas, TColumnEh* column) {
  Integer width = WidthTextMargin(column->GetAlignment());
  if (column->GetAlwaysShowEditButton()) width += column->EditButtonsWidth();
  switch (column->GetBarType()) {
    case ctCheckboxes:
      return width + RowselCheckboxesWidth;
    default:
      canvas->GetFont()->Assign(column->GetFont());
      return width + MeasuredTextWidth(canvas, column->DisplayText());
  }
}

Integer TCustomDBGridEh::OptimizedFooterWidth(TCanvas* canvas, TColumnEh* column) {
  Integer width = 0;
  for (Integer row = 0; row < footerRowCount_; ++row) {
    TColumnFooterEh* footer = column->UsedFooter(row);
    canvas->GetFont()->Assign(footer->GetFont());
    const String text = FooterValueText(row, column, true);
    if (!text.empty())
      width = std::max(width, WidthTextMargin(column->GetAlignment()) + MeasuredTextWidth(canvas, text));
  }
  return width;
}

void TCustomDBGridEh::OptimizeColsWidth(const std::vector<TColumnEh*>& columns, Integer checkRowCount,
                                        Integer maxWaitingTime) {
  if (columns.empty()) return;
  TBitmap scratch;
  scratch.SetSize(1, 1);
  TCanvas* canvas = scratch.GetCanvas();
  std::vector<Integer> widths;
  std::vector<bool> done;
  const auto capped = [](TColumnEh* column, Integer w) {
    return column->GetMaxWidth() > 0 ? std::min(w, column->GetMaxWidth()) : w;
  };
  for (TColumnEh* column : columns) {
    widths.push_back(capped(column, OptimizedTitleWidth(canvas, column)));
    done.push_back(column->GetMaxWidth() > 0 && widths.back() >= column->GetMaxWidth());
  }
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return;
  TDataSet* ds = link->GetDataSet();
  ds->DisableControls();
  SaveBookmark();
  bool locked = false, restored = false;
  // The record, the window over the records and the controls come back however the reading ends.
  auto restore = MakeScopeExit([&] {
    if (!restored) RestoreBookmark();
    if (locked) EndLayout();
    ds->EnableControls();
  });
  const UInt64 start = GetTickCount();
  for (ds->First(); !ds->Eof(); ds->Next()) {
    const Integer recNo = ds->RecNo();
    bool allDone = true;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (done[i]) continue;
      widths[i] = capped(columns[i], std::max(widths[i], OptimizedDataWidth(canvas, columns[i])));
      done[i] = columns[i]->GetMaxWidth() > 0 && widths[i] >= columns[i]->GetMaxWidth();
      allDone = allDone && done[i];
    }
    if (allDone || (checkRowCount >= 0 && recNo >= checkRowCount)) break;
    if (maxWaitingTime > 0 && GetTickCount() - start > static_cast<UInt64>(maxWaitingTime)) break;
  }
  restored = true;
  RestoreBookmark();
  if (!autoFitColWidths_) {
    BeginLayout();
    locked = true;
  }
  for (size_t i = 0; i < columns.size(); ++i)
    columns[i]->SetWidth(std::max(widths[i], OptimizedFooterWidth(canvas, columns[i])));
}

void TCustomDBGridEh::OptimizeAllColsWidth(Integer checkRowCount, Integer maxWaitingTime) {
  std::vector<TColumnEh*> all;
  for (Integer i = 0; i < GetColumns()->GetCount(); ++i) all.push_back(GetColumns()->GetColumn(i));
  OptimizeColsWidth(all, checkRowCount, maxWaitingTime);
}

// The double-clicked column with the selected columns (all of them when everything is selected).
void TCustomDBGridEh::OptimizeSelectedColsWidth(TColumnEh* column, Integer maxWaitingTime) {
  std::vector<TColumnEh*> list;
  if (selection_->GetSelectionType() == gstColumns) {
    for (Integer i = 0; i < selection_->GetColumns()->GetCount(); ++i)
      list.push_back(selection_->GetColumns()->GetColumn(i));
  } else if (selection_->GetSelectionType() == gstAll) {
    for (Integer i = 0; i < GetColumns()->GetCount(); ++i) list.push_back(GetColumns()->GetColumn(i));
  }
  if (column && std::find(list.begin(), list.end(), column) == list.end()) list.push_back(column);
  OptimizeColsWidth(list, -1, maxWaitingTime);
}

// ======================= The value of the record above =======================

void TCustomDBGridEh::SetValueFromPrevRecord() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return;
  const Integer current = MemTableSupported() ? GetRow() - TopDataOffset() : link->GetActiveRecord();
  if (current <= 0) return;
  const Integer index = GetSelectedIndex();
  if (index < 0 || index >= GetColumns()->GetCount()) return;
  TColumnEh* column = GetColumns()->GetColumn(index);
  TField* field = column->GetField();
  if (!field || !column->CanModify(true)) return;
  Variant value;
  String text;
  {
    InstantReadEnter(current - 1);
    auto leave = MakeScopeExit([this] { InstantReadLeave(); });
    // A lookup column takes the key of the record above, not the text it shows.
    value = field->GetFieldKind() == fkLookup ? link->GetDataSet()->GetFieldValues(field->GetKeyFields())
                                              : field->GetValue();
    text = field->GetAsString();
  }
  ClearSelectionAndRepaint();
  column->UpdateDataValues(text, value, false);
  ShowEditor();
  if (InplaceEditorVisible()) GetInplaceEditor()->SelectAll();
}
