// Menus over Qt: every item keeps a QAction, every item with sub-items a QMenu filled when it opens;
// a main menu is a QMenuBar in its form's window, a popup menu runs in a nested loop until it closes.
#include "platform/controls/Menus.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QTimer>
#include <algorithm>
#include <set>

#include "platform/controls/Forms.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/controls/private/MenusQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/private/DeviceContext.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

namespace {

// Items alive now: a click kept for after the menu closed must not reach a freed item.
std::set<const TMenuItem*>& LiveItems() {
  static std::set<const TMenuItem*> items;
  return items;
}

bool IsLive(const TMenuItem* item) { return item && LiveItems().count(item) != 0; }

// The popup menu whose Popup is running now (innermost); clicks in its tree wait until it closes.
std::vector<TPopupMenu*>& RunningPopups() {
  static std::vector<TPopupMenu*> popups;
  return popups;
}

Word NextCommand() {
  static Word next = 0;
  if (++next == 0) next = 1;
  return next;
}

TMenuItem* RootOf(const TMenuItem* item) {
  const TMenuItem* root = item;
  while (root->GetParent()) root = root->GetParent();
  return const_cast<TMenuItem*>(root);
}

TMenuStyle* MenuStyle() {
  static QPointer<TMenuStyle> style;
  if (!style) {
    style = new TMenuStyle();
    style->setParent(QCoreApplication::instance());
  }
  return style;
}

bool HaveQtApplication() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

// ---- Shortcut names ----

String KeyName(Word key) {
  switch (key) {
    case 0x08:
      return u"BkSp";
    case 0x09:
      return u"Tab";
    case 0x0D:
      return u"Enter";
    case 0x1B:
      return u"Esc";
    case 0x20:
      return u"Space";
    case 0x21:
      return u"PgUp";
    case 0x22:
      return u"PgDn";
    case 0x23:
      return u"End";
    case 0x24:
      return u"Home";
    case 0x25:
      return u"Left";
    case 0x26:
      return u"Up";
    case 0x27:
      return u"Right";
    case 0x28:
      return u"Down";
    case 0x2D:
      return u"Ins";
    case 0x2E:
      return u"Del";
    case 0x6A:
      return u"Num *";
    case 0x6B:
      return u"Num +";
    case 0x6D:
      return u"Num -";
    case 0x6E:
      return u"Num .";
    case 0x6F:
      return u"Num /";
    case 0xBA:
      return u";";
    case 0xBB:
      return u"=";
    case 0xBC:
      return u",";
    case 0xBD:
      return u"-";
    case 0xBE:
      return u".";
    case 0xBF:
      return u"/";
    case 0xC0:
      return u"`";
    case 0xDB:
      return u"[";
    case 0xDC:
      return u"\\";
    case 0xDD:
      return u"]";
    case 0xDE:
      return u"'";
    default:
      break;
  }
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return String(1, static_cast<Char>(key));
  if (key >= 0x60 && key <= 0x69) return u"Num " + String(1, static_cast<Char>(u'0' + key - 0x60));
  if (key >= 0x70 && key <= 0x87) return u"F" + IntToStr(key - 0x6F);
  return String();
}

const String kShiftText = u"Shift+";
const String kCtrlText = u"Ctrl+";
const String kAltText = u"Alt+";

bool StartsWithText(const String& text, size_t pos, const String& prefix) {
  return text.size() - pos >= prefix.size() && SameText(text.substr(pos, prefix.size()), prefix);
}

}  // namespace

// ---- Shortcuts ----

TShortCut ShortCut(Word key, TShiftState shift) {
  if (key & 0xFF00) return 0;
  TShortCut result = key;
  if (shift.Contains(ssShift)) result |= scShift;
  if (shift.Contains(ssCtrl)) result |= scCtrl;
  if (shift.Contains(ssAlt)) result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift) {
  key = shortCut & 0xFF;
  shift = TShiftState();
  if (shortCut & scShift) shift.Include(ssShift);
  if (shortCut & scCtrl) shift.Include(ssCtrl);
  if (shortCut & scAlt) shift.Include(ssAlt);
}

String ShortCutToText(TShortCut shortCut) {
  String name = KeyName(shortCut & 0xFF);
  if (name.empty()) return String();
  String result;
  if (shortCut & scShift) result += kShiftText;
  if (shortCut & scCtrl) result += kCtrlText;
  if (shortCut & scAlt) result += kAltText;
  return result + name;
}

TShortCut TextToShortCut(const String& text) {
  TShortCut shift = 0;
  size_t pos = 0;
  for (;;) {
    if (StartsWithText(text, pos, kShiftText)) {
      shift |= scShift;
      pos += kShiftText.size();
    } else if (StartsWithText(text, pos, kCtrlText)) {
      shift |= scCtrl;
      pos += kCtrlText.size();
    } else if (StartsWithText(text, pos, kAltText)) {
      shift |= scAlt;
      pos += kAltText.size();
    } else {
      break;
    }
  }
  String rest = text.substr(pos);
  if (rest.empty()) return 0;
  for (Word key = 1; key < 256; ++key) {
    String name = KeyName(key);
    if (!name.empty() && SameText(name, rest)) return static_cast<TShortCut>(key | shift);
  }
  return 0;
}

String StripHotkey(const String& text) {
  String out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') out += u'&', ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

Char GetHotkey(const String& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return AnsiUpperCase(String(1, text[i + 1]))[0];
  }
  return 0;
}

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* owner)
    : TComponent(owner), command_(NextCommand()), host_(std::make_unique<TMenuItemHost>(this)) {
  LiveItems().insert(this);
}

TMenuItem::~TMenuItem() {
  LiveItems().erase(this);
  // The item is out of its parent before the menu's OnChange runs: a handler that raises is reported.
  if (parent_) RunReportingFailure(this, [this] { parent_->Remove(this); });
  while (!items_.empty()) {
    TMenuItem* child = items_.back();
    items_.pop_back();
    child->parent_ = nullptr;
    delete child;
  }
  if (actionLink_) actionLink_->SetAction(nullptr);
  host_.reset();
}

