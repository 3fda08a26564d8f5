// The grid's option sets: what they switch in the base grid, column sizing and moving kept in step
// between the two sets, the indicator options mirrored into the options, and column widths scaled
// with the fonts.
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"

namespace {
const TDBGridEhOptions kColumnSizingAndMoving{dghColumnResize, dghColumnMove};

bool HasBoth(TDBGridEhOptions options) {
  return options.Contains(dghColumnResize) && options.Contains(dghColumnMove);
}
}  // namespace

// The base grid's options follow from the grid's: lines, editing, tabs, row select, sizing, moving.
void TCustomDBGridEh::ApplyBaseOptions() {
  TGridOptionsEh base{goThumbTrackingEh};
  if (options_.Contains(dgColLines))
    base = base + TGridOptionsEh{goFixedVertLineEh, goVertLineEh, goContraVertBoundaryLineEh};
  if (options_.Contains(dgRowLines))
    base = base + TGridOptionsEh{goFixedHorzLineEh, goHorzLineEh, goContraHorzBoundaryLineEh};
  if (rowSizingAllowed_) base.Include(goRowSizingEh);
  if (optionsEh_.Contains(dghExtendVertLines)) base.Include(goExtendVertLinesEh);
  if (options_.Contains(dgTabs)) base.Include(goTabsEh);
  if (options_.Contains(dgRowSelect)) base.Include(goRowSelectEh);
  if (options_.Contains(dgEditing)) base.Include(goEditingEh);
  if (options_.Contains(dgAlwaysShowEditor)) base.Include(goAlwaysShowEditorEh);
  if (optionsEh_.Contains(dghColumnResize)) base.Include(goColSizingEh);
  if (optionsEh_.Contains(dghColumnMove)) base.Include(goColMovingEh);
  SetGridOptions(base);
}

// "Columns may be sized and moved" in the options stands for both switches of the extended options.
void TCustomDBGridEh::SyncColumnResizeOptions(TDBGridOptions newOptions, TDBGridEhOptions newOptionsEh) {
  const bool had = options_.Contains(dgColumnResize), has = newOptions.Contains(dgColumnResize);
  if (has && !had) {
    optionsEh_ = optionsEh_ + kColumnSizingAndMoving;
  } else if (!has && had) {
    optionsEh_ = optionsEh_ - kColumnSizingAndMoving;
  } else if (HasBoth(newOptionsEh) && !HasBoth(optionsEh_)) {
    options_.Include(dgColumnResize);
  } else if (!HasBoth(newOptionsEh) && HasBoth(optionsEh_)) {
    options_.Exclude(dgColumnResize);
  }
  if (newOptions == options_ && newOptionsEh == optionsEh_ && has)
    optionsEh_ = optionsEh_ + kColumnSizingAndMoving;
}

void TCustomDBGridEh::SetDBOptions(TDBGridOptions value) {
  if (options_ == value) return;
  const TDBGridOptions old = options_;
  // Whole rows are selected, not edited.
  if (value.Contains(dgRowSelect)) {
    value.Exclude(dgEditing);
    value.Exclude(dgAlwaysShowEditor);
  }
  if (old.Contains(dgMultiSelect) && !value.Contains(dgMultiSelect)) ClearSelectionAndRepaint();
  if (!IsLoading()) SyncColumnResizeOptions(value, optionsEh_);
  options_ = value;
  if (options_.Contains(dgIndicator))
    indicatorOptions_.Include(gioShowRowIndicatorEh);
  else
    indicatorOptions_.Exclude(gioShowRowIndicatorEh);
  ApplyBaseOptions();
  bool relayout = false;
  for (const TDBGridOption o : {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines, dgRowLines,
                                dgRowSelect, dgAlwaysShowSelection})
    if (old.Contains(o) != options_.Contains(o)) relayout = true;
  if (old.Contains(dgRowSelect) != options_.Contains(dgRowSelect)) InvalidateEditor();
  if (relayout) {
    // The same data column stays current when the indicator comes or goes.
    const Integer current = GetSelectedIndex();
    LayoutChanged();
    if (current >= 0 && GetSelectedIndex() != current) SetSelectedIndex(current);
  }
  if (GetEditorMode()) InvalidateEditor();
}

