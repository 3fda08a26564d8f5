// The grid-wide bar defaults, the bar titles that follow them, the drop-down box settings, the bar's
// edit buttons and the unit's small field routines.
#include <cmath>

#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/rtl/ScopeGuard.h"

bool FontsEqualEh(TFont* a, TFont* b) {
  return a->GetName() == b->GetName() && a->GetHeight() == b->GetHeight() && a->GetStyle() == b->GetStyle() &&
         a->GetColor() == b->GetColor() && a->GetCharset() == b->GetCharset() &&
         a->GetPitch() == b->GetPitch();
}

// ======================= Title defaults =======================

void TAxisBarCaptionDefValuesEh::Published(TPropBuilder<TAxisBarCaptionDefValuesEh>& p) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &TAxisBarCaptionDefValuesEh::GetAlignment,
         &TAxisBarCaptionDefValuesEh::SetAlignment)
      .NoDefault()
      .Stored(&TAxisBarCaptionDefValuesEh::IsAlignmentStored);
  p.IntIdent(u"Color", TypeInfoColor(), &TAxisBarCaptionDefValuesEh::GetColor,
             &TAxisBarCaptionDefValuesEh::SetColor)
      .NoDefault()
      .Stored(&TAxisBarCaptionDefValuesEh::IsColorStored);
  p.Bool(u"EndEllipsis", &TAxisBarCaptionDefValuesEh::GetEndEllipsis,
         &TAxisBarCaptionDefValuesEh::SetEndEllipsis)
      .Default(0);
  p.Bool(u"TitleButton", &TAxisBarCaptionDefValuesEh::GetTitleButton,
         &TAxisBarCaptionDefValuesEh::SetTitleButton)
      .Default(0);
  p.Bool(u"ToolTips", &TAxisBarCaptionDefValuesEh::GetToolTips, &TAxisBarCaptionDefValuesEh::SetToolTips)
      .Default(0);
}

TAxisBarCaptionDefValuesEh::TAxisBarCaptionDefValuesEh(TAxisBarDefValuesEh* columnDefValues)
    : columnDefValues_(columnDefValues) {}

TPersistent* TAxisBarCaptionDefValuesEh::GetOwner() const { return columnDefValues_; }
TCustomDBAxisGridEh* TAxisBarCaptionDefValuesEh::GetGrid() const {
  return columnDefValues_ ? columnDefValues_->GetGrid() : nullptr;
}

void TAxisBarCaptionDefValuesEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TAxisBarCaptionDefValuesEh*>(source);
  if (!src) return TPersistent::Assign(source);
  if (src->assignedValues_.Contains(cvdpTitleAlignmentEh)) SetAlignment(src->alignment_);
  if (src->assignedValues_.Contains(cvdpTitleColorEh)) SetColor(src->color_);
  SetEndEllipsis(src->endEllipsis_);
  SetOrientation(src->orientation_);
  titleButton_ = src->titleButton_;
  toolTips_ = src->toolTips_;
}

TAlignment TAxisBarCaptionDefValuesEh::GetAlignment() const {
  if (assignedValues_.Contains(cvdpTitleAlignmentEh)) return alignment_;
  TCustomDBAxisGridEh* grid = GetGrid();
  return grid ? grid->GetTitleLineMode() : taLeftJustify;
}
void TAxisBarCaptionDefValuesEh::SetAlignment(TAlignment value) {
  if (assignedValues_.Contains(cvdpTitleAlignmentEh) && alignment_ == value) return;
  alignment_ = value;
  assignedValues_.Include(cvdpTitleAlignmentEh);
  if (TCustomDBAxisGridEh* grid = GetGrid()) grid->LayoutChanged();
}
bool TAxisBarCaptionDefValuesEh::IsAlignmentStored() const {
  TCustomDBAxisGridEh* grid = GetGrid();
  return assignedValues_.Contains(cvdpTitleAlignmentEh) && (!grid || alignment_ != grid->GetTitleLineMode());
}