void TMenuItem::Published(TPropBuilder<TMenuItem>& p) {
  static const TTypeInfo breakType = TTypeInfo::Enum(u"TMenuBreak", {u"mbNone", u"mbBreak", u"mbBarBreak"});
  static const TTypeInfo autoFlag =
      TTypeInfo::Enum(u"TMenuItemAutoFlag", {u"maAutomatic", u"maManual", u"maParent"});
  p.Object(u"Action", &TMenuItem::GetAction, &TMenuItem::SetAction);
  p.Enum(u"AutoHotkeys", &autoFlag, &TMenuItem::GetAutoHotkeys, &TMenuItem::SetAutoHotkeys).Default(maParent);
  p.Enum(u"AutoLineReduction", &autoFlag, &TMenuItem::GetAutoLineReduction, &TMenuItem::SetAutoLineReduction)
      .Default(maParent);
  p.Bool(u"AutoCheck", &TMenuItem::GetAutoCheck, &TMenuItem::SetAutoCheck).Default(0);
  p.Object(
      u"Bitmap", [](const TMenuItem* m) { return m->bitmap_.get(); }, &TMenuItem::SetBitmap);
  p.Enum(u"Break", &breakType, &TMenuItem::GetBreak, &TMenuItem::SetBreak).Default(mbNone);
  p.Str(u"Caption", &TMenuItem::GetCaption, &TMenuItem::SetCaption);
  p.Bool(u"Checked", &TMenuItem::GetChecked, &TMenuItem::SetChecked).Default(0);
  p.Object(u"SubMenuImages", &TMenuItem::GetSubMenuImages, &TMenuItem::SetSubMenuImages);
  p.Bool(u"Default", &TMenuItem::GetDefault, &TMenuItem::SetDefault).Default(0);
  p.Bool(u"Enabled", &TMenuItem::GetEnabled, &TMenuItem::SetEnabled).Default(1);
  p.Ordinal(u"GroupIndex", TypeInfoInteger(), &TMenuItem::GetGroupIndex, &TMenuItem::SetGroupIndex)
      .Default(0);
  p.Int(u"HelpContext", &TMenuItem::GetHelpContext, &TMenuItem::SetHelpContext).Default(0);
  p.Str(u"Hint", &TMenuItem::GetHint, &TMenuItem::SetHint);
  p.Int(u"ImageIndex", &TMenuItem::GetImageIndex, &TMenuItem::SetImageIndex).Default(-1);
  p.Bool(u"RadioItem", &TMenuItem::GetRadioItem, &TMenuItem::SetRadioItem).Default(0);
  p.Ordinal(u"ShortCut", TypeInfoInteger(), &TMenuItem::GetShortCut, &TMenuItem::SetShortCut).Default(0);
  p.Bool(u"Visible", &TMenuItem::GetVisible, &TMenuItem::SetVisible).Default(1);
  p.Event(u"OnClick", &TMenuItem::OnClick);
  p.Event(u"OnDrawItem", &TMenuItem::OnDrawItem, u"TMenuDrawItemEvent");
  p.Event(u"OnAdvancedDrawItem", &TMenuItem::OnAdvancedDrawItem, u"TAdvancedMenuDrawItemEvent");
  p.Event(u"OnMeasureItem", &TMenuItem::OnMeasureItem, u"TMenuMeasureItemEvent");
}

void TMenuItem::CheckIndex(Integer index, Integer limit) const {
  if (index < 0 || index > limit) throw EMenuError(u"Menu index out of range");
}

void TMenuItem::Add(TMenuItem* item) { Insert(GetCount(), item); }

void TMenuItem::Add(const std::vector<TMenuItem*>& items) {
  for (TMenuItem* item : items) Add(item);
}

void TMenuItem::Insert(Integer index, TMenuItem* item) {
  if (!item) return;
  if (item->parent_) throw EMenuError(u"Menu inserted twice");
  if (item == this || item->IndexOf(this) >= 0) throw EMenuError(u"Menu inserted twice");
  for (const TMenuItem* p = this; p; p = p->parent_)
    if (p == item) throw EMenuError(u"Menu inserted twice");
  CheckIndex(index, GetCount());
  DoInsert(index, item);
}

void TMenuItem::DoInsert(Integer index, TMenuItem* item) {
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  if (item->checked_ && item->radioItem_) item->TurnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::Delete(Integer index) {
  CheckIndex(index, GetCount() - 1);
  TMenuItem* item = items_[index];
  items_.erase(items_.begin() + index);
  item->parent_ = nullptr;
  delete item;
  MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* item) {
  Integer index = IndexOf(item);
  if (index < 0) throw EMenuError(u"Sub-menu is not in menu");
  items_.erase(items_.begin() + index);
  item->parent_ = nullptr;
  if (item->host_ && item->host_->action) {
    // The action may still sit in this item's menu or bar; let go of it there.
    for (QObject* w : item->host_->action->associatedObjects())
      if (auto* widget = qobject_cast<QWidget*>(w)) widget->removeAction(item->host_->action);
  }
  MenuChanged(true);
}

void TMenuItem::Clear() {
  while (!items_.empty()) Delete(GetCount() - 1);
}

TMenuItem* TMenuItem::GetItem(Integer index) const {
  if (index < 0 || index >= GetCount()) throw EMenuError(u"Menu index out of range");
  return items_[index];
}

TMenuItem* TMenuItem::Find(const String& caption) const {
  String wanted = StripHotkey(caption);
  for (TMenuItem* item : items_)
    if (AnsiSameText(StripHotkey(item->caption_), wanted)) return item;
  return nullptr;
}

Integer TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<Integer>(it - items_.begin());
}

