// Footer rows: the footer text of a column by its kind (an aggregate of the sum list, the current
// record's field value, a fixed text) and the painting of footer cells.
#include <algorithm>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"

namespace {

// An aggregate in the footer's format, else by the field: currency style for currency fields, the
// general style (up to four decimals, no trailing zeros) for the rest.
String FormatAggregate(const Currency& value, const String& footerFormat, TField* field) {
  if (!footerFormat.empty()) return FormatCurr(footerFormat, value);
  String format;
  bool currency = false;
  if (auto* numeric = dynamic_cast<TNumericField*>(field)) format = numeric->GetDisplayFormat();
  if (auto* f = dynamic_cast<TFloatField*>(field)) currency = f->GetCurrency();
  if (auto* b = dynamic_cast<TBCDField*>(field)) currency = b->GetCurrency();
  if (!format.empty()) return FormatCurr(format, value);
  if (currency) return CurrToStrF(value, ffCurrency, FormatSettings.CurrencyDecimals);
  return CurrToStr(value);
}

}  // namespace

String TCustomDBGridEh::GetFooterValue(Integer row, TColumnEh* column) {
  return FooterValueText(row, column, false);
}

// While painting, a field value footer naming a field the dataset lacks shows nothing instead of
// raising on every repaint.
String TCustomDBGridEh::FooterValueText(Integer row, TColumnEh* column, bool painting) {
  TColumnFooterEh* footer = column->UsedFooter(row);
  TDataSet* ds = GetDataSource() ? GetDataSource()->GetDataSet() : nullptr;
  const String& fieldName = footer->GetFieldName().empty() ? column->GetFieldName() : footer->GetFieldName();
  switch (footer->GetValueType()) {
    case fvtSum:
    case fvtAvg: {
      TField* field = ds ? ds->FindField(fieldName) : nullptr;
      if (!field) return u"0";
      TDBSum* sum = sumList_->GetSumCollection()->GetSumByOpAndFName(
          footer->GetValueType() == fvtSum ? goSum : goAvg, field->GetFieldName());
      if (!sum) return u"0";
      return FormatAggregate(sum->SumValue, footer->GetDisplayFormat(), field);
    }
    case fvtCount: {
      TDBSum* sum = sumList_->GetSumCollection()->GetSumByOpAndFName(goCount, String());
      if (!sum) return String();
      if (!footer->GetDisplayFormat().empty()) return FormatCurr(footer->GetDisplayFormat(), sum->SumValue);
      return FloatToStr(sum->SumValue.ToDouble());
    }
    case fvtFieldValue: {
      if (!ds || !ds->GetActive() || footer->GetFieldName().empty()) return String();
      TField* field =
          painting ? ds->FindField(footer->GetFieldName()) : ds->FieldByName(footer->GetFieldName());
      if (!field || field->IsNull()) return String();
      if (footer->GetDisplayFormat().empty()) return field->GetDisplayText();
      if (dynamic_cast<TNumericField*>(field))
        return FormatFloat(footer->GetDisplayFormat(), field->GetAsFloat());
      if (dynamic_cast<TDateTimeField*>(field) || dynamic_cast<TSQLTimeStampField*>(field))
        return FormatDateTime(footer->GetDisplayFormat(), field->GetAsDateTime());
      return field->GetDisplayText();
    }
    case fvtStaticText:
      return footer->GetValue();
    default:
      return String();
  }
}