TColor TAxisBarCaptionDefValuesEh::GetColor() const {
  if (assignedValues_.Contains(cvdpTitleColorEh)) return color_;
  TCustomDBAxisGridEh* grid = GetGrid();
  return grid ? grid->GetTitleColor() : clBtnFace;
}
void TAxisBarCaptionDefValuesEh::SetColor(TColor value) {
  if (assignedValues_.Contains(cvdpTitleColorEh) && color_ == value) return;
  color_ = value;
  assignedValues_.Include(cvdpTitleColorEh);
  if (TCustomDBAxisGridEh* grid = GetGrid()) grid->Invalidate();
}
bool TAxisBarCaptionDefValuesEh::IsColorStored() const {
  TCustomDBAxisGridEh* grid = GetGrid();
  return assignedValues_.Contains(cvdpTitleColorEh) && (!grid || color_ != grid->GetTitleColor());
}

void TAxisBarCaptionDefValuesEh::SetEndEllipsis(bool value) {
  if (endEllipsis_ == value) return;
  endEllipsis_ = value;
  if (TCustomDBAxisGridEh* grid = GetGrid()) grid->Invalidate();
}
void TAxisBarCaptionDefValuesEh::SetOrientation(TTextOrientationEh value) {
  if (orientation_ == value) return;
  orientation_ = value;
  if (TCustomDBAxisGridEh* grid = GetGrid()) grid->LayoutChanged();
}

// ======================= Bar defaults =======================

TAxisBarDefValuesEh::TAxisBarDefValuesEh(TCustomDBAxisGridEh* grid)
    : grid_(grid), title_(std::make_unique<TAxisBarCaptionDefValuesEh>(this)) {}
TAxisBarDefValuesEh::~TAxisBarDefValuesEh() = default;

// A descendant that makes its own title kind calls this from its constructor.
void TAxisBarDefValuesEh::InitTitle() { title_.reset(CreateTitleDefValues()); }
TAxisBarCaptionDefValuesEh* TAxisBarDefValuesEh::CreateTitleDefValues() {
  return new TAxisBarCaptionDefValuesEh(this);
}
TPersistent* TAxisBarDefValuesEh::GetOwner() const { return grid_; }

void TAxisBarDefValuesEh::InvalidateGrid() {
  if (grid_) grid_->Invalidate();
}

void TAxisBarDefValuesEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TAxisBarDefValuesEh*>(source);
  if (!src) return TPersistent::Assign(source);
  SetAlwaysShowEditButton(src->alwaysShowEditButton_);
  autoDropDown_ = src->autoDropDown_;
  dblClickNextVal_ = src->dblClickNextVal_;
  dropDownShowTitles_ = src->dropDownShowTitles_;
  dropDownSizing_ = src->dropDownSizing_;
  SetEditButtonDrawBackTime(src->editButtonDrawBackTime_);
  SetEndEllipsis(src->endEllipsis_);
  SetHighlightRequired(src->highlightRequired_);
  SetLayout(src->layout_);
  toolTips_ = src->toolTips_;
  if (title_ && src->title_) title_->Assign(src->title_.get());
}

void TAxisBarDefValuesEh::SetAlwaysShowEditButton(bool value) {
  if (alwaysShowEditButton_ == value) return;
  alwaysShowEditButton_ = value;
  InvalidateGrid();
}
void TAxisBarDefValuesEh::SetEditButtonDrawBackTime(TEditButtonDrawBackTimeEh value) {
  if (editButtonDrawBackTime_ == value) return;
  editButtonDrawBackTime_ = value;
  InvalidateGrid();
}
void TAxisBarDefValuesEh::SetEndEllipsis(bool value) {
  if (endEllipsis_ == value) return;
  endEllipsis_ = value;
  InvalidateGrid();
}
void TAxisBarDefValuesEh::SetHighlightRequired(bool value) {
  if (highlightRequired_ == value) return;
  highlightRequired_ = value;
  InvalidateGrid();
}
void TAxisBarDefValuesEh::SetLayout(TTextLayout value) {
  if (layout_ == value) return;
  layout_ = value;
  InvalidateGrid();
}