Integer TMenuItem::GetMenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(Integer value) {
  if (!parent_) return;
  TMenuItem* parent = parent_;
  Integer count = parent->GetCount();
  value = std::clamp(value, 0, count - 1);
  Integer current = GetMenuIndex();
  if (value == current) return;
  parent->items_.erase(parent->items_.begin() + current);
  parent->items_.insert(parent->items_.begin() + value, this);
  parent->MenuChanged(true);
}

TMenu* TMenuItem::GetParentMenu() const { return RootOf(this)->menu_; }

void TMenuItem::SetCaption(const String& value) {
  if (caption_ == value) return;
  caption_ = value;
  MenuChanged(false);
}

void TMenuItem::SetChecked(bool value) {
  if (checked_ == value) return;
  checked_ = value;
  if (value && radioItem_) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff() {
  if (!parent_) return;
  for (TMenuItem* sibling : parent_->items_) {
    if (sibling == this || !sibling->radioItem_ || sibling->groupIndex_ != groupIndex_ || !sibling->checked_)
      continue;
    // Through the action when the sibling shows one, so the action and its other clients agree.
    if (auto* action = dynamic_cast<TCustomAction*>(sibling->GetAction())) action->SetChecked(false);
    sibling->SetChecked(false);
  }
}

void TMenuItem::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  MenuChanged(false);
}

void TMenuItem::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  MenuChanged(true);
}

void TMenuItem::SetRadioItem(bool value) {
  if (radioItem_ == value) return;
  radioItem_ = value;
  if (checked_ && radioItem_) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetGroupIndex(Byte value) {
  if (groupIndex_ == value) return;
  groupIndex_ = value;
  if (checked_ && radioItem_) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetAutoCheck(bool value) {
  autoCheck_ = value;
  MenuChanged(false);
}

void TMenuItem::SetDefault(bool value) {
  if (default_ == value) return;
  // One default item per menu level.
  if (value && parent_)
    for (TMenuItem* sibling : parent_->items_)
      if (sibling != this) sibling->default_ = false;
  default_ = value;
  MenuChanged(false);
}

void TMenuItem::SetBreak(TMenuBreak value) {
  break_ = value;
  MenuChanged(true);
}

void TMenuItem::SetShortCut(TShortCut value) {
  if (shortCut_ == value) return;
  shortCut_ = value;
  MenuChanged(false);
}

void TMenuItem::SetImageIndex(TImageIndex value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  MenuChanged(false);
}

TBitmap* TMenuItem::GetBitmap() {
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return bitmap_.get();
}

void TMenuItem::SetBitmap(TBitmap* value) {
  if (!value) {
    bitmap_.reset();
  } else {
    GetBitmap()->Assign(value);
  }
  MenuChanged(false);
}

void TMenuItem::SetSubMenuImages(TCustomImageList* value) {
  if (subMenuImages_ == value) return;
  if (subMenuImages_) RemoveFreeNotification(subMenuImages_);
  subMenuImages_ = value;
  if (value) FreeNotification(value);
  MenuChanged(true);
}

TBasicAction* TMenuItem::GetAction() const { return actionLink_ ? actionLink_->GetAction() : nullptr; }

void TMenuItem::SetAction(TBasicAction* value) {
  if (!value) {
    if (actionLink_) actionLink_->SetAction(nullptr);
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = std::make_unique<TMenuActionLink>(this);
  actionLink_->SetAction(value);
  ActionChange(value, GetComponentState().Contains(csLoading));
  value->FreeNotification(this);
}

void TMenuItem::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (!checkDefaults || caption_.empty()) SetCaption(action->GetCaption());
  if (!checkDefaults || !checked_) SetChecked(action->GetChecked());
  if (!checkDefaults || enabled_) SetEnabled(action->GetEnabled());
  if (!checkDefaults || helpContext_ == 0) SetHelpContext(action->GetHelpContext());
  if (!checkDefaults || hint_.empty()) SetHint(action->GetHint());
  if (!checkDefaults || imageIndex_ == -1) SetImageIndex(action->GetImageIndex());
  if (!checkDefaults || shortCut_ == 0) SetShortCut(action->GetShortCut());
  if (!checkDefaults || visible_) SetVisible(action->GetVisible());
  if (!checkDefaults || !autoCheck_) SetAutoCheck(action->GetAutoCheck());
  if (!checkDefaults || groupIndex_ == 0) SetGroupIndex(static_cast<Byte>(action->GetGroupIndex()));
  if (!checkDefaults || !OnClick) OnClick = action->OnExecute;
}

void TMenuItem::InitiateAction() {
  if (actionLink_ && actionLink_->GetAction()) actionLink_->Update();
}

void TMenuItem::Click() {
  if (!enabled_) return;
  TBasicAction* action = GetAction();
  auto* customAction = dynamic_cast<TCustomAction*>(action);
  if (autoCheck_ && !(customAction && customAction->GetAutoCheck())) {
    // A checked radio item stays checked: clicking it again changes nothing.
    if (!radioItem_ || !checked_) SetChecked(!checked_);
  }
  if (OnClick && action && !(OnClick == action->OnExecute)) {
    OnClick(this);
  } else if (action && actionLink_) {
    actionLink_->Execute(this);
  } else if (OnClick) {
    OnClick(this);
  }
}

bool TMenuItem::IsOwnerDrawn() const {
  if (!OnDrawItem && !OnAdvancedDrawItem) return false;
  TMenu* menu = GetParentMenu();
  return menu && menu->GetOwnerDraw();
}

void TMenuItem::AdvancedDrawItem(TCanvas* canvas, const TRect& rect, TOwnerDrawState state, bool) {
  if (OnAdvancedDrawItem) {
    OnAdvancedDrawItem(this, canvas, rect, state);
  } else if (OnDrawItem) {
    OnDrawItem(this, canvas, rect, state.Contains(odSelected));
  } else {
    DrawItem(canvas, rect, state.Contains(odSelected));
  }
}

void TMenuItem::DrawItem(TCanvas* canvas, const TRect& rect, bool selected) {
  canvas->GetBrush()->SetColor(selected ? clHighlight : clMenu);
  canvas->FillRect(rect);
  if (IsLine()) {
    Integer y = (rect.Top + rect.Bottom) / 2;
    canvas->GetPen()->SetColor(clBtnShadow);
    canvas->MoveTo(rect.Left + 2, y);
    canvas->LineTo(rect.Right - 2, y);
    return;
  }
  canvas->GetFont()->SetColor(!enabled_ ? clGrayText : selected ? clHighlightText : clMenuText);
  canvas->GetBrush()->SetStyle(bsClear);
  TRect textRect = rect;
  textRect.Left += 20;
  String text = caption_;
  canvas->TextRect(textRect, text, TTextFormat{tfVerticalCenter, tfSingleLine});
  canvas->GetBrush()->SetStyle(bsSolid);
}

void TMenuItem::MeasureItem(TCanvas* canvas, Integer& width, Integer& height) {
  if (OnMeasureItem) OnMeasureItem(this, canvas, width, height);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (!parent_) return nullptr;
  if (parent_->menu_) return parent_->menu_;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* value) {
  if (parent_) parent_->Remove(this);
  if (!value) return;
  if (auto* menu = dynamic_cast<TMenu*>(value)) {
    menu->GetItems()->Add(this);
  } else if (auto* item = dynamic_cast<TMenuItem*>(value)) {
    item->Add(this);
  }
}

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TMenuItem* item : std::vector<TMenuItem*>(items_))
    if (item->GetOwner() == root) proc(item);
}

