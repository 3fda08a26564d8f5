// Pivot grid: the axis grouping trees and the cell array that mirrors the data source's result, with
// labels, merges, totals before or after their data and the binding of the trees to the key states.
#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/pivot/PivotGridsEh.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

// ---- Cells ----

void TPivotCellEh::Clear() {
  CelType = sctEmptyEh;
  Value = Variant();
  ArrayValue.clear();
  DrawDownLine = DrawRightLine = RowVisible = ColVisible = Expanded = ShowValue = true;
  ShowGroupingSign = DrawFilterButton = false;
  HorzAggrLevelCol = HorzAggrLevelRow = VertAggrLevelCol = VertAggrLevelRow = 0;
  PivotField = nullptr;
  RowsTreeNode = ColsTreeNode = nullptr;
  MasterCol = MasterRow = VisRowsGroupFlatNodePos = VisColsGroupFlatNodePos = -1;
}

// ---- Axis grouping tree ----

TPivotAxisGroupingTreeEh::TPivotAxisGroupingTreeEh(TPivotGridArrayEh* grid, TPivotAxisDirectionEh axisDir)
    : TTreeListEh(TPivotAxisTreeNodeEh::StaticClass()), FAxisDir(axisDir), FGrid(grid) {}

TStringList* TPivotAxisGroupingTreeEh::ActualAxisFlds() const {
  TPivotDataSourceEh* source = FGrid->GetPivotDataSource();
  if (!source) return nullptr;
  return FAxisDir == padHorizontalEh ? source->GetActualColFlds() : source->GetActualRowFlds();
}

TPivotMemTableEh* TPivotAxisGroupingTreeEh::AxisTable() const {
  TPivotDataSourceEh* source = FGrid->GetPivotDataSource();
  if (!source) return nullptr;
  return FAxisDir == padHorizontalEh ? source->ColsTable() : source->RowsTable();
}

bool TPivotAxisGroupingTreeEh::AxisAggrBeforeData() const {
  return FAxisDir == padVerticalEh && FGrid->RowAggrBeforeData;
}

void TPivotAxisGroupingTreeEh::BuildTree() {
  FFlatList.clear();
  Clear();
  TPivotMemTableEh* table = AxisTable();
  TStringList* fields = ActualAxisFlds();
  const Integer n = fields ? fields->GetCount() : 0;
  if (!table || n == 0) return;
  TRecordsListEh* list = table->Records();
  Integer recIndex = 0;
  while (recIndex < list->GetCount() &&
         list->GetRec(recIndex)->GetData()[static_cast<size_t>(n)].AsInteger() != 0)
    ++recIndex;
  if (recIndex >= list->GetCount()) return;
  std::vector<Variant> cur(static_cast<size_t>(n));
  for (Integer i = 0; i < n; ++i)
    cur[static_cast<size_t>(i)] = list->GetRec(recIndex)->GetData()[static_cast<size_t>(i)];
  AddChildren(static_cast<TPivotAxisTreeNodeEh*>(GetRoot()), cur, recIndex, n);
}

// Adds the children of parent from the detail line at recIndex on; answers the change position of the
// line that ended the group (-1 at the end of the table).
Integer TPivotAxisGroupingTreeEh::AddChildren(TPivotAxisTreeNodeEh* parent, std::vector<Variant>& cur,
                                              Integer& recIndex, Integer n) {
  TRecordsListEh* list = AxisTable()->Records();
  const Integer s = parent->GetLevel();
  for (;;) {
    const Variant& value = cur[static_cast<size_t>(s)];
    auto* child = static_cast<TPivotAxisTreeNodeEh*>(
        AddChild(VarIsNull(value) ? String(u"<Null>") : VarToStr(value), parent, nullptr));
    child->KeyValue.assign(static_cast<size_t>(n), Variant());
    for (Integer i = 0; i <= s; ++i) child->KeyValue[static_cast<size_t>(i)] = cur[static_cast<size_t>(i)];
    Integer d;
    if (child->GetLevel() < n) {
      d = AddChildren(child, cur, recIndex, n);
    } else {
      ++recIndex;
      while (recIndex < list->GetCount() &&
             list->GetRec(recIndex)->GetData()[static_cast<size_t>(n)].AsInteger() != 0)
        ++recIndex;
      if (recIndex >= list->GetCount()) return -1;
      std::vector<Variant> next(static_cast<size_t>(n));
      for (Integer i = 0; i < n; ++i)
        next[static_cast<size_t>(i)] = list->GetRec(recIndex)->GetData()[static_cast<size_t>(i)];
      d = PivotKeyPrefixLengthEh(cur, next, n - 1);
      cur = std::move(next);
      if (d == n - 1) continue;
      return d;
    }
    if (d < 0 || d < s) return d;
  }
}

void TPivotAxisGroupingTreeEh::ForAllNode(bool axisAggrBeforeData, bool consideCollapsed,
                                          const std::function<void(TPivotAxisTreeNodeEh*)>& proc) const {
  std::function<void(TBaseTreeNodeEh*)> walk = [&](TBaseTreeNodeEh* parent) {
    for (TBaseTreeNodeEh* item : parent->Items()) {
      auto* node = static_cast<TPivotAxisTreeNodeEh*>(item);
      if (axisAggrBeforeData) proc(node);
      if (node->GetExpanded() || consideCollapsed) walk(node);
      if (!axisAggrBeforeData) proc(node);
    }
  };
  walk(GetRoot());
}