void TCustomColumnDefValuesEh::Published(TPropBuilder<TCustomColumnDefValuesEh>& p) {
  p.Bool(u"AlwaysShowEditButton", &TCustomColumnDefValuesEh::GetAlwaysShowEditButton,
         &TCustomColumnDefValuesEh::SetAlwaysShowEditButton)
      .Default(0);
  p.Bool(u"AutoDropDown", &TCustomColumnDefValuesEh::GetAutoDropDown,
         &TCustomColumnDefValuesEh::SetAutoDropDown)
      .Default(0);
  p.Bool(u"DblClickNextVal", &TCustomColumnDefValuesEh::GetDblClickNextVal,
         &TCustomColumnDefValuesEh::SetDblClickNextVal)
      .Default(0);
  p.Bool(u"DropDownShowTitles", &TCustomColumnDefValuesEh::GetDropDownShowTitles,
         &TCustomColumnDefValuesEh::SetDropDownShowTitles)
      .Default(0);
  p.Bool(u"DropDownSizing", &TCustomColumnDefValuesEh::GetDropDownSizing,
         &TCustomColumnDefValuesEh::SetDropDownSizing)
      .Default(0);
  p.Bool(u"EndEllipsis", &TCustomColumnDefValuesEh::GetEndEllipsis, &TCustomColumnDefValuesEh::SetEndEllipsis)
      .Default(0);
  p.Bool(u"HighlightRequired", &TCustomColumnDefValuesEh::GetHighlightRequired,
         &TCustomColumnDefValuesEh::SetHighlightRequired)
      .Default(0);
  p.Object(u"Title", &TCustomColumnDefValuesEh::GetTitle, &TCustomColumnDefValuesEh::SetTitle);
  p.Bool(u"ToolTips", &TCustomColumnDefValuesEh::GetToolTips, &TCustomColumnDefValuesEh::SetToolTips)
      .Default(0);
}

void TColumnFooterDefValuesEh::Published(TPropBuilder<TColumnFooterDefValuesEh>& p) {
  p.Bool(u"ToolTips", &TColumnFooterDefValuesEh::ToolTips, &TColumnFooterDefValuesEh::ToolTips).Default(0);
}
void TColumnFooterDefValuesEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TColumnFooterDefValuesEh*>(source);
  if (!src) return TPersistent::Assign(source);
  ToolTips = src->ToolTips;
}

// ======================= Drop-down box settings =======================

void TColumnDropDownBoxEh::Published(TPropBuilder<TColumnDropDownBoxEh>& p) {
  p.Bool(u"AutoFitColWidths", &TColumnDropDownBoxEh::GetAutoFitColWidths,
         &TColumnDropDownBoxEh::SetAutoFitColWidths)
      .Default(1);
  p.Str(u"ListFieldNames", &TColumnDropDownBoxEh::GetListFieldNames,
        &TColumnDropDownBoxEh::SetListFieldNames);
  p.Object(u"ListSource", &TColumnDropDownBoxEh::GetListSource, &TColumnDropDownBoxEh::SetListSource);
  p.Bool(u"ListSourceAutoFilter", &TColumnDropDownBoxEh::GetListSourceAutoFilter,
         &TColumnDropDownBoxEh::SetListSourceAutoFilter)
      .Default(0);
  p.Bool(u"UseMultiTitle", &TColumnDropDownBoxEh::GetUseMultiTitle, &TColumnDropDownBoxEh::SetUseMultiTitle)
      .Default(0);
}

TColumnDropDownBoxEh::TColumnDropDownBoxEh(TPersistent* owner)
    : owner_(owner), specRow_(std::make_unique<TSpecRowEh>(this)) {}
TColumnDropDownBoxEh::~TColumnDropDownBoxEh() = default;

String TColumnDropDownBoxEh::GetNamePath() const {
  return owner_ ? owner_->GetNamePath() + u".DropDownBox" : String(u"DropDownBox");
}

void TColumnDropDownBoxEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TColumnDropDownBoxEh*>(source);
  if (!src) return TPersistent::Assign(source);
  align_ = src->align_;
  autoDrop_ = src->autoDrop_;
  autoFitColWidths_ = src->autoFitColWidths_;
  listFieldNames_ = src->listFieldNames_;
  SetListSource(src->listSource_);
  listSourceAutoFilter_ = src->listSourceAutoFilter_;
  listSourceAutoFilterType_ = src->listSourceAutoFilterType_;
  rowHeight_ = src->rowHeight_;
  rowLines_ = src->rowLines_;
  rows_ = src->rows_;
  showTitles_ = src->showTitles_;
  sizable_ = src->sizable_;
  specRow_->Assign(src->specRow_.get());
  useMultiTitle_ = src->useMultiTitle_;
  width_ = src->width_;
}

void TColumnDropDownBoxEh::SetListSource(TDataSource* value) {
  if (listSource_ == value) return;
  listSource_ = value;
  if (auto* owner = dynamic_cast<ILookupGridOwner*>(owner_)) owner->ListSourceChanged(value);
  if (auto* bar = dynamic_cast<TAxisBarEh*>(owner_); bar && value && bar->GetGrid())
    value->FreeNotification(bar->GetGrid());
}