void TCustomDBGridEh::SetOptionsEh(TDBGridEhOptions value) {
  if (optionsEh_ == value) return;
  if (optionsEh_.Contains(dghMultiSortMarking) && !value.Contains(dghMultiSortMarking)) {
    // Only the first column of the sort order keeps its marker.
    TDBGridColumnsEh* columns = GetColumns();
    columns->BeginUpdate();
    auto end = MakeScopeExit([columns] { columns->EndUpdate(); });
    for (Integer i = 0; i < columns->GetCount(); ++i) {
      TColumnTitleEh* title = columns->GetColumn(i)->GetTitle();
      if (title->GetSortIndex() > 1) {
        title->SetSortMarker(smNoneEh);
        title->SetSortIndex(0);
      }
    }
  }
  if (!IsLoading()) SyncColumnResizeOptions(options_, value);
  const TDBGridEhOptions old = optionsEh_;
  optionsEh_ = value;
  // Lines that run on below the data go with the empty space painted between them.
  if (TDBGridLineParamsEh* lines = GetGridLineParams()) {
    const bool on = !old.Contains(dghExtendVertLines) && value.Contains(dghExtendVertLines);
    const bool off = old.Contains(dghExtendVertLines) && !value.Contains(dghExtendVertLines);
    const TDrawEmptySpaceStyle style = lines->GetVertEmptySpaceStyle();
    if (!IsLoading() && on && style == dessNonEh)
      lines->SetVertEmptySpaceStyle(dessGradiendEh);
    else if (off && (IsLoading() ? style == dessGradiendEh : style != dessNonEh))
      lines->SetVertEmptySpaceStyle(dessNonEh);
  }
  if (optionsEh_.Contains(dghShowRecNo))
    indicatorOptions_.Include(gioShowRecNoEh);
  else
    indicatorOptions_.Exclude(gioShowRecNoEh);
  ApplyBaseOptions();
  if (old.Contains(dghAutoFitRowHeight) != value.Contains(dghAutoFitRowHeight)) UpdateAllDataRowHeights();
  LayoutChanged();
}

void TCustomDBGridEh::SetIndicatorOptions(TDBGridEhIndicatorOptions value) {
  if (indicatorOptions_ == value) return;
  indicatorOptions_ = value;
  if (value.Contains(gioShowRowIndicatorEh))
    options_.Include(dgIndicator);
  else
    options_.Exclude(dgIndicator);
  if (value.Contains(gioShowRecNoEh))
    optionsEh_.Include(dghShowRecNo);
  else
    optionsEh_.Exclude(dghShowRecNo);
  recNoTextWidth_ = CalcIndicatorColWidth();
  const Integer current = GetSelectedIndex();
  LayoutChanged();
  if (current >= 0 && GetSelectedIndex() != current) SetSelectedIndex(current);
}

// Widths scale by running sums, so that rounding never adds up along the row.
void TCustomDBGridEh::ChangeScale(Integer m, Integer d) {
  if (m != d) {
    TDBGridColumnsEh* columns = GetColumns();
    columns->BeginUpdate();
    auto end = MakeScopeExit([columns] { columns->EndUpdate(); });
    // Footer fonts of their own scale with the grid; the others follow their owners.
    const auto scale = [m, d](TFont* font) { font->SetSize(MulDiv(font->GetSize(), m, d)); };
    if (!footerParams_->GetParentFont()) scale(footerParams_->GetFont());
    for (Integer i = 0; i < columns->GetCount(); ++i) {
      TColumnEh* column = columns->GetColumn(i);
      if (column->GetFooter()->GetAssignedValues().Contains(cvFooterFont))
        scale(column->GetFooter()->GetFont());
      TColumnFootersEh* footers = column->GetFooters();
      for (Integer f = 0; f < footers->GetCount(); ++f)
        if (footers->GetFooter(f)->GetAssignedValues().Contains(cvFooterFont))
          scale(footers->GetFooter(f)->GetFont());
    }
    Integer sum = 0;
    for (Integer i = 0; i < columns->GetCount(); ++i) {
      TColumnEh* column = columns->GetColumn(i);
      const Integer before = sum;
      sum += column->GetWidth();
      column->SetWidth(MulDiv(sum, m, d) - MulDiv(before, m, d));
    }
  }
  TCustomDBAxisGridEh::ChangeScale(m, d);
}