void TPivotAxisGroupingTreeEh::BuildFlatList() {
  FFlatList.clear();
  ForAllNode(AxisAggrBeforeData(), false, [this](TPivotAxisTreeNodeEh* node) { FFlatList.push_back(node); });
}

void TPivotAxisGroupingTreeEh::SetGridArrayAxisNums() {
  Integer counter = 0;
  const Integer n = ActualAxisFlds() ? ActualAxisFlds()->GetCount() : 0;
  const Integer v = FGrid->ValueCount();
  ForAllNode(AxisAggrBeforeData(), true, [&](TPivotAxisTreeNodeEh* node) {
    if (FAxisDir == padVerticalEh) {
      node->AxisPos = counter;
      const Integer row = FGrid->StartDataRow() + counter;
      TBaseTreeNodeEh* owner = node;
      for (Integer col = n - 1; col >= 0; --col) {
        if (col < owner->GetLevel() - 1 && owner->GetParent()) owner = owner->GetParent();
        FGrid->Cell(col, row)->RowsTreeNode = static_cast<TPivotAxisTreeNodeEh*>(owner);
      }
    } else {
      node->AxisPos = v * counter;
      const Integer col = FGrid->StartDataCol() + v * counter;
      TBaseTreeNodeEh* owner = node;
      for (Integer row = n; row >= 1; --row) {
        if (row - 1 < owner->GetLevel() - 1 && owner->GetParent()) owner = owner->GetParent();
        FGrid->Cell(col, row)->ColsTreeNode = static_cast<TPivotAxisTreeNodeEh*>(owner);
      }
      if (v > 1)
        for (Integer k = 0; k < v; ++k) FGrid->Cell(col + k, n + 1)->ColsTreeNode = node;
    }
    ++counter;
  });
}

void TPivotAxisGroupingTreeEh::SetVisArrayGridNums() {
  const Integer n = ActualAxisFlds() ? ActualAxisFlds()->GetCount() : 0;
  std::vector<Integer> counters(static_cast<size_t>(n), 0);
  ForAllNode(AxisAggrBeforeData(), false, [&](TPivotAxisTreeNodeEh* node) {
    const Integer level = node->GetLevel();
    for (Integer i = 0; i < n; ++i) {
      TPivotCellEh* cell = FAxisDir == padVerticalEh
                               ? FGrid->Cell(i, FGrid->StartDataRow() + node->AxisPos)
                               : FGrid->Cell(FGrid->StartDataCol() + node->AxisPos, i + 1);
      Integer& counter = counters[static_cast<size_t>(i)];
      if (FAxisDir == padVerticalEh)
        cell->VisRowsGroupFlatNodePos = counter;
      else
        cell->VisColsGroupFlatNodePos = counter;
      if (counter == 0 && i <= level - 1 && i < n - 1) {
        cell->ShowGroupingSign = true;
        cell->ShowValue = true;
      } else {
        cell->ShowGroupingSign = false;
        cell->ShowValue = i == level - 1;
      }
    }
    for (Integer i = 0; i < n; ++i) {
      if (i <= level - 2)
        ++counters[static_cast<size_t>(i)];
      else
        counters[static_cast<size_t>(i)] = 0;
    }
  });
}

void TPivotAxisGroupingTreeEh::SortData(Integer level, Integer pivotGridAxisLine, TSortOrderEh sortOrder) {
  FSortOrder = sortOrder;
  auto valueOf = [&](TBaseTreeNodeEh* node) -> Variant {
    auto* axisNode = static_cast<TPivotAxisTreeNodeEh*>(node);
    if (FAxisDir == padVerticalEh)
      return FGrid->Cell(pivotGridAxisLine, FGrid->StartDataRow() + axisNode->AxisPos)->Value;
    return FGrid->Cell(FGrid->StartDataCol() + axisNode->AxisPos, pivotGridAxisLine)->Value;
  };
  TCompareNodesEh compare = [&](TBaseTreeNodeEh* a, TBaseTreeNodeEh* b, TObject*) -> Integer {
    // Null (no value in a total cell) orders before every value, from either side.
    switch (PivotNullAwareCompareEh(valueOf(a), valueOf(b))) {
      case vrLessThan:
        return FSortOrder == soAscEh ? -1 : 1;
      case vrGreaterThan:
        return FSortOrder == soAscEh ? 1 : -1;
      case vrEqual:
        return 0;
      default:
        throw Exception(u"Значения строк нельзя сравнить для сортировки");
    }
  };
  if (level == -1) {
    GetRoot()->SortData(compare, nullptr, true);
  } else if (level == 1) {
    GetRoot()->SortData(compare, nullptr, false);
  } else {
    ForAllNode(false, true, [&](TPivotAxisTreeNodeEh* node) {
      if (node->GetLevel() == level - 1) node->SortData(compare, nullptr, false);
    });
  }
}