Integer TColumnDropDownBoxEh::GetOptions() const {
  auto* owner = dynamic_cast<ILookupGridOwner*>(owner_);
  return owner ? owner->GetLookupGridOptions() : 0;
}
void TColumnDropDownBoxEh::SetOptions(Integer value) {
  if (auto* owner = dynamic_cast<ILookupGridOwner*>(owner_)) owner->SetLookupGridOptions(value);
}

String TColumnDropDownBoxEh::GetActualListField() const {
  const auto pos = listFieldNames_.find(u';');
  return pos == String::npos ? listFieldNames_ : listFieldNames_.substr(0, pos);
}

// No dataset kind registers a LIKE syntax of its own here.
String TColumnDropDownBoxEh::GetLikeWildcardForSeveralCharacters() const { return u"*"; }

// ======================= Titles =======================

void TAxisBarTitleEh::Published(TPropBuilder<TAxisBarTitleEh>& p) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &TAxisBarTitleEh::GetAlignment, &TAxisBarTitleEh::SetAlignment)
      .NoDefault()
      .Stored(&TAxisBarTitleEh::IsAlignmentStored);
  p.Str(u"Caption", &TAxisBarTitleEh::GetCaption, &TAxisBarTitleEh::SetCaption)
      .Stored(&TAxisBarTitleEh::IsCaptionStored);
  p.IntIdent(u"Color", TypeInfoColor(), &TAxisBarTitleEh::GetColor, &TAxisBarTitleEh::SetColor)
      .NoDefault()
      .Stored(&TAxisBarTitleEh::IsColorStored);
  p.Object(
       u"Font", [](const TAxisBarTitleEh* t) { return const_cast<TAxisBarTitleEh*>(t)->GetFont(); },
       &TAxisBarTitleEh::SetFont)
      .Stored(&TAxisBarTitleEh::IsFontStored);
  p.Str(u"Hint", &TAxisBarTitleEh::GetHint, &TAxisBarTitleEh::SetHint);
}

TAxisBarTitleEh::TAxisBarTitleEh(TAxisBarEh* bar) : bar_(bar), font_(std::make_unique<TFont>()) {
  font_->OnChange = TNotifyEvent(this, &TAxisBarTitleEh::FontChanged);
}
TAxisBarTitleEh::~TAxisBarTitleEh() = default;
TPersistent* TAxisBarTitleEh::GetOwner() const { return bar_; }

bool TAxisBarTitleEh::Has(TAxisBarEhValue v) const { return bar_->assignedValues_.Contains(v); }
void TAxisBarTitleEh::Add(TAxisBarEhValue v) { bar_->assignedValues_.Include(v); }

void TAxisBarTitleEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TAxisBarTitleEh*>(source);
  if (!src) return TPersistent::Assign(source);
  // Only what the source set itself arrives as set.
  if (src->Has(cvTitleAlignment)) SetAlignment(src->alignment_);
  if (src->Has(cvTitleCaption)) SetCaption(src->caption_);
  if (src->Has(cvTitleColor)) SetColor(src->color_);
  if (src->Has(cvTitleFont)) SetFont(src->font_.get());
  if (src->Has(cvTitleEndEllipsis)) SetEndEllipsis(src->endEllipsis_);
  if (src->Has(cvTitleOrientation)) SetOrientation(src->orientation_);
  if (src->Has(cvTitleButton)) SetTitleButton(src->titleButton_);
  if (src->Has(cvTitleToolTips)) SetToolTips(src->toolTips_);
  hint_ = src->hint_;
  popupMenu_ = src->popupMenu_;
}