void TMenuItem::SetChildOrder(TComponent* child, int order) {
  if (auto* item = dynamic_cast<TMenuItem*>(child)) item->SetMenuIndex(order);
}

void TMenuItem::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == subMenuImages_) subMenuImages_ = nullptr;
  if (actionLink_ && component == actionLink_->GetAction()) SetAction(nullptr);
}

void TMenuItem::MenuChanged(bool rebuild) {
  if (host_) host_->Sync();
  TMenuItem* root = RootOf(this);
  if (root->menu_) root->menu_->MenuChanged(this, rebuild);
  // An open menu shows items that came, went or turned visible at once; other changes are in the
  // item's action already.
  if (!rebuild) return;
  if (host_ && host_->subMenu && host_->subMenu->isVisible()) host_->subMenu->Rebuild();
  if (parent_ && parent_->host_ && parent_->host_->subMenu && parent_->host_->subMenu->isVisible())
    parent_->host_->subMenu->Rebuild();
}

// ---- TMenuActionLink ----

TMenuActionLink::TMenuActionLink(TMenuItem* client) : TActionLink(client) {}

bool TMenuActionLink::IsCaptionLinked() const {
  return TActionLink::IsCaptionLinked() && Item()->GetCaption() == CustomAction()->GetCaption();
}
bool TMenuActionLink::IsCheckedLinked() const {
  return TActionLink::IsCheckedLinked() && Item()->GetChecked() == CustomAction()->GetChecked();
}
bool TMenuActionLink::IsEnabledLinked() const {
  return TActionLink::IsEnabledLinked() && Item()->GetEnabled() == CustomAction()->GetEnabled();
}
bool TMenuActionLink::IsHintLinked() const {
  return TActionLink::IsHintLinked() && Item()->GetHint() == CustomAction()->GetHint();
}
bool TMenuActionLink::IsVisibleLinked() const {
  return TActionLink::IsVisibleLinked() && Item()->GetVisible() == CustomAction()->GetVisible();
}
bool TMenuActionLink::IsShortCutLinked() const {
  return TActionLink::IsShortCutLinked() && Item()->GetShortCut() == CustomAction()->GetShortCut();
}
bool TMenuActionLink::IsImageIndexLinked() const {
  return TActionLink::IsImageIndexLinked() && Item()->GetImageIndex() == CustomAction()->GetImageIndex();
}
bool TMenuActionLink::IsHelpContextLinked() const {
  return TActionLink::IsHelpContextLinked() && Item()->GetHelpContext() == CustomAction()->GetHelpContext();
}
bool TMenuActionLink::IsGroupIndexLinked() const {
  return TActionLink::IsGroupIndexLinked() && Item()->GetGroupIndex() == CustomAction()->GetGroupIndex();
}
bool TMenuActionLink::IsAutoCheckLinked() const {
  return TActionLink::IsAutoCheckLinked() && Item()->GetAutoCheck() == CustomAction()->GetAutoCheck();
}
bool TMenuActionLink::IsOnExecuteLinked() const { return action_ && Item()->OnClick == action_->OnExecute; }

void TMenuActionLink::SetCaption(const String& value) {
  if (IsCaptionLinked()) Item()->SetCaption(value);
}
void TMenuActionLink::SetChecked(bool value) {
  if (IsCheckedLinked()) Item()->SetChecked(value);
}
void TMenuActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) Item()->SetEnabled(value);
}
void TMenuActionLink::SetHint(const String& value) {
  if (IsHintLinked()) Item()->SetHint(value);
}
void TMenuActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) Item()->SetVisible(value);
}
void TMenuActionLink::SetShortCut(TShortCut value) {
  if (IsShortCutLinked()) Item()->SetShortCut(value);
}
void TMenuActionLink::SetImageIndex(TImageIndex value) {
  if (IsImageIndexLinked()) Item()->SetImageIndex(value);
}
void TMenuActionLink::SetHelpContext(Integer value) {
  if (IsHelpContextLinked()) Item()->SetHelpContext(value);
}
void TMenuActionLink::SetGroupIndex(Integer value) {
  if (IsGroupIndexLinked()) Item()->SetGroupIndex(static_cast<Byte>(value));
}
void TMenuActionLink::SetAutoCheck(bool value) {
  if (IsAutoCheckLinked()) Item()->SetAutoCheck(value);
}
void TMenuActionLink::SetOnExecute(const TNotifyEvent& value) {
  if (IsOnExecuteLinked()) Item()->OnClick = value;
}

