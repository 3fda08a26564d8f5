// The data grid's cell editor: a red dotted line under the text while a required field of the edited
// record is still empty.
#include "gridlib/dbgrid/DBGridEh.h"

GridsEh::TInplaceEdit* TCustomDBGridEh::CreateEditor() { return new TDBGridInplaceEdit(this); }

bool TDBGridInplaceEdit::RequiredStateMarkDue() const {
  TCustomDBGridEh* grid = GetDBGrid();
  TAxisBarEh* column = GetBar();
  if (!grid || !column || !column->GetHighlightRequired() || !grid->GetDataLink()->GetActive()) return false;
  TDataSet* ds = grid->GetDataLink()->GetDataSet();
  if (ds->GetState() != dsEdit && ds->GetState() != dsInsert) return false;
  // The field's value decides, not the text typed so far.
  TField* field = column->GetField();
  return field && field->GetRequired() && field->IsNull();
}

void TDBGridInplaceEdit::CalcCoreControlRect(TRect& rect) {
  TDBAxisGridInplaceEdit::CalcCoreControlRect(rect);
  if (rect.Bottom > GetClientHeight() - 1) rect.Bottom = GetClientHeight() - 1;
}

void TDBGridInplaceEdit::Paint() {
  TDBAxisGridInplaceEdit::Paint();
  DrawRequiredStateMark(GetCanvas());
}

void TDBGridInplaceEdit::DrawRequiredStateMark(TCanvas* canvas) {
  if (!RequiredStateMarkDue()) return;
  TRect text;
  CalcCoreControlRect(text);
  const Integer y = GetClientHeight() - 1;
  canvas->GetPen()->SetColor(clRed);
  canvas->GetPen()->SetStyle(psDot);
  canvas->MoveTo(text.Left + 2, y);
  canvas->LineTo(text.Right - 3, y);
}