String TAxisBarTitleEh::DefaultCaption() const {
  TField* f = bar_->GetFieldProp();
  return f ? f->GetDisplayName() : bar_->GetFieldName();
}
TAlignment TAxisBarTitleEh::DefaultAlignment() const {
  TCustomDBAxisGridEh* g = bar_->GetGrid();
  return g ? g->GetAxisBarDefValues()->GetTitle()->GetAlignment() : taLeftJustify;
}
TColor TAxisBarTitleEh::DefaultColor() const {
  TCustomDBAxisGridEh* g = bar_->GetGrid();
  return g ? g->GetAxisBarDefValues()->GetTitle()->GetColor() : clBtnFace;
}
TFont* TAxisBarTitleEh::DefaultFont() const {
  TCustomDBAxisGridEh* g = bar_->GetGrid();
  return g ? g->GetFont() : font_.get();
}
bool TAxisBarTitleEh::DefaultEndEllipsis() const {
  TCustomDBAxisGridEh* g = bar_->GetGrid();
  return g && g->GetAxisBarDefValues()->GetTitle()->GetEndEllipsis();
}
TTextOrientationEh TAxisBarTitleEh::DefaultOrientation() const {
  TCustomDBAxisGridEh* g = bar_->GetGrid();
  return g ? g->GetAxisBarDefValues()->GetTitle()->GetOrientation() : tohHorizontal;
}
bool TAxisBarTitleEh::DefaultTitleButton() const {
  TCustomDBAxisGridEh* g = bar_->GetGrid();
  return g && g->GetAxisBarDefValues()->GetTitle()->GetTitleButton();
}
bool TAxisBarTitleEh::DefaultToolTips() const {
  TCustomDBAxisGridEh* g = bar_->GetGrid();
  return g && g->GetAxisBarDefValues()->GetTitle()->GetToolTips();
}

TAlignment TAxisBarTitleEh::GetAlignment() const {
  return Has(cvTitleAlignment) ? alignment_ : DefaultAlignment();
}
void TAxisBarTitleEh::SetAlignment(TAlignment value) {
  if (Has(cvTitleAlignment) && alignment_ == value) return;
  alignment_ = value;
  Add(cvTitleAlignment);
  bar_->Changed(false);
}
String TAxisBarTitleEh::GetCaption() const { return Has(cvTitleCaption) ? caption_ : DefaultCaption(); }
void TAxisBarTitleEh::SetCaption(const String& value) {
  if (Has(cvTitleCaption) && caption_ == value) return;
  caption_ = value;
  Add(cvTitleCaption);
  bar_->Changed(false);
}
TColor TAxisBarTitleEh::GetColor() const { return Has(cvTitleColor) ? color_ : DefaultColor(); }
void TAxisBarTitleEh::SetColor(TColor value) {
  if (Has(cvTitleColor) && color_ == value) return;
  color_ = value;
  Add(cvTitleColor);
  bar_->Changed(false);
}
bool TAxisBarTitleEh::GetEndEllipsis() const {
  return Has(cvTitleEndEllipsis) ? endEllipsis_ : DefaultEndEllipsis();
}
void TAxisBarTitleEh::SetEndEllipsis(bool value) {
  endEllipsis_ = value;
  Add(cvTitleEndEllipsis);
  bar_->Changed(false);
}
TTextOrientationEh TAxisBarTitleEh::GetOrientation() const {
  return Has(cvTitleOrientation) ? orientation_ : DefaultOrientation();
}
void TAxisBarTitleEh::SetOrientation(TTextOrientationEh value) {
  orientation_ = value;
  Add(cvTitleOrientation);
  bar_->Changed(true);
}
bool TAxisBarTitleEh::GetTitleButton() const {
  return Has(cvTitleButton) ? titleButton_ : DefaultTitleButton();
}
void TAxisBarTitleEh::SetTitleButton(bool value) {
  titleButton_ = value;
  Add(cvTitleButton);
}
bool TAxisBarTitleEh::GetToolTips() const { return Has(cvTitleToolTips) ? toolTips_ : DefaultToolTips(); }
void TAxisBarTitleEh::SetToolTips(bool value) {
  toolTips_ = value;
  Add(cvTitleToolTips);
}

void TAxisBarTitleEh::RefreshDefaultFont() {
  if (Has(cvTitleFont) || fontSyncing_) return;
  TFont* def = DefaultFont();
  if (def == font_.get() || FontsEqualEh(font_.get(), def)) return;
  fontSyncing_ = true;
  auto saved = font_->OnChange;
  font_->OnChange = nullptr;
  auto restore = MakeScopeExit([this, saved] {
    font_->OnChange = saved;
    fontSyncing_ = false;
  });
  font_->Assign(def);
}
TFont* TAxisBarTitleEh::GetFont() {
  RefreshDefaultFont();
  return font_.get();
}
void TAxisBarTitleEh::SetFont(TFont* value) { font_->Assign(value); }
void TAxisBarTitleEh::FontChanged(TObject*) {
  if (fontSyncing_) return;
  Add(cvTitleFont);
  bar_->Changed(false);
}