void TPivotAxisGroupingTreeEh::SetLevelExpanded(Integer level, bool isExpanded) {
  BeginUpdate();
  {
    auto end = MakeScopeExit([this] { EndUpdate(); });
    ForAllNode(false, true, [&](TPivotAxisTreeNodeEh* node) {
      if (node->GetLevel() != level) return;
      node->SetExpanded(isExpanded);
      if (node->PivotKeyValueState) node->PivotKeyValueState->SetExpanded(isExpanded);
    });
  }
  ExpandedChanged(nullptr);
}

Integer TPivotAxisGroupingTreeEh::GetExpandedCounts(Integer level) const {
  Integer count = 0;
  ForAllNode(false, true, [&](TPivotAxisTreeNodeEh* node) {
    if (node->GetLevel() == level && node->GetExpanded()) ++count;
  });
  return count;
}

void TPivotAxisGroupingTreeEh::ApplyKeyValueStates() {
  BeginUpdate();
  auto end = MakeScopeExit([this] { EndUpdate(); });
  ForAllNode(false, true, [](TPivotAxisTreeNodeEh* node) {
    if (node->PivotKeyValueState) node->SetExpanded(node->PivotKeyValueState->GetExpanded());
  });
}

void TPivotAxisGroupingTreeEh::ExpandedChanged(TBaseTreeNodeEh* node) {
  TTreeListEh::ExpandedChanged(node);
  if (IsUpdating()) return;
  if (FAxisDir == padHorizontalEh)
    FGrid->ColsTreeExpandedChanged();
  else
    FGrid->RowsTreeExpandedChanged();
}

void TPivotAxisGroupingTreeEh::WriteTree(TStrings* strings, bool axisAggrBeforeData) const {
  ForAllNode(axisAggrBeforeData, true, [&](TPivotAxisTreeNodeEh* node) {
    strings->Add(String(static_cast<size_t>(node->GetLevel()), u' ') + node->GetText() + u" : " +
                 IntToStr(node->AxisPos));
  });
}

// ---- The cell array ----

TPivotGridArrayEh::TPivotGridArrayEh()
    : FRowsTree(std::make_unique<TPivotAxisGroupingTreeEh>(this, padVerticalEh)),
      FColsTree(std::make_unique<TPivotAxisGroupingTreeEh>(this, padHorizontalEh)) {
  EmptyGridData();
}

TPivotGridArrayEh::~TPivotGridArrayEh() = default;

TPivotCellEh* TPivotGridArrayEh::Cell(Integer col, Integer row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
    throw Exception(u"Ячейка (" + IntToStr(col) + u", " + IntToStr(row) + u") вне таблицы");
  return FArray[static_cast<size_t>(col)][static_cast<size_t>(row)].get();
}

Integer TPivotGridArrayEh::ActualRowFldsCount() const {
  return FDataSource ? FDataSource->GetActualRowFlds()->GetCount() : 0;
}
Integer TPivotGridArrayEh::ActualColFldsCount() const {
  return FDataSource ? FDataSource->GetActualColFlds()->GetCount() : 0;
}
Integer TPivotGridArrayEh::ValueCount() const {
  return FDataSource ? FDataSource->GetActualValueFields()->GetCount() : 0;
}

bool TPivotGridArrayEh::DataSourceIsEmpty() const { return !FDataSource || FDataSource->DataIsEmpty(); }

Integer TPivotGridArrayEh::GrandTotalColCount() const {
  if (!FShowGrandTotalCols) return 0;
  return DataSourceIsEmpty() ? 1 : ValueCount();
}

Integer TPivotGridArrayEh::GrandTotalRowCount() const { return FShowGrandTotalRows ? 1 : 0; }

void TPivotGridArrayEh::SetPivotGridArraySize(Integer colCount, Integer rowCount) {
  FArray.resize(static_cast<size_t>(colCount));
  for (auto& column : FArray) {
    column.resize(static_cast<size_t>(rowCount));
    for (auto& cell : column)
      if (!cell) cell = std::make_unique<TPivotCellEh>();
  }
  for (auto& column : FArray)
    for (auto& cell : column) cell->Clear();
}

void TPivotGridArrayEh::EmptyGridData() {
  FDataSortColNum = -1;
  FStartDataRow = 2;
  FStartDataCol = 1;
  FShowGrandTotalCols = FShowGrandTotalRows = true;
  FRowsTree->Clear();
  FColsTree->Clear();
  FRowsTree->BuildFlatList();
  FColsTree->BuildFlatList();
  SetPivotGridArraySize(3, 4);
  Cell(1, 0)->CelType = sctFieldNameForColEh;
  Cell(0, 1)->CelType = sctFieldNameForRowEh;
  Cell(1, 1)->CelType = sctAxisValueEh;
  Cell(0, 2)->CelType = sctAxisValueEh;
  Cell(1, 2)->CelType = sctDataEh;
  Cell(1, 2)->ShowValue = false;
  FVisPivotColCount = FFullVisPivotColCount = 3;
  FVisPivotColCountAffix = 0;
  FVisPivotRowCount = 4;
}

