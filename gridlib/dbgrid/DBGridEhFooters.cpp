// Column footers and the grid's sum list that keeps their aggregates.
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/rtl/ScopeGuard.h"

namespace {
const TTypeInfo* TypeInfoFooterValueType() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TFooterValueType",
                      {u"fvtNon", u"fvtSum", u"fvtAvg", u"fvtCount", u"fvtFieldValue", u"fvtStaticText"});
  return &info;
}
}  // namespace

// ======================= Footer =======================

void TColumnFooterEh::Published(TPropBuilder<TColumnFooterEh>& p) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &TColumnFooterEh::GetAlignment, &TColumnFooterEh::SetAlignment)
      .NoDefault()
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        auto* f = static_cast<const TColumnFooterEh*>(o);
        return f->assignedValues_.Contains(cvFooterAlignment) && f->alignment_ != f->DefaultAlignment();
      }));
  p.IntIdent(u"Color", TypeInfoColor(), &TColumnFooterEh::GetColor, &TColumnFooterEh::SetColor)
      .NoDefault()
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        auto* f = static_cast<const TColumnFooterEh*>(o);
        return f->assignedValues_.Contains(cvFooterColor) && f->color_ != f->DefaultColor();
      }));
  p.Str(u"DisplayFormat", &TColumnFooterEh::GetDisplayFormat, &TColumnFooterEh::SetDisplayFormat);
  p.Bool(u"EndEllipsis", &TColumnFooterEh::GetEndEllipsis, &TColumnFooterEh::SetEndEllipsis).Default(0);
  p.Str(u"FieldName", &TColumnFooterEh::GetFieldName, &TColumnFooterEh::SetFieldName);
  p.Object(
       u"Font", [](const TColumnFooterEh* f) { return const_cast<TColumnFooterEh*>(f)->GetFont(); },
       &TColumnFooterEh::SetFont)
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        return static_cast<const TColumnFooterEh*>(o)->assignedValues_.Contains(cvFooterFont);
      }));
  p.Bool(u"ToolTips", &TColumnFooterEh::GetToolTips, &TColumnFooterEh::SetToolTips)
      .NoDefault()
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        auto* f = static_cast<const TColumnFooterEh*>(o);
        return f->assignedValues_.Contains(cvFooterToolTips) && f->toolTips_;
      }));
  p.Str(u"Value", &TColumnFooterEh::GetValue, &TColumnFooterEh::SetValue);
  p.Enum(u"ValueType", TypeInfoFooterValueType(), &TColumnFooterEh::GetValueType,
         &TColumnFooterEh::SetValueType)
      .Default(fvtNon);
  p.Bool(u"WordWrap", &TColumnFooterEh::GetWordWrap, &TColumnFooterEh::SetWordWrap).Default(0);
}

TColumnFooterEh::TColumnFooterEh(TCollection* collection) : TCollectionItem(collection) {
  if (auto* footers = dynamic_cast<TColumnFootersEh*>(collection)) column_ = footers->GetColumn();
  Init();
  if (TCustomDBGridEh* grid = column_ ? column_->GetDBGrid() : nullptr) grid->Invalidate();
}

TColumnFooterEh* TColumnFooterEh::CreateApart(TColumnEh* column) {
  auto* footer = new TColumnFooterEh(nullptr);
  footer->column_ = column;
  footer->Init();
  return footer;
}

void TColumnFooterEh::Init() {
  if (!font_) {
    font_ = std::make_unique<TFont>();
    font_->OnChange = TNotifyEvent(this, &TColumnFooterEh::FontChanged);
  }
  RefreshDefaultFont();
}

// Freeing the aggregate takes it out of the sum list.
TColumnFooterEh::~TColumnFooterEh() {
  delete dbSum_;
  TCustomDBGridEh* grid = column_ ? column_->GetDBGrid() : nullptr;
  if (grid && !grid->IsDestroying()) grid->Invalidate();
}

TPersistent* TColumnFooterEh::GetOwner() const {
  if (GetCollection()) return TCollectionItem::GetOwner();
  return column_;
}

void TColumnFooterEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TColumnFooterEh*>(source);
  if (!src) {
    TCollectionItem::Assign(source);
    return;
  }
  // Only what the source set itself arrives as set.
  if (src->assignedValues_.Contains(cvFooterAlignment)) SetAlignment(src->alignment_);
  if (src->assignedValues_.Contains(cvFooterColor)) SetColor(src->color_);
  if (src->assignedValues_.Contains(cvFooterFont)) SetFont(src->font_.get());
  endEllipsis_ = src->endEllipsis_;
  valueType_ = src->valueType_;
  fieldName_ = src->fieldName_;
  value_ = src->value_;
  wordWrap_ = src->wordWrap_;
  displayFormat_ = src->displayFormat_;
  SetToolTips(src->GetToolTips());
  EnsureSumValue();
  ColumnChanged(false);
}

void TColumnFooterEh::ColumnChanged(bool allItems) {
  if (column_) column_->Changed(allItems);
}

TAlignment TColumnFooterEh::DefaultAlignment() const {
  TField* field = column_ ? column_->GetField() : nullptr;
  return field ? field->GetAlignment() : taLeftJustify;
}

TColor TColumnFooterEh::DefaultColor() const {
  TCustomDBGridEh* grid = column_ ? column_->GetDBGrid() : nullptr;
  return grid ? grid->GetFooterParams()->GetFillStyleColor() : clWindow;
}

TFont* TColumnFooterEh::DefaultFont() const {
  TCustomDBGridEh* grid = column_ ? column_->GetDBGrid() : nullptr;
  if (grid) return grid->GetFooterParams()->GetFont();
  return column_ ? column_->GetFont() : nullptr;
}

bool TColumnFooterEh::DefaultToolTips() const {
  TCustomDBGridEh* grid = column_ ? column_->GetDBGrid() : nullptr;
  return grid ? grid->GetColumnDefValues()->GetFooter()->ToolTips : false;
}

TAlignment TColumnFooterEh::GetAlignment() const {
  return assignedValues_.Contains(cvFooterAlignment) ? alignment_ : DefaultAlignment();
}

void TColumnFooterEh::SetAlignment(TAlignment value) {
  if (assignedValues_.Contains(cvFooterAlignment) && alignment_ == value) return;
  alignment_ = value;
  assignedValues_.Include(cvFooterAlignment);
  ColumnChanged(false);
}

TColor TColumnFooterEh::GetColor() const {
  return assignedValues_.Contains(cvFooterColor) ? color_ : DefaultColor();
}

void TColumnFooterEh::SetColor(TColor value) {
  if (assignedValues_.Contains(cvFooterColor) && color_ == value) return;
  color_ = value;
  assignedValues_.Include(cvFooterColor);
  ColumnChanged(false);
}

bool TColumnFooterEh::GetToolTips() const {
  return assignedValues_.Contains(cvFooterToolTips) ? toolTips_ : DefaultToolTips();
}

void TColumnFooterEh::SetToolTips(bool value) {
  toolTips_ = value;
  assignedValues_.Include(cvFooterToolTips);
}

void TColumnFooterEh::SetEndEllipsis(bool value) {
  endEllipsis_ = value;
  ColumnChanged(false);
}

void TColumnFooterEh::SetWordWrap(bool value) {
  wordWrap_ = value;
  ColumnChanged(false);
}

TFont* TColumnFooterEh::GetFont() {
  RefreshDefaultFont();
  return font_.get();
}

// An unset font stays a copy of the default; copying it is not a change of the footer.
void TColumnFooterEh::RefreshDefaultFont() {
  if (assignedValues_.Contains(cvFooterFont) || fontSyncing_) return;
  TFont* def = DefaultFont();
  if (!def || def == font_.get() || FontsEqualEh(font_.get(), def)) return;
  fontSyncing_ = true;
  auto done = MakeScopeExit([this] { fontSyncing_ = false; });
  font_->Assign(def);
}

void TColumnFooterEh::FontChanged(TObject*) {
  if (fontSyncing_) return;
  assignedValues_.Include(cvFooterFont);
  ColumnChanged(true);
}