// ---- TMenu ----

namespace {

// The main menus now shown in a form's window.
std::vector<TMainMenu*>& AttachedMenus() {
  static std::vector<TMainMenu*> menus;
  return menus;
}

TMenuItem* FindItemIn(TMenuItem* item, const std::function<bool(TMenuItem*)>& match) {
  for (Integer i = 0; i < item->GetCount(); ++i) {
    TMenuItem* child = item->GetItem(i);
    if (match(child)) return child;
    if (TMenuItem* found = FindItemIn(child, match)) return found;
  }
  return nullptr;
}

void UpdateItemsIn(TMenuItem* item) {
  for (Integer i = 0; i < item->GetCount(); ++i) {
    TMenuItem* child = item->GetItem(i);
    child->InitiateAction();
    UpdateItemsIn(child);
  }
}

}  // namespace

TMenu::TMenu(TComponent* owner) : TComponent(owner), host_(std::make_unique<TMenuHost>(this)) {
  items_ = std::make_unique<TMenuItem>(nullptr);
  items_->menu_ = this;
}

TMenu::~TMenu() {
  host_.reset();
  items_.reset();
}

void TMenu::Published(TPropBuilder<TMenu>& p) {
  static const TTypeInfo autoFlag =
      TTypeInfo::Enum(u"TMenuAutoFlag", {u"maAutomatic", u"maManual", u"maParent"});
  p.Enum(u"AutoHotkeys", &autoFlag, &TMenu::GetAutoHotkeys, &TMenu::SetAutoHotkeys).Default(maAutomatic);
  p.Enum(u"AutoLineReduction", &autoFlag, &TMenu::GetAutoLineReduction, &TMenu::SetAutoLineReduction)
      .Default(maAutomatic);
  p.Object(u"Images", &TMenu::GetImages, &TMenu::SetImages);
  p.Bool(u"OwnerDraw", &TMenu::GetOwnerDraw, &TMenu::SetOwnerDraw).Default(0);
}

void TMenu::SetImages(TCustomImageList* value) {
  if (images_ == value) return;
  if (images_) RemoveFreeNotification(images_);
  images_ = value;
  if (value) FreeNotification(value);
  MenuChanged(nullptr, true);
}

void TMenu::SetOwnerDraw(bool value) {
  ownerDraw_ = value;
  MenuChanged(nullptr, true);
}

TMenuItem* TMenu::FindShortCut(TShortCut shortCut) const {
  if (shortCut == 0) return nullptr;
  return FindItemIn(items_.get(), [shortCut](TMenuItem* item) { return item->GetShortCut() == shortCut; });
}

bool TMenu::IsShortCut(TShortCut shortCut) {
  TMenuItem* item = FindShortCut(shortCut);
  if (!item) return false;
  // The item and the submenus above it must be usable, as when the user opens them.
  std::vector<TMenuItem*> chain;
  for (TMenuItem* p = item; p && p != items_.get(); p = p->GetParent()) chain.insert(chain.begin(), p);
  for (TMenuItem* p : chain) {
    p->InitiateAction();
    if (!p->GetEnabled() || !p->GetVisible()) return false;
  }
  item->Click();
  return true;
}

TMenuItem* TMenu::FindItem(UINT value, TFindItemKind kind) const {
  return FindItemIn(items_.get(), [value, kind](TMenuItem* item) {
    switch (kind) {
      case fkCommand:
        return item->GetCommand() == value;
      case fkShortCut:
        return item->GetShortCut() == value;
      case fkHandle:
        return false;
    }
    return false;
  });
}

bool TMenu::DispatchCommand(Word command) {
  TMenuItem* item = FindItem(command, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

void TMenu::UpdateItems() { UpdateItemsIn(items_.get()); }

void TMenu::GetChildren(const TGetChildProc& proc, TComponent* root) { items_->GetChildren(proc, root); }

void TMenu::SetChildOrder(TComponent* child, int order) { items_->SetChildOrder(child, order); }

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == images_) images_ = nullptr;
}

void TMenu::MenuChanged(TMenuItem* source, bool rebuild) {
  // The bar changes only when its own items come, go or move; their look is in their actions.
  bool barChanged = rebuild && (!source || source == items_.get() || source->GetParent() == items_.get());
  if (host_ && host_->bar && barChanged) {
    QMenuBar* bar = host_->bar;
    bar->clear();
    for (Integer i = 0; i < items_->GetCount(); ++i) {
      TMenuItem* item = items_->GetItem(i);
      TMenuItemHost* h = item->Host();
      if (!h) continue;
      h->Sync();
      if (item->GetVisible()) bar->addAction(h->Action());
    }
  }
  if (OnChange) OnChange(this, source, rebuild);
}

// ---- TMainMenu ----

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() { DetachFromForm(); }

void TMainMenu::Published(TPropBuilder<TMainMenu>& p) {
  p.Bool(u"AutoMerge", &TMainMenu::GetAutoMerge, &TMainMenu::SetAutoMerge).Default(0);
}

void TMainMenu::AttachToForm(TCustomForm* form) {
  if (form_ == form && (!form || host_->bar)) return;
  DetachFromForm();
  if (!form) return;
  form_ = form;
  AttachedMenus().push_back(this);
  FreeNotification(form_);
  if (!HaveQtApplication()) return;
  auto* bar = new QMenuBar();
  bar->setNativeMenuBar(false);
  host_->bar = bar;
  MenuChanged(nullptr, true);
  SetFormMenuWidget(form_, bar);
}