std::vector<Variant> TPivotGridArrayEh::LineKey(TPivotMemTableEh* table, Integer line, Integer n) const {
  const TRecValuesEh& data = table->Records()->GetRec(line)->GetData();
  std::vector<Variant> key(static_cast<size_t>(n));
  for (Integer i = 0; i < n; ++i) key[static_cast<size_t>(i)] = data[static_cast<size_t>(i)];
  return key;
}

Integer TPivotGridArrayEh::LineLevel(TPivotMemTableEh* table, Integer line, Integer n) const {
  return table->Records()->GetRec(line)->GetData()[static_cast<size_t>(n)].AsInteger();
}

void TPivotGridArrayEh::RebuildGrid() {
  EmptyGridData();
  if (DataSourceIsEmpty()) return;
  MakePivotGridArray();
  AggregateGridForColumns();
  if (RowAggrBeforeData) MoveAggrRowBeforeData();
  MakeRowSortingTree();
  MakeColSortingTree();
  const Integer r = ActualRowFldsCount(), c = ActualColFldsCount();
  for (Integer i = 0; i < r; ++i)
    Cell(i, c + FValsCapDeltaRow)->Expanded = FRowsTree->GetExpandedCounts(i + 1) > 0;
  FRowsCaptionExpandedState.assign(static_cast<size_t>(c), true);
  for (Integer i = 0; i < c; ++i)
    FRowsCaptionExpandedState[static_cast<size_t>(i)] = FColsTree->GetExpandedCounts(i + 1) > 0;
  MakeVisPivotGridArray();
}

void TPivotGridArrayEh::MakePivotGridArray() {
  const Integer r = ActualRowFldsCount(), c = ActualColFldsCount(), v = ValueCount();
  const Integer lr = FDataSource->RowsTable()->Records()->GetCount();
  const Integer lc = FDataSource->ColsTable()->Records()->GetCount();
  FValsCapDeltaRow = v >= 2 ? 1 : 0;
  FStartDataCol = r;
  FStartDataRow = c + FValsCapDeltaRow + 1;
  FPivotArrayDataColCount = lc * v;
  FPivotArrayDataRowCount = lr;
  FShowGrandTotalCols = lc > 2 && ShowGrandTotalColumns;
  FShowGrandTotalRows = lr > 2 && ShowGrandTotalRows;
  SetPivotGridArraySize(c + FPivotArrayDataColCount + FStartDataCol, FPivotArrayDataRowCount + FStartDataRow);
  FDataSortColNum = -1;
  FillRowSide();
  FillColSide();
  FillDataCells();
}

void TPivotGridArrayEh::FillRowSide() {
  const Integer r = ActualRowFldsCount(), c = ActualColFldsCount();
  TPivotMemTableEh* rows = FDataSource->RowsTable();
  TStringList* rowFlds = FDataSource->GetActualRowFlds();
  for (Integer i = 0; i < r; ++i) {
    for (Integer row = 0; row < c; ++row) {
      TPivotCellEh* cell = Cell(i, row);
      cell->Value = Variant(String());
    }
    TPivotCellEh* title = Cell(i, c + FValsCapDeltaRow);
    title->CelType = sctFieldNameForRowEh;
    title->PivotField =
        FDataSource->GetPivotFields()->FindFieldByName(rows->Struct()->GetDataField(i)->GetFieldName());
    if (title->PivotField) title->Value = Variant(rows->Struct()->GetDataField(i)->GetDisplayLabel());
    title->VertAggrLevelRow = r - i - 1;
    title->DrawFilterButton = title->PivotField != nullptr;
  }
  const Integer lr = rows->Records()->GetCount();
  std::vector<Variant> previous(static_cast<size_t>(r));
  std::vector<Integer> lastShown(static_cast<size_t>(r), -1);
  for (Integer line = 0; line < lr; ++line) {
    const std::vector<Variant> key = LineKey(rows, line, r);
    const Integer e = LineLevel(rows, line, r);
    const Integer arrayRow = FStartDataRow + line;
    for (Integer i = 0; i < r; ++i) {
      TPivotCellEh* cell = Cell(i, arrayRow);
      cell->CelType = sctAxisValueEh;
      cell->VertAggrLevelRow = e;
      cell->VertAggrLevelCol = r - i - 1;
      cell->PivotField = static_cast<TPivotFieldEh*>(rowFlds->GetObject(i));
      if (PivotKeyPrefixLengthEh(key, previous, i + 1) == i + 1) {
        cell->Value = key[static_cast<size_t>(i)];
        if (e <= 0 || i != r - e - 1) {
          cell->ShowValue = false;
          cell->MasterRow = lastShown[static_cast<size_t>(i)];
        } else {
          cell->ShowValue = true;
        }
        cell->DrawDownLine = true;
        Cell(i, arrayRow - 1)->DrawDownLine = false;
      } else {
        cell->Value =
            cell->PivotField || FDataSource->GetActualValueFields()->GetCount() == 0
                ? key[static_cast<size_t>(i)]
                : Variant(
                      FDataSource->GetActualValueFields()->GetPivotFieldValueInfo(0)->DisplayDescription());
        cell->ShowValue = true;
        cell->ShowGroupingSign = i < r - 1 && e == 0;
        cell->DrawDownLine = true;
        cell->MasterRow = arrayRow;
        lastShown[static_cast<size_t>(i)] = arrayRow;
      }
      cell->DrawRightLine = e <= 0 || i < r - e - 1 || i == r - 1;
    }
    previous = key;
  }
}