bool TAxisBarTitleEh::IsCaptionStored() const { return Has(cvTitleCaption); }
bool TAxisBarTitleEh::IsColorStored() const { return Has(cvTitleColor) && color_ != DefaultColor(); }
bool TAxisBarTitleEh::IsAlignmentStored() const { return Has(cvTitleAlignment); }
bool TAxisBarTitleEh::IsFontStored() const { return Has(cvTitleFont); }

void TAxisBarTitleEh::RestoreDefaults() {
  for (TAxisBarEhValue v : {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont, cvTitleButton,
                            cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation})
    bar_->assignedValues_.Exclude(v);
  RefreshDefaultFont();
}

// ======================= Bar edit buttons =======================

TAxisBarMainEditButtonEh::TAxisBarMainEditButtonEh(TAxisBarEh* bar) : TEditButtonEh(nullptr), bar_(bar) {
  RecreateDropDownFormParams();
  GetDropDownFormParams()->OnCheckDataIsReadOnly = [bar](bool& readOnly) {
    bar->CheckDropDownReadOnly(readOnly);
  };
}

TDropDownFormCallParamsEh* TAxisBarMainEditButtonEh::CreateDropDownFormParams() {
  return new TAxisBarDropDownFormCallParamsEh(this);
}

void TAxisBarMainEditButtonEh::SetButtonStyle(TCellButtonStyleEh value) {
  if (buttonStyle_ == value) return;
  buttonStyle_ = value;
  switch (value) {
    case TCellButtonStyleEh::cbsEllipsis:
      SetStyle(ebsEllipsisEh);
      break;
    case TCellButtonStyleEh::cbsUpDown:
      SetStyle(ebsUpDownEh);
      break;
    case TCellButtonStyleEh::cbsAltUpDown:
      SetStyle(ebsAltUpDownEh);
      break;
    case TCellButtonStyleEh::cbsAltDropDown:
      SetStyle(ebsAltDropDownEh);
      break;
    default:
      SetStyle(ebsDropDownEh);
      break;
  }
  NotifyChanged();
}

bool TAxisBarMainEditButtonEh::GetVisible() const {
  switch (buttonStyle_) {
    case TCellButtonStyleEh::cbsNone:
      return false;
    case TCellButtonStyleEh::cbsAuto: {
      if (TEditButtonEh::GetVisible()) return true;
      const TAxisBarEhType type = bar_->GetBarType();
      if (type == ctPickList || type == ctKeyPickList || type == ctDataList || type == ctLookupField)
        return !bar_->GetReadOnly();
      TField* f = bar_->GetFieldProp();
      if (f && !bar_->GetReadOnly() &&
          (f->GetDataType() == ftDate || f->GetDataType() == ftDateTime || f->GetDataType() == ftTimeStamp))
        return true;
      const TDropDownFormCallParamsEh* form = GetDropDownFormParams();
      return form->GetDropDownForm() || !form->GetDropDownFormClassName().empty();
    }
    default:
      return true;
  }
}

TAxisBarEditButtonsEh::TAxisBarEditButtonsEh(TAxisBarEh* bar, TClass itemClass)
    : TEditButtonsEh(bar, itemClass) {}

// ======================= Unit routines =======================

bool IsMemoFieldTypeEh(TFieldType type) { return type == ftMemo || type == ftOraClob || type == ftWideMemo; }

Integer FieldAsIntegerInRangeEh(TField* field, Integer defaultValue) {
  if (!field || field->IsNull()) return defaultValue;
  const double v = field->GetAsFloat();
  if (v < -2147483648.0 || v > 2147483647.0 || v != std::floor(v)) return defaultValue;
  return static_cast<Integer>(v);
}

TCalendarDateTimeUnitsEh GetFieldDateTimeUnitsEh(TField* field, const String&) {
  if (!field) return {};
  if (dynamic_cast<TDateField*>(field)) return {cdtuYearEh, cdtuMonthEh, cdtuDayEh};
  if (dynamic_cast<TTimeField*>(field)) return {cdtuHourEh, cdtuMinuteEh, cdtuSecondEh};
  if (dynamic_cast<TDateTimeField*>(field) || dynamic_cast<TSQLTimeStampField*>(field))
    return {cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh, cdtuMinuteEh, cdtuSecondEh};
  return {};
}