void TMainMenu::DetachFromForm() {
  if (form_) {
    // A form going away takes its window with it; asking it for the window would make one anew.
    if (!form_->GetComponentState().Contains(csDestroying)) SetFormMenuWidget(form_, nullptr);
    RemoveFreeNotification(form_);
  }
  delete host_->bar.data();
  auto& attached = AttachedMenus();
  attached.erase(std::remove(attached.begin(), attached.end(), this), attached.end());
  form_ = nullptr;
}

Integer TMainMenu::GetMenuBarHeight() const {
  if (!host_->bar || !form_) return 0;
  return host_->bar->sizeHint().height();
}

void TMainMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == opRemove && component == form_) {
    form_ = nullptr;
    delete host_->bar.data();
    auto& attached = AttachedMenus();
    attached.erase(std::remove(attached.begin(), attached.end(), this), attached.end());
  }
}

// ---- TPopupMenu ----

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() {
  CloseMenu();
  auto& running = RunningPopups();
  running.erase(std::remove(running.begin(), running.end(), this), running.end());
}

void TPopupMenu::Published(TPropBuilder<TPopupMenu>& p) {
  static const TTypeInfo alignment =
      TTypeInfo::Enum(u"TPopupAlignment", {u"paLeft", u"paRight", u"paCenter"});
  static const TTypeInfo track = TTypeInfo::Enum(u"TTrackButton", {u"tbRightButton", u"tbLeftButton"});
  p.Enum(u"Alignment", &alignment, &TPopupMenu::GetAlignment, &TPopupMenu::SetAlignment).Default(paLeft);
  p.Bool(u"AutoPopup", &TPopupMenu::GetAutoPopup, &TPopupMenu::SetAutoPopup).Default(1);
  p.Enum(u"TrackButton", &track, &TPopupMenu::GetTrackButton, &TPopupMenu::SetTrackButton)
      .Default(tbRightButton);
  p.Event(u"OnPopup", &TPopupMenu::OnPopup);
  p.Event(u"OnClose", &TPopupMenu::OnClose);
}