void TPivotGridArrayEh::FillColSide() {
  const Integer r = ActualRowFldsCount(), c = ActualColFldsCount(), v = ValueCount();
  TPivotMemTableEh* cols = FDataSource->ColsTable();
  TStringList* colFlds = FDataSource->GetActualColFlds();
  const bool columnFieldsChosen = FDataSource->GetColumnFields()->GetCount() > 0;
  const bool rowFieldsChosen = FDataSource->GetRowFields()->GetCount() > 0;
  for (Integer i = 0; i < c; ++i) {
    TPivotCellEh* title = Cell(r + i, 0);
    title->CelType = sctFieldNameForColEh;
    title->Value = Variant(cols->Struct()->GetDataField(i)->GetDisplayLabel());
    title->ShowValue = columnFieldsChosen;
    title->HorzAggrLevelCol = c - i - 1;
    title->PivotField =
        FDataSource->GetPivotFields()->FindFieldByName(cols->Struct()->GetDataField(i)->GetFieldName());
    title->DrawFilterButton = title->PivotField != nullptr;
  }
  const Integer lc = cols->Records()->GetCount();
  std::vector<Variant> previous(static_cast<size_t>(c));
  for (Integer line = 0; line < lc; ++line) {
    const std::vector<Variant> key = LineKey(cols, line, c);
    const Integer h = LineLevel(cols, line, c);
    const Integer x = r + v * line;
    for (Integer i = 0; i < c; ++i) {
      TPivotCellEh* p = Cell(x, i + 1);
      p->CelType = sctAxisValueEh;
      p->HorzAggrLevelCol = h;
      p->HorzAggrLevelRow = c - i - 1;
      p->PivotField = static_cast<TPivotFieldEh*>(colFlds->GetObject(i));
      if (PivotKeyPrefixLengthEh(key, previous, i + 1) == i + 1) {
        p->Value = key[static_cast<size_t>(i)];
        p->ShowValue = (h <= 0 || i != c - h - 1) ? false : rowFieldsChosen;
        p->DrawRightLine = true;
        if (x > 0) Cell(x - 1, i + 1)->DrawRightLine = false;
      } else {
        p->Value =
            p->PivotField || v == 0
                ? key[static_cast<size_t>(i)]
                : Variant(
                      FDataSource->GetActualValueFields()->GetPivotFieldValueInfo(0)->DisplayDescription());
        p->ShowGroupingSign = i < c - 1 && h == 0;
        p->ShowValue = true;
        p->DrawRightLine = true;
      }
      p->DrawDownLine = h <= 0 || i < c - h - 1 || i == c - 1;
      for (Integer k = 0; k < v; ++k) {
        TPivotCellEh* q = Cell(x + k, i + 1);
        if (h == c && !FShowGrandTotalCols) q->ColVisible = false;
        if (k > 0) {
          q->Value = p->Value;
          q->DrawDownLine = p->DrawDownLine;
        }
        if (k < v - 1) q->DrawRightLine = false;
      }
    }
    for (Integer k = 0; k < v; ++k) {
      TPivotCellEh* caption = Cell(x + k, c + 1);
      caption->CelType = sctValuesColCaptionEh;
      caption->Value =
          Variant(FDataSource->GetActualValueFields()->GetPivotFieldValueInfo(k)->GetPivotFieldName());
    }
    previous = key;
  }
  for (Integer col = r + v * lc; col < ColCount(); ++col)
    for (Integer row = 1; row < c; ++row) Cell(col, row)->DrawDownLine = false;
}

void TPivotGridArrayEh::FillDataCells() {
  const Integer r = ActualRowFldsCount(), c = ActualColFldsCount(), v = ValueCount();
  TPivotMemTableEh* rows = FDataSource->RowsTable();
  TPivotMemTableEh* cols = FDataSource->ColsTable();
  TRecordsListEh* results = FDataSource->ResultAggrTable()->Records();
  const Integer lr = rows->Records()->GetCount(), lc = cols->Records()->GetCount();
  std::vector<std::vector<Variant>> colKeys;
  std::vector<Integer> colLevels;
  for (Integer line = 0; line < lc; ++line) {
    colKeys.push_back(LineKey(cols, line, c));
    colLevels.push_back(LineLevel(cols, line, c));
  }
  Integer recIndex = 0;
  for (Integer rl = 0; rl < lr; ++rl) {
    const std::vector<Variant> rowKey = LineKey(rows, rl, r);
    const Integer rowLevel = LineLevel(rows, rl, r);
    for (Integer cl = 0; cl < lc; ++cl) {
      bool matched = false;
      if (recIndex < results->GetCount()) {
        const TRecValuesEh& data = results->GetRec(recIndex)->GetData();
        std::vector<Variant> recRow(static_cast<size_t>(r)), recCol(static_cast<size_t>(c));
        for (Integer i = 0; i < r; ++i) recRow[static_cast<size_t>(i)] = data[static_cast<size_t>(i)];
        for (Integer i = 0; i < c; ++i)
          recCol[static_cast<size_t>(i)] = data[static_cast<size_t>(r) + static_cast<size_t>(i)];
        matched =
            PivotKeysEqualEh(recRow, rowKey) && PivotKeysEqualEh(recCol, colKeys[static_cast<size_t>(cl)]);
      }
      for (Integer k = 0; k < v; ++k) {
        TPivotCellEh* cell = Cell(r + v * cl + k, FStartDataRow + rl);
        if (matched) {
          cell->CelType = colLevels[static_cast<size_t>(cl)] != 0 ? sctHorzAggregateData
                          : rowLevel != 0                         ? sctVertAggregateData
                                                                  : sctDataEh;
          cell->Value =
              results->GetRec(recIndex)
                  ->GetData()[static_cast<size_t>(r) + static_cast<size_t>(c) + static_cast<size_t>(k)];
        } else {
          cell->CelType = rowLevel != 0                             ? sctVertAggregateData
                          : colLevels[static_cast<size_t>(cl)] != 0 ? sctHorzAggregateData
                                                                    : sctDataEh;
          cell->Value = Variant::Null();
        }
        cell->ShowValue = cell->DrawDownLine = cell->DrawRightLine = cell->RowVisible = cell->ColVisible =
            true;
      }
      if (matched) ++recIndex;
    }
  }
  // Every result line stands for a cell: one left over means the tables are out of step, and the cells
  // after it would silently stay empty.
  if (lr > 0 && recIndex < results->GetCount())
    throw Exception(u"Algorithmic error: ResultAggrTable line " + IntToStr(recIndex) + u" matches no cell");
}