void TColumnFooterEh::RestoreDefaults() {
  const bool hadFont = assignedValues_.Contains(cvFooterFont);
  assignedValues_ = {};
  RefreshDefaultFont();
  ColumnChanged(hadFont);
}

void TColumnFooterEh::ReaimColumnSums() {
  if (!column_) {
    EnsureSumValue();
    return;
  }
  column_->GetFooter()->EnsureSumValue();
  TColumnFootersEh* footers = column_->GetFooters();
  for (Integer i = 0; footers && i < footers->GetCount(); ++i) footers->GetFooter(i)->EnsureSumValue();
}

void TColumnFooterEh::SetValueType(TFooterValueType value) {
  if (valueType_ == value) return;
  valueType_ = value;
  ReaimColumnSums();
  ColumnChanged(false);
}

void TColumnFooterEh::SetFieldName(const String& value) {
  fieldName_ = value;
  ReaimColumnSums();
  ColumnChanged(false);
}

void TColumnFooterEh::SetValue(const String& value) {
  value_ = value;
  ColumnChanged(false);
}

void TColumnFooterEh::SetDisplayFormat(const String& value) {
  if (displayFormat_ == value) return;
  displayFormat_ = value;
  ColumnChanged(false);
}

Variant TColumnFooterEh::GetSumValue() const { return dbSum_ ? Variant(dbSum_->SumValue) : Variant::Null(); }

void TColumnFooterEh::EnsureSumValue() {
  TCustomDBGridEh* grid = column_ ? column_->GetDBGrid() : nullptr;
  if (!grid) return;
  const bool aggregate = valueType_ == fvtSum || valueType_ == fvtAvg || valueType_ == fvtCount;
  if (!aggregate) {
    delete dbSum_;
    dbSum_ = nullptr;
    return;
  }
  TDBSumCollection* sums = grid->GetSumList()->GetSumCollection();
  sums->BeginUpdate();
  auto end = MakeScopeExit([sums] { sums->EndUpdate(); });
  if (!dbSum_) dbSum_ = sums->Add();
  if (valueType_ == fvtCount) {
    dbSum_->SetGroupOperation(goCount);
    dbSum_->SetFieldName(String());
  } else {
    dbSum_->SetGroupOperation(valueType_ == fvtSum ? goSum : goAvg);
    dbSum_->SetFieldName(fieldName_.empty() ? column_->GetFieldName() : fieldName_);
  }
}

// ======================= Footer collection =======================

TColumnFootersEh::TColumnFootersEh(TColumnEh* column)
    : TCollection(TColumnFooterEh::StaticClass()), column_(column) {}

TPersistent* TColumnFootersEh::GetOwner() const { return column_; }

TColumnFooterEh* TColumnEh::UsedFooter(Integer index) const {
  if (index >= 0 && index < footers_->GetCount()) return footers_->GetFooter(index);
  return footer_.get();
}

// ======================= Sum list =======================

TDBGridEhSumList::TDBGridEhSumList(TComponent* owner) : TDBSumListProducer(owner) {
  FDesignTimeWork = true;
  SetActive(false);
}

void TDBGridEhSumList::RecalcAll() {
  auto* grid = dynamic_cast<TCustomDBGridEh*>(GetOwnerComponent());
  if (!grid || grid->IsLoading()) return;
  TDBSumListProducer::RecalcAll();
}

bool TDBGridEhSumList::OwnerDesigning() const {
  TComponent* owner = GetOwnerComponent();
  return owner && owner->GetComponentState().Contains(csDesigning);
}

void TDBGridEhSumList::SetDataSetEvents() {
  if (!OwnerDesigning()) {
    TDBSumListProducer::SetDataSetEvents();
    return;
  }
  if (FDataSet) FEventsOverloaded = true;
}

void TDBGridEhSumList::ReturnEvents() {
  if (!OwnerDesigning()) {
    TDBSumListProducer::ReturnEvents();
    return;
  }
  FEventsOverloaded = false;
}