void TPopupMenu::SetPopupComponent(TComponent* value) {
  if (popupComponent_ == value) return;
  if (popupComponent_) RemoveFreeNotification(popupComponent_);
  popupComponent_ = value;
  if (value) FreeNotification(value);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == opRemove && component == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::DoPopup(TObject* sender) {
  if (OnPopup) OnPopup(sender);
}

void TPopupMenu::DoClose() {
  if (OnClose) OnClose(this);
}

bool TPopupMenu::IsOpen() const { return host_->popup && host_->popup->isVisible(); }

void TPopupMenu::CloseMenu() {
  if (host_ && host_->popup) host_->popup->close();
}

void TPopupMenu::Popup(Integer x, Integer y) {
  if (!HaveQtApplication()) throw EInvalidOperation(u"Cannot show a menu without the application");
  if (IsOpen()) return;
  popupPoint_ = TPoint(x, y);
  DoPopup(this);
  if (!host_->popup) host_->popup = new TQtMenu(GetItems());
  TQtMenu* menu = host_->popup;
  menu->Rebuild();
  if (menu->actions().isEmpty()) return;
  QSize size = menu->sizeHint();
  Integer left = x;
  if (alignment_ == paRight)
    left = x - size.width();
  else if (alignment_ == paCenter)
    left = x - size.width() / 2;

  RunningPopups().push_back(this);
  QPointer<TQtMenu> guard(menu);
  QMetaObject::Connection hidden = QObject::connect(
      menu, &QMenu::aboutToHide, [] { QTimer::singleShot(0, [] { Application->WakeModalLoops(); }); });
  auto leave = [this, &hidden] {
    QObject::disconnect(hidden);
    auto& running = RunningPopups();
    running.erase(std::remove(running.begin(), running.end(), this), running.end());
  };
  auto leaveOnFailure = MakeScopeExit([&] {
    if (guard) leave();
  });
  menu->popup(QPoint(left, y));
  Application->RunModalLoop([guard] { return !guard || !guard->isVisible(); });
  leaveOnFailure.Release();
  // A handler that ran while the menu was open may have freed the menu, and this popup with it.
  if (!guard) return;
  leave();
  if (menu->isVisible()) menu->close();
  TMenuItem* clicked = menu->TakeDeferredClick();
  DoClose();
  if (IsLive(clicked)) GuardedCall(clicked, [clicked] { clicked->Click(); });
}

// ---- Building menus ----

TMenuItem* NewItem(const String& caption, TShortCut shortCut, bool checked, bool enabled,
                   TNotifyEvent onClick, Integer helpContext, const String& name) {
  auto* item = new TMenuItem(nullptr);
  item->SetName(name);
  item->SetCaption(caption);
  item->SetShortCut(shortCut);
  item->SetChecked(checked);
  item->SetEnabled(enabled);
  item->OnClick = onClick;
  item->SetHelpContext(helpContext);
  return item;
}

TMenuItem* NewLine() {
  auto* item = new TMenuItem(nullptr);
  item->SetCaption(cLineCaption);
  return item;
}

// ---- The Qt side ----

TQtMenu::TQtMenu(TMenuItem* parentItem, QWidget* parent) : QMenu(parent), parentItem_(parentItem) {
  setStyle(MenuStyle());
  setSeparatorsCollapsible(true);
  QObject::connect(this, &QMenu::aboutToShow, [this] { Rebuild(); });
}

TQtMenu::~TQtMenu() = default;

TMenuItem* TQtMenu::ItemOf(const QAction* action) const {
  if (!action || !IsLive(parentItem_)) return nullptr;
  for (Integer i = 0; i < parentItem_->GetCount(); ++i) {
    TMenuItem* item = parentItem_->GetItem(i);
    if (item->Host() && item->Host()->action == action) return item;
  }
  return nullptr;
}

void TQtMenu::Rebuild() {
  // An action's update may change an item of this very menu while it is being filled.
  if (rebuilding_) return;
  rebuilding_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{rebuilding_};
  clear();
  if (!IsLive(parentItem_)) return;
  for (Integer i = 0; i < parentItem_->GetCount(); ++i) {
    TMenuItem* item = parentItem_->GetItem(i);
    GuardedCall(item, [item] { item->InitiateAction(); });
    item->Host()->Sync();
    if (item->GetVisible()) addAction(item->Host()->Action());
  }
}

TMenuItem* TQtMenu::TakeDeferredClick() {
  TMenuItem* item = deferredItem_;
  deferredItem_ = nullptr;
  return item;
}

void TQtMenu::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const {
  QMenu::initStyleOption(option, action);
  optionAction_ = action;
}

bool TQtMenu::ClickKeepingOpen(QAction* action) {
  TMenuItem* item = ItemOf(action);
  if (!item || item->ClosesMenuOnClick() || !action->isEnabled() || action->isSeparator() || action->menu())
    return false;
  GuardedCall(item, [item] { item->Click(); });
  if (IsLive(parentItem_)) {
    for (Integer i = 0; i < parentItem_->GetCount(); ++i) parentItem_->GetItem(i)->Host()->Sync();
  }
  update();
  return true;
}

void TQtMenu::mouseReleaseEvent(QMouseEvent* event) {
  QAction* action = actionAt(event->position().toPoint());
  if (action && event->button() == Qt::LeftButton && ClickKeepingOpen(action)) return;
  QMenu::mouseReleaseEvent(event);
}

void TQtMenu::keyPressEvent(QKeyEvent* event) {
  bool enter =
      event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
  if (enter && activeAction() && ClickKeepingOpen(activeAction())) return;
  QMenu::keyPressEvent(event);
}

namespace {

// What the item's action shows; a caption's '&' marks the accelerator in Qt as well.
QString ActionText(const TMenuItem* item) {
  QString text = ToQString(item->GetCaption());
  String keys = ShortCutToText(item->GetShortCut());
  if (!keys.empty()) text += QChar(u'\t') + ToQString(keys);
  return text;
}

// The image list of an item's picture: the nearest SubMenuImages above it, else the menu's Images.
TCustomImageList* ImagesOf(const TMenuItem* item) {
  for (const TMenuItem* p = item->GetParent(); p; p = p->GetParent())
    if (p->GetSubMenuImages()) return p->GetSubMenuImages();
  TMenu* menu = item->GetParentMenu();
  return menu ? menu->GetImages() : nullptr;
}

QIcon ItemIcon(TMenuItem* item) {
  TCustomImageList* images = ImagesOf(item);
  if (images && item->GetImageIndex() >= 0 && item->GetImageIndex() < images->GetCount()) {
    TBitmap picture;
    images->GetBitmap(item->GetImageIndex(), &picture);
    return QIcon(QPixmap::fromImage(gdi::Pixels(picture.GetHandle()).copy()));
  }
  if (!item->HasBitmap() || item->GetBitmap()->GetEmpty()) return QIcon();
  return QIcon(QPixmap::fromImage(gdi::Pixels(item->GetBitmap()->GetHandle()).copy()));
}

// Runs a click that came from Qt: a popup's item waits until the popup closed; others run now.
void ItemTriggered(TMenuItem* item) {
  if (!IsLive(item)) return;
  TMenu* menu = item->GetParentMenu();
  auto* popup = dynamic_cast<TPopupMenu*>(menu);
  auto& running = RunningPopups();
  if (popup && std::find(running.begin(), running.end(), popup) != running.end() && popup->Host()->popup) {
    popup->Host()->popup->SetDeferredClick(item);
    return;
  }
  GuardedCall(item, [item] { item->Click(); });
}

}  // namespace

void TQtMenu::SetDeferredClick(TMenuItem* item) { deferredItem_ = item; }

TMenuItemHost::TMenuItemHost(TMenuItem* item) : item(item) {}

TMenuItemHost::~TMenuItemHost() {
  delete subMenu.data();
  delete action.data();
}

QAction* TMenuItemHost::Action() {
  if (!action) {
    action = new QAction();
    TMenuItem* owner = item;
    QObject::connect(action, &QAction::triggered, [owner] { ItemTriggered(owner); });
    // The highlighted item's hint shows where the application shows hints (a status bar).
    QObject::connect(action, &QAction::hovered, [owner] {
      if (IsLive(owner) && Application) Application->SetHint(GetLongHint(owner->GetHint()));
    });
    Sync();
  }
  return action;
}

void TMenuItemHost::Sync() {
  if (!action) return;
  QAction* a = action;
  bool line = item->IsLine();
  a->setSeparator(line);
  a->setText(line ? QString() : ActionText(item));
  a->setEnabled(item->GetEnabled());
  a->setVisible(item->GetVisible());
  bool checkable = item->GetChecked() || item->GetRadioItem() || item->GetAutoCheck();
  a->setCheckable(checkable);
  a->setChecked(item->GetChecked());
  QFont font = a->font();
  font.setBold(item->GetDefault());
  a->setFont(font);
  a->setToolTip(ToQString(item->GetHint()));
  a->setIcon(ItemIcon(item));
  if (item->GetCount() > 0) {
    if (!subMenu) subMenu = new TQtMenu(item);
    if (a->menu() != subMenu) a->setMenu(subMenu.data());
  } else if (subMenu) {
    a->setMenu(static_cast<QMenu*>(nullptr));
    delete subMenu.data();
  }
}

TMenuHost::~TMenuHost() {
  delete popup.data();
  delete bar.data();
}

// ---- Owner drawing through the canvas ----

namespace {

const TQtMenu* MenuOfWidget(const QWidget* widget) { return dynamic_cast<const TQtMenu*>(widget); }

TMenuItem* OwnerDrawnItem(const QWidget* widget) {
  const TQtMenu* menu = MenuOfWidget(widget);
  if (!menu) return nullptr;
  TMenuItem* item = menu->ItemOf(menu->OptionAction());
  return item && item->IsOwnerDrawn() ? item : nullptr;
}

}  // namespace

TMenuStyle::TMenuStyle() : QProxyStyle() {}

QSize TMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                   const QWidget* widget) const {
  QSize base = QProxyStyle::sizeFromContents(type, option, size, widget);
  if (type != CT_MenuItem) return base;
  TMenuItem* item = OwnerDrawnItem(widget);
  if (!item) return base;
  Integer width = base.width();
  Integer height = base.height();
  TBitmap scratch(1, 1);
  GuardedCall(item, [&] { item->MeasureItem(scratch.GetCanvas(), width, height); });
  return QSize(std::max(width, 1), std::max(height, 1));
}

void TMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
  TMenuItem* item = element == CE_MenuItem ? OwnerDrawnItem(widget) : nullptr;
  if (!item) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  TOwnerDrawState state;
  if (option->state & State_Selected) state.Include(odSelected);
  if (!(option->state & State_Enabled)) state.Include(odDisabled).Include(odGrayed);
  if (item->GetChecked()) state.Include(odChecked);
  if (item->GetDefault()) state.Include(odDefault);
  painter->save();
  HDC dc = gdi::CreatePainterDC(painter, widget->width(), widget->height());
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    if (Screen && Screen->GetMenuFont()) canvas.SetFont(Screen->GetMenuFont());
    canvas.GetBrush()->SetColor(state.Contains(odSelected) ? clHighlight : clMenu);
    canvas.GetFont()->SetColor(state.Contains(odSelected) ? clHighlightText : clMenuText);
    GuardedCall(item, [&] { item->AdvancedDrawItem(&canvas, FromQRect(option->rect), state, false); });
    canvas.SetHandle(nullptr);
  }
  DeleteDC(dc);
  painter->restore();
}

// ---- Driving open menus ----

namespace {

TQtMenu* OpenMenuShowing(TMenuItem* item) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* menu = dynamic_cast<TQtMenu*>(w);
    if (menu && menu->isVisible() && menu->ItemOf(item->Host() ? item->Host()->action.data() : nullptr))
      return menu;
  }
  return nullptr;
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos) {
  QPointF local(pos);
  QPointF global(widget->mapToGlobal(pos));
  Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
  QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

}  // namespace

TMenuItem* OpenMenuItem() {
  if (!HaveQtApplication()) return nullptr;
  auto* menu = dynamic_cast<TQtMenu*>(QApplication::activePopupWidget());
  return menu ? menu->ParentItem() : nullptr;
}

bool ClickOpenMenuItem(TMenuItem* item) {
  if (!item || !HaveQtApplication()) return false;
  TQtMenu* menu = OpenMenuShowing(item);
  if (!menu) return false;
  QAction* action = item->Host()->action;
  QRect geometry = menu->actionGeometry(action);
  if (geometry.isEmpty()) return false;
  QPointer<TQtMenu> guard(menu);
  SendMouse(menu, QEvent::MouseMove, geometry.center());
  if (guard) SendMouse(menu, QEvent::MouseButtonPress, geometry.center());
  if (guard) SendMouse(menu, QEvent::MouseButtonRelease, geometry.center());
  return true;
}

bool OpenMenuBarItem(TMenuItem* item) {
  if (!item || !HaveQtApplication()) return false;
  auto* menu = dynamic_cast<TMainMenu*>(item->GetParentMenu());
  if (!menu || item->GetParent() != menu->GetItems() || !menu->Host()->bar) return false;
  QMenuBar* bar = menu->Host()->bar;
  QAction* action = item->Host()->Action();
  if (!bar->actions().contains(action)) return false;
  if (!action->menu()) {
    action->trigger();
    return true;
  }
  bar->setActiveAction(action);
  return action->menu()->isVisible();
}

void CloseOpenMenus() {
  if (!HaveQtApplication()) return;
  while (QWidget* popup = QApplication::activePopupWidget()) {
    if (!popup->close()) break;
  }
}

// ---- What forms and controls ask of menus ----

namespace {

bool FormShortCut(TCustomForm* form, TWMKey& message) {
  TShortCut shortCut = ShortCut(message.CharCode, KeyDataToShiftState(message.KeyData));
  if (shortCut == 0) return false;
  // The popup menus of the focused control and its parents come first, then the main menu, then the
  // action lists of the form.
  for (TControl* c = form->GetActiveControl(); c; c = c->GetParent()) {
    TPopupMenu* popup = c->GetPopupMenu();
    if (popup && popup->IsShortCut(shortCut)) return true;
  }
  if (TMainMenu* menu = form->GetMenu(); menu && menu->IsShortCut(shortCut)) return true;
  for (Integer i = 0; i < form->GetComponentCount(); ++i) {
    auto* list = dynamic_cast<TCustomActionList*>(form->GetComponent(i));
    if (list && list->IsShortCut(shortCut)) return true;
  }
  return false;
}

void SetFormMenu(TCustomForm* form, TMainMenu* menu) {
  for (TMainMenu* other : std::vector<TMainMenu*>(AttachedMenus()))
    if (other != menu && other->GetForm() == form) other->AttachToForm(nullptr);
  if (menu) menu->AttachToForm(form);
}

bool AutoPopup(TPopupMenu* menu, TControl* control, TPoint screenPos) {
  if (!menu->GetAutoPopup()) return false;
  menu->SetPopupComponent(control);
  menu->Popup(screenPos.X, screenPos.Y);
  return true;
}

const bool kMenuHooksInstalled = [] {
  TMenuHooks& hooks = MenuHooks();
  hooks.IsShortCut = &FormShortCut;
  hooks.SetFormMenu = &SetFormMenu;
  hooks.AutoPopup = &AutoPopup;
  return true;
}();

}  // namespace