void TPivotGridArrayEh::AggregateGridForColumns() {
  TRecordsListEh* results = FDataSource->TransResultAggrTable()->Records();
  if (results->GetCount() == 0 || FDataSource->FilteredBaseRecords().empty()) return;
  const Integer c = ActualColFldsCount(), r = ActualRowFldsCount(), v = ValueCount();
  const Integer levelField = c + r + v + 1;
  Integer recIndex = 0;
  for (Integer level = c; level >= 1; --level) {
    if (recIndex < results->GetCount()) {
      const Integer found = results->GetRec(recIndex)->GetData()[static_cast<size_t>(levelField)].AsInteger();
      if (found != level)
        throw Exception(u"Algorithmic error: ForGridAggrLevel=" + IntToStr(found) + u": i=" +
                        IntToStr(level));
    }
    AggregateGridForColumnsLevel(level, recIndex);
    if (recIndex < results->GetCount() &&
        results->GetRec(recIndex)->GetData()[static_cast<size_t>(levelField)].AsInteger() == level)
      throw Exception(u"Algorithmic error: TransResultAggrTable line " + IntToStr(recIndex) +
                      u" matches no cell");
  }
}

void TPivotGridArrayEh::AggregateGridForColumnsLevel(Integer colsLevel, Integer& recIndex) {
  const Integer c = ActualColFldsCount(), r = ActualRowFldsCount(), v = ValueCount();
  TPivotMemTableEh* rows = FDataSource->RowsTable();
  TPivotMemTableEh* cols = FDataSource->ColsTable();
  TRecordsListEh* results = FDataSource->TransResultAggrTable()->Records();
  const Integer lr = rows->Records()->GetCount(), lc = cols->Records()->GetCount();
  if (lc < 2) return;
  const Integer levelField = c + r + v + 1;
  std::vector<std::vector<Variant>> rowKeys;
  std::vector<Integer> rowLevels;
  for (Integer line = 0; line < lr; ++line) {
    rowKeys.push_back(LineKey(rows, line, r));
    rowLevels.push_back(LineLevel(rows, line, r));
  }
  for (Integer cl = 0; cl <= lc - 2; ++cl) {
    const std::vector<Variant> colKey = LineKey(cols, cl, c);
    const Integer colLevel = LineLevel(cols, cl, c);
    for (Integer rl = 0; rl < lr; ++rl) {
      if (recIndex >= results->GetCount()) return;
      const TRecValuesEh& data = results->GetRec(recIndex)->GetData();
      if (data[static_cast<size_t>(levelField)].AsInteger() != colsLevel) return;
      std::vector<Variant> recCol(static_cast<size_t>(c)), recRow(static_cast<size_t>(r));
      for (Integer i = 0; i < c; ++i) recCol[static_cast<size_t>(i)] = data[static_cast<size_t>(i)];
      for (Integer i = 0; i < r; ++i)
        recRow[static_cast<size_t>(i)] = data[static_cast<size_t>(c) + static_cast<size_t>(i)];
      if (!PivotKeysEqualEh(recCol, colKey) || !PivotKeysEqualEh(recRow, rowKeys[static_cast<size_t>(rl)]))
        continue;
      for (Integer k = 0; k < v; ++k) {
        TPivotCellEh* cell = Cell(r + v * cl + k, FStartDataRow + rl);
        cell->CelType = rowLevels[static_cast<size_t>(rl)] != 0 ? sctHorzAggregateData
                        : colLevel != 0                         ? sctVertAggregateData
                                                                : sctDataEh;
        cell->Value = data[static_cast<size_t>(c) + static_cast<size_t>(r) + static_cast<size_t>(k)];
        cell->ShowValue = cell->DrawDownLine = cell->DrawRightLine = cell->RowVisible = cell->ColVisible =
            true;
      }
      ++recIndex;
    }
  }
}