// Each footer row shows the column's footer of that row, in that footer's colour, font and alignment.
void TCustomDBGridEh::PaintFooterCell(Integer col, Integer row, TCellAreaTypeEh area, TGridDrawState state,
                                      const TRect& rect, Integer footerRow, Integer dataCol) {
  TCanvas* canvas = GetCanvas();
  TColumnEh* column = GetVisibleColumns()->GetColumn(dataCol);
  TColumnFooterEh* footer = column->UsedFooter(footerRow);
  const bool is3D = IsCell3D(col, row, state);
  if (is3D) state.Include(gdFixed);
  const bool styled = IsCellDrawnByStyle(area);
  const TGridCellFillStyleEh fillStyle = footerParams_->GetActualFillStyle();
  const Integer dx = !is3D || (styled && fillStyle == cfstGradientEh) ? 2 : 1;
  const Integer dy = GetFlat() ? dx - 1 : dx;
  canvas->GetFont()->Assign(footer->GetFont());
  canvas->GetFont()->SetColor(StyleServices()->GetSystemColor(footer->GetFont()->GetColor()));
  TColor background = StyleServices()->GetSystemColor(footer->GetColor());
  // A custom style fills footers in its fixed colours, or a window-coloured solid footer in its
  // background colour.
  if (CustomStyleActive()) {
    if (fillStyle != cfstSolidEh) {
      background = GetInternalFixedColor();
      canvas->GetFont()->SetColor(internalFixedFontColor_);
    } else if (footer->GetColor() == clWindow) {
      background = GetInternalColor();
      canvas->GetFont()->SetColor(internalFontColor_);
    }
  }
  TAlignment alignment = footer->GetAlignment();
  String text = FooterValueText(footerRow, column, true);
  if (OnGetFooterParams)
    OnGetFooterParams(this, dataCol, footerRow, column, canvas->GetFont(), background, alignment, state,
                      text);
  const bool selected = IsGridCellSelected(area, dataCol);
  if (selected) GetFixedCellSelectedColors(area, background, canvas->GetFont());
  canvas->GetBrush()->SetColor(background);
  if (GetDefaultDrawing()) {
    TFixedCellPaintEh cell;
    cell.FillStyle = fillStyle;
    cell.FillColor = background;
    cell.The3DRect = is3D;
    cell.Selected = selected;
    const TRect inner = PaintFixedCellBackground(canvas, rect, cell);
    const Integer lineHeight = canvas->TextHeight(u"Wg");
    const bool wrap = footer->GetWordWrap() && lineHeight + GetInterlinear() < inner.Height();
    canvas->GetBrush()->SetStyle(bsClear);
    WriteCellText(canvas, inner, false, dx, dy, text, alignment, column->GetLayout(), wrap,
                  footer->GetEndEllipsis(), 0, 0);
    canvas->GetBrush()->SetStyle(bsSolid);
  } else if (is3D && !styled) {
    TRect f = rect;
    DrawEdge(canvas->GetHandle(), &f, BDR_RAISEDINNER, GetFlat() ? BF_RECT | BF_FLAT : BF_RECT);
  }
  if (OnDrawFooterCell) OnDrawFooterCell(this, dataCol, footerRow, column, rect, state);
}

void TCustomDBGridEh::DefaultDrawFooterCell(const TRect& rect, Integer dataCol, Integer row,
                                            TColumnEh* column, TGridDrawState state) {
  TRect r = rect;
  Integer margin = 2;
  if (optionsEh_.Contains(dghFooter3D)) {
    InflateRect(&r, -1, -1);
    margin = 1;
  }
  const Integer dy = GetFlat() ? margin - 1 : margin;
  TCanvas* canvas = GetCanvas();
  String text = GetFooterValue(row, column);
  TColor background = canvas->GetBrush()->GetColor();
  TAlignment alignment = column->GetFooter()->GetAlignment();
  if (OnGetFooterParams)
    OnGetFooterParams(this, dataCol, row, column, GetFont(), background, alignment, state, text);
  canvas->GetBrush()->SetColor(background);
  const bool wrap = column->GetFooter()->GetWordWrap() && column->CurLineWordWrap(r.Height());
  WriteCellText(canvas, r, true, margin, dy, text, alignment, column->GetLayout(), wrap,
                column->GetFooter()->GetEndEllipsis(), 0, 0);
}

void TCustomDBGridEh::UpdateFooterRowHeights() {
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(footerParams_->GetFont());
  const Integer lineHeight = canvas->TextHeight(u"Wg");
  Integer height = stdDefaultRowHeight_;
  if (footerParams_->GetRowLines() != 0 || footerParams_->GetRowHeight() != 0)
    height = footerParams_->GetRowHeight() + footerParams_->GetRowLines() * lineHeight;
  else if (footerParams_->GetFont()->GetSize() != GetFont()->GetSize())
    height = lineHeight + GetInterlinear();
  footerRowHeights_.assign(static_cast<size_t>(footerRowCount_), std::max(1, height));
}

void TCustomDBGridEh::InvalidateFooter() {
  for (Integer r = GetFullRowCount() - 1; r >= GetRowCount(); --r) InvalidateRow(r);
}

void TCustomDBGridEh::InvalidateTitle() {
  for (Integer r = 0; r < TopDataOffset(); ++r) InvalidateRow(r);
}