void TPivotGridArrayEh::MoveAggrRowBeforeData() {
  const Integer r = ActualRowFldsCount();
  std::vector<Integer> firstRow(static_cast<size_t>(r), FStartDataRow);
  for (Integer j = FStartDataRow; j < RowCount() - 1; ++j) {
    const Integer level = Cell(0, j)->VertAggrLevelRow;
    if (level < 1) {
      for (Integer& mark : firstRow)
        if (mark == -1) mark = j;
      continue;
    }
    const Integer labelCol = r - level - 1;
    Integer& mark = firstRow[static_cast<size_t>(level)];
    if (labelCol >= 0) {
      Cell(labelCol, j)->DrawDownLine = false;
      Cell(labelCol, j - 1)->DrawDownLine = true;
      const Integer ownLabelRow = mark + level - 1;
      if (ownLabelRow >= FStartDataRow && ownLabelRow < RowCount())
        Cell(labelCol, ownLabelRow)->ShowValue = false;
    }
    const Integer target = mark < 0 ? j : mark;
    for (auto& column : FArray) {
      auto moved = std::move(column[static_cast<size_t>(j)]);
      column.erase(column.begin() + j);
      column.insert(column.begin() + target, std::move(moved));
    }
    mark = -1;
  }
}

void TPivotGridArrayEh::MakeRowSortingTree() {
  FRowsTree->BuildTree();
  BindNodesToKeyValueStates(FRowsTree.get());
  FRowsTree->ApplyKeyValueStates();
  FRowsTree->SetGridArrayAxisNums();
  ResortRowSortingTree();
}

void TPivotGridArrayEh::MakeColSortingTree() {
  FColsTree->BuildTree();
  BindColsTreeToBaseAxisRecs();
  BindNodesToKeyValueStates(FColsTree.get());
  FColsTree->ApplyKeyValueStates();
  FColsTree->SetGridArrayAxisNums();
  ResortColSortingTree();
}

void TPivotGridArrayEh::ResortRowSortingTree() {
  TStringList* rowFlds = FDataSource->GetActualRowFlds();
  if (FDataSortColNum < 0 && rowFlds->GetCount() > 0 && rowFlds->GetObject(0)) {
    for (Integer i = 0; i < rowFlds->GetCount(); ++i)
      if (auto* field = static_cast<TPivotFieldEh*>(rowFlds->GetObject(i)))
        FRowsTree->SortData(i + 1, i, field->GetSortOrder());
  } else if (FDataSortColNum >= 0) {
    FRowsTree->SortData(-1, FDataSortColNum, FDataSortSortOrder);
  }
  FRowsTree->SetVisArrayGridNums();
  FRowsTree->BuildFlatList();
}

void TPivotGridArrayEh::ResortColSortingTree() {
  FColsTree->BuildFlatList();
  FColsTree->SetVisArrayGridNums();
}

void TPivotGridArrayEh::SetDataSort(Integer arrayCol, TSortOrderEh order) {
  FDataSortColNum = arrayCol;
  FDataSortSortOrder = order;
  ResortRowSortingTree();
  MakeVisPivotGridArray();
}

void TPivotGridArrayEh::BindColsTreeToBaseAxisRecs() {
  std::vector<TPivotAxisTreeNodeEh*> nodes;
  FColsTree->ForAllNode(false, true, [&](TPivotAxisTreeNodeEh* node) { nodes.push_back(node); });
  TRecordsListEh* base = FDataSource->BaseColsTable()->Records();
  const Integer c = ActualColFldsCount();
  size_t n = 0;
  for (Integer rec = 0; rec < base->GetCount() && n < nodes.size(); ++rec) {
    std::vector<Variant> key(static_cast<size_t>(c));
    for (Integer i = 0; i < c; ++i)
      key[static_cast<size_t>(i)] = base->GetRec(rec)->GetData()[static_cast<size_t>(i)];
    const Integer compare = PivotKeyArrayCompareEh(key, nodes[n]->KeyValue);
    if (compare == 3)
      throw Exception(u"TPivotDataSourceEh.BindAxisTreeToBaseAxisRecs() .. CompareResult = vrNotEqual");
    if (compare == 0) nodes[n++]->RefBaseAxisTableRec = base->GetRec(rec);
  }
}

void TPivotGridArrayEh::BindNodesToKeyValueStates(TPivotAxisGroupingTreeEh* tree) {
  TStringList* fields = tree->ActualAxisFlds();
  std::function<void(TBaseTreeNodeEh*)> bind = [&](TBaseTreeNodeEh* parent) {
    const Integer level = parent->GetLevel();
    if (level >= fields->GetCount() || parent->GetCount() == 0) return;
    auto* field = static_cast<TPivotFieldEh*>(fields->GetObject(level));
    if (field) {
      TPivotKeyValueStatesEh* states = field->GetKeyValueStates();
      Integer s = 0;
      Integer child = 0;
      while (child < parent->GetCount() && s < states->GetCount()) {
        auto* node = static_cast<TPivotAxisTreeNodeEh*>(parent->GetItem(child));
        switch (PivotNullAwareCompareEh(node->KeyValue[static_cast<size_t>(level)],
                                        states->GetState(s)->GetKeyValue())) {
          case vrEqual:
            node->PivotKeyValueState = states->GetState(s);
            ++child;
            ++s;
            break;
          case vrLessThan:
            // A key the states do not know (the data changed without a reload): it keeps no state.
            ++child;
            break;
          case vrGreaterThan:
            ++s;
            break;
          default:
            throw Exception(
                u"TCustomPivotGridEh.BindNodesListToPivotKeyValueState() .. CompareResult = vrNotEqual");
        }
      }
    }
    for (TBaseTreeNodeEh* item : parent->Items()) bind(item);
  };
  bind(tree->GetRoot());
}

void TPivotGridArrayEh::MakeVisPivotGridArray() {
  const Integer r = ActualRowFldsCount(), c = ActualColFldsCount(), v = ValueCount();
  FVisPivotRowCount = FStartDataRow + FRowsTree->FlatListCount() + GrandTotalRowCount();
  FVisPivotColCount = FStartDataCol + FColsTree->FlatListCount() * v + GrandTotalColCount();
  FVisPivotColCountAffix = std::max<Integer>(c + FStartDataCol - FVisPivotColCount, 0);
  FFullVisPivotColCount = FVisPivotColCount + FVisPivotColCountAffix;
  static_cast<void>(r);
  FillGridDataForActualRowFlds();
}

void TPivotGridArrayEh::FillGridDataForActualRowFlds() {
  const Integer r = ActualRowFldsCount(), c = ActualColFldsCount();
  TStringList* colFlds = FDataSource->GetActualColFlds();
  if (c == 0 || !colFlds->GetObject(0)) return;
  const bool columnFieldsChosen = FDataSource->GetColumnFields()->GetCount() > 0;
  TPivotMemTableEh* cols = FDataSource->ColsTable();
  for (Integer i = 0; i < c && r + i < FFullVisPivotColCount; ++i) {
    TPivotCellEh* cell = GetVisPivotGridArray(r + i, 0);
    cell->CelType = sctFieldNameForColEh;
    cell->Value = Variant(cols->Struct()->GetDataField(i)->GetDisplayLabel());
    cell->ShowValue = columnFieldsChosen;
    cell->DrawDownLine = cell->DrawRightLine = cell->RowVisible = cell->ColVisible = true;
    cell->HorzAggrLevelCol = c - i - 1;
    cell->Expanded = FRowsCaptionExpandedState.empty() || FRowsCaptionExpandedState[static_cast<size_t>(i)];
    cell->PivotField = static_cast<TPivotFieldEh*>(colFlds->GetObject(i));
    cell->DrawFilterButton = cell->PivotField != nullptr;
  }
  for (Integer col = r + c; col < FFullVisPivotColCount; ++col) {
    Integer srcCol = 0, srcRow = 0;
    VisPivotPosToSrcArrayPos(col, 0, srcCol, srcRow);
    if (srcCol < ColCount()) Cell(srcCol, srcRow)->Clear();
  }
}

void TPivotGridArrayEh::VisPivotPosToSrcArrayPos(Integer visCol, Integer visRow, Integer& srcCol,
                                                 Integer& srcRow) const {
  srcCol = visCol;
  srcRow = visRow;
  if (DataSourceIsEmpty()) return;
  const Integer v = std::max<Integer>(ValueCount(), 1);
  const Integer colFlat = FColsTree->FlatListCount();
  if (visCol >= FStartDataCol) {
    if (visCol < FStartDataCol + colFlat * v) {
      TPivotAxisTreeNodeEh* node = FColsTree->GetFlatList((visCol - FStartDataCol) / v);
      srcCol = FStartDataCol + node->AxisPos + (visCol - FStartDataCol) % v;
    } else {
      srcCol = visCol + FPivotArrayDataColCount - colFlat * v - GrandTotalColCount();
    }
  }
  const Integer rowFlat = FRowsTree->FlatListCount();
  if (visRow >= FStartDataRow) {
    if (visRow < FStartDataRow + rowFlat)
      srcRow = FRowsTree->GetFlatList(visRow - FStartDataRow)->AxisPos + FStartDataRow;
    else
      srcRow = RowCount() + rowFlat + FStartDataRow - visRow - 1;
  }
}

TPivotCellEh* TPivotGridArrayEh::GetVisPivotGridArray(Integer col, Integer row) const {
  Integer srcCol = 0, srcRow = 0;
  VisPivotPosToSrcArrayPos(col, row, srcCol, srcRow);
  return Cell(srcCol, srcRow);
}

void TPivotGridArrayEh::RowsTreeExpandedChanged() {
  FRowsTree->SetVisArrayGridNums();
  FRowsTree->BuildFlatList();
  MakeVisPivotGridArray();
  if (OnLayoutChanged) OnLayoutChanged();
}

void TPivotGridArrayEh::ColsTreeExpandedChanged() {
  FColsTree->SetVisArrayGridNums();
  FColsTree->BuildFlatList();
  MakeVisPivotGridArray();
  if (OnLayoutChanged) OnLayoutChanged();
}
