// Menus: menu items (captions with '&' accelerators, separators, check and radio items, shortcuts,
// images, owner drawing, actions), the main menu shown in its form's window and popup menus.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Delegate.h"
#include "platform/classes/Set.h"
#include "platform/controls/ActnList.h"
#include "platform/controls/Controls.h"
#include "platform/graphics/Geometry.h"

class TCanvas;
class TBitmap;
class TCustomImageList;
class TCustomForm;
class TMenu;
class TMenuItem;
class TMenuActionLink;
class TPopupMenu;
struct TMenuItemHost;
struct TMenuHost;

KIV_DECLARE_EXCEPTION(EMenuError, Exception);

// ---- Shortcuts: a virtual-key code with scShift, scCtrl and scAlt ----

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(Word key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift);
// "Ctrl+Shift+F5", "Ins", "Del", "A"; modifiers in the order Shift, Ctrl, Alt.
String ShortCutToText(TShortCut shortCut);
// The reverse, case-insensitively; text it cannot read gives 0.
TShortCut TextToShortCut(const String& text);

// ---- Menu items ----

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
enum TPopupAlignment { paLeft, paRight, paCenter };
enum TTrackButton { tbRightButton, tbLeftButton };
enum TMenuAutoFlag { maAutomatic, maManual, maParent };
using TMenuItemAutoFlag = TMenuAutoFlag;
enum TOwnerDrawStateFlag {
  odSelected,
  odGrayed,
  odDisabled,
  odChecked,
  odFocused,
  odDefault,
  odHotLight,
  odInactive,
  odNoAccel,
  odNoFocusRect,
  odReserved1,
  odReserved2,
  odComboBoxEdit,
};
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;

using TMenuDrawItemEvent =
    TDelegate<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    TDelegate<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State)>;
using TMenuMeasureItemEvent =
    TDelegate<void(TObject* Sender, TCanvas* ACanvas, Integer& Width, Integer& Height)>;
using TMenuChangeEvent = TDelegate<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;

// "-" as a caption makes a separator.
constexpr const Char* cLineCaption = u"-";

class TMenuItem : public TComponent {
  KIV_CLASS(TMenuItem, TComponent)
 public:
  explicit TMenuItem(TComponent* owner);
  // Frees the sub-items it holds and leaves its parent.
  ~TMenuItem() override;
  static void Published(TPropBuilder<TMenuItem>& p);

  // ---- The tree ----
  // A taken item raises EMenuError "Menu inserted twice"; an index outside 0..Count raises
  // EMenuError "Menu index out of range".
  void Add(TMenuItem* item);
  void Add(const std::vector<TMenuItem*>& items);
  void Insert(Integer index, TMenuItem* item);
  // Takes the item out and frees it.
  void Delete(Integer index);
  // Takes the item out without freeing it.
  void Remove(TMenuItem* item);
  // Frees every sub-item.
  void Clear();
  Integer GetCount() const { return static_cast<Integer>(items_.size()); }
  Integer Count() const { return GetCount(); }
  // Raises EMenuError "Menu index out of range".
  TMenuItem* GetItem(Integer index) const;
  TMenuItem* Items(Integer index) const { return GetItem(index); }
  // By caption, ignoring '&' and case; nullptr when none.
  TMenuItem* Find(const String& caption) const;
  Integer IndexOf(const TMenuItem* item) const;
  TMenuItem* GetParent() const { return parent_; }
  Integer GetMenuIndex() const;
  void SetMenuIndex(Integer value);
  // The menu the item belongs to (through its parents).
  TMenu* GetParentMenu() const;
  bool IsLine() const { return caption_ == cLineCaption; }
  // The number that identifies the item in WM_COMMAND and FindItem(..., fkCommand).
  Word GetCommand() const { return command_; }

  // ---- What the item shows ----
  const String& GetCaption() const { return caption_; }
  void SetCaption(const String& value);
  bool GetChecked() const { return checked_; }
  void SetChecked(bool value);
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);
  bool GetRadioItem() const { return radioItem_; }
  void SetRadioItem(bool value);
  Byte GetGroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Byte value);
  bool GetAutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool value);
  bool GetDefault() const { return default_; }
  void SetDefault(bool value);
  TMenuBreak GetBreak() const { return break_; }
  void SetBreak(TMenuBreak value);
  TShortCut GetShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value);
  const String& GetHint() const { return hint_; }
  void SetHint(const String& value) { hint_ = value; }
  TImageIndex GetImageIndex() const { return imageIndex_; }
  void SetImageIndex(TImageIndex value);
  // The item's own picture (made on first use); shown when no image list gives one.
  TBitmap* GetBitmap();
  void SetBitmap(TBitmap* value);
  bool HasBitmap() const { return bitmap_ != nullptr; }
  // The image list of the sub-items; the menu's Images when not set.
  TCustomImageList* GetSubMenuImages() const { return subMenuImages_; }
  void SetSubMenuImages(TCustomImageList* value);
  Integer GetHelpContext() const { return helpContext_; }
  void SetHelpContext(Integer value) { helpContext_ = value; }
  TMenuAutoFlag GetAutoHotkeys() const { return autoHotkeys_; }
  void SetAutoHotkeys(TMenuAutoFlag value) { autoHotkeys_ = value; }
  TMenuAutoFlag GetAutoLineReduction() const { return autoLineReduction_; }
  void SetAutoLineReduction(TMenuAutoFlag value) { autoLineReduction_ = value; }

  // ---- Action ----
  TBasicAction* GetAction() const;
  void SetAction(TBasicAction* value);
  // Asks the linked action to update itself (its OnUpdate), as the menu does before it opens.
  void InitiateAction();

  // ---- Clicking ----
  // Runs the item: AutoCheck flips Checked (a radio item checks itself), then OnClick, or the
  // action when OnClick is the action's handler or is not assigned.
  virtual void Click();
  // False keeps the menu open after the item is clicked (check-box lists that stay open).
  virtual bool ClosesMenuOnClick() const { return true; }

  // ---- Owner drawing ----
  // Paints the item: OnAdvancedDrawItem, else OnDrawItem, else the default look.
  virtual void AdvancedDrawItem(TCanvas* canvas, const TRect& rect, TOwnerDrawState state, bool topLevel);
  virtual void DrawItem(TCanvas* canvas, const TRect& rect, bool selected);
  virtual void MeasureItem(TCanvas* canvas, Integer& width, Integer& height);
  bool IsOwnerDrawn() const;

  TNotifyEvent OnClick;
  TMenuDrawItemEvent OnDrawItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
  TMenuMeasureItemEvent OnMeasureItem;

  // ---- Streaming ----
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

  // The Qt side; for the platform's own code.
  TMenuItemHost* Host() const { return host_.get(); }

 protected:
  friend class TMenu;
  friend class TMenuActionLink;
  friend struct TMenuItemHost;
  void Notification(TComponent* component, TOperation operation) override;
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  // Tells the menu that the tree or an item's look changed.
  void MenuChanged(bool rebuild);
  // Unchecks the other radio items of the group.
  void TurnSiblingsOff();

 private:
  void CheckIndex(Integer index, Integer limit) const;
  void DoInsert(Integer index, TMenuItem* item);

  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on the root item of a menu
  String caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool radioItem_ = false;
  Byte groupIndex_ = 0;
  bool autoCheck_ = false;
  bool default_ = false;
  TMenuBreak break_ = mbNone;
  TShortCut shortCut_ = 0;
  String hint_;
  TImageIndex imageIndex_ = -1;
  std::unique_ptr<TBitmap> bitmap_;
  TCustomImageList* subMenuImages_ = nullptr;
  Integer helpContext_ = 0;
  TMenuAutoFlag autoHotkeys_ = maParent;
  TMenuAutoFlag autoLineReduction_ = maParent;
  Word command_ = 0;
  std::unique_ptr<TMenuActionLink> actionLink_;
  std::unique_ptr<TMenuItemHost> host_;
};

// The link of a menu item: the action's caption, state, shortcut, image and handler show on the item.
class TMenuActionLink : public TActionLink {
  KIV_CLASS(TMenuActionLink, TActionLink)
 public:
  explicit TMenuActionLink(TMenuItem* client);

  bool IsCaptionLinked() const override;
  bool IsCheckedLinked() const override;
  bool IsEnabledLinked() const override;
  bool IsHintLinked() const override;
  bool IsVisibleLinked() const override;
  bool IsShortCutLinked() const override;
  bool IsImageIndexLinked() const override;
  bool IsHelpContextLinked() const override;
  bool IsGroupIndexLinked() const override;
  bool IsAutoCheckLinked() const override;
  bool IsOnExecuteLinked() const override;
  void SetCaption(const String& value) override;
  void SetChecked(bool value) override;
  void SetEnabled(bool value) override;
  void SetHint(const String& value) override;
  void SetVisible(bool value) override;
  void SetShortCut(TShortCut value) override;
  void SetImageIndex(TImageIndex value) override;
  void SetHelpContext(Integer value) override;
  void SetGroupIndex(Integer value) override;
  void SetAutoCheck(bool value) override;
  void SetOnExecute(const TNotifyEvent& value) override;

 private:
  TMenuItem* Item() const { return static_cast<TMenuItem*>(client_); }
};

// ---- Menus ----

enum TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent {
  KIV_CLASS(TMenu, TComponent)
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  static void Published(TPropBuilder<TMenu>& p);

  TMenuItem* GetItems() const { return items_.get(); }
  TMenuItem* Items() const { return GetItems(); }
  TCustomImageList* GetImages() const { return images_; }
  void SetImages(TCustomImageList* value);
  bool GetOwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool value);
  TMenuAutoFlag GetAutoHotkeys() const { return autoHotkeys_; }
  void SetAutoHotkeys(TMenuAutoFlag value) { autoHotkeys_ = value; }
  TMenuAutoFlag GetAutoLineReduction() const { return autoLineReduction_; }
  void SetAutoLineReduction(TMenuAutoFlag value) { autoLineReduction_ = value; }
  TBiDiMode GetBiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode value) { biDiMode_ = value; }

  // The visible, enabled item with the shortcut, searched depth first; its action is updated first.
  TMenuItem* FindShortCut(TShortCut shortCut) const;
  // Runs the item with the shortcut when there is one that is enabled; answers whether it ran.
  bool IsShortCut(TShortCut shortCut);
  TMenuItem* FindItem(UINT value, TFindItemKind kind) const;
  // Clicks the item with the command number; answers whether there was one.
  bool DispatchCommand(Word command);
  // Updates the actions of every item (their OnUpdate), as the menu does before it shows.
  void UpdateItems();

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

  TMenuChangeEvent OnChange;

  TMenuHost* Host() const { return host_.get(); }

 protected:
  friend class TMenuItem;
  friend struct TMenuHost;
  void Notification(TComponent* component, TOperation operation) override;
  // The tree or the look of an item changed; rebuild when items came or went.
  virtual void MenuChanged(TMenuItem* source, bool rebuild);

  std::unique_ptr<TMenuHost> host_;

 private:
  std::unique_ptr<TMenuItem> items_;
  TCustomImageList* images_ = nullptr;
  bool ownerDraw_ = false;
  TMenuAutoFlag autoHotkeys_ = maAutomatic;
  TMenuAutoFlag autoLineReduction_ = maAutomatic;
  TBiDiMode biDiMode_ = bdLeftToRight;
};

// The menu bar of a form. The form shows it in its window (TCustomForm::SetMenu attaches it); its
// shortcuts work wherever the focus is in that window.
class TMainMenu : public TMenu {
  KIV_CLASS(TMainMenu, TMenu)
 public:
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;
  static void Published(TPropBuilder<TMainMenu>& p);

  bool GetAutoMerge() const { return autoMerge_; }
  void SetAutoMerge(bool value) { autoMerge_ = value; }
  // Puts the menu bar into the form's window (nullptr takes it out); the form does it for its Menu.
  void AttachToForm(TCustomForm* form);
  TCustomForm* GetForm() const { return form_; }
  // The height of the bar in the form's window; 0 when it is not shown.
  Integer GetMenuBarHeight() const;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // Takes the bar out of the form's window; no events run.
  void DetachFromForm();

  bool autoMerge_ = false;
  TCustomForm* form_ = nullptr;
};

class TPopupMenu : public TMenu {
  KIV_CLASS(TPopupMenu, TMenu)
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  static void Published(TPropBuilder<TPopupMenu>& p);

  // Shows the menu at the screen point (placed by Alignment) and returns once it closes, after the
  // clicked item's handler ran. OnPopup runs first and the items' actions are updated.
  virtual void Popup(Integer x, Integer y);
  // Closes the menu if it is open.
  void CloseMenu();
  bool IsOpen() const;

  bool GetAutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool value) { autoPopup_ = value; }
  TComponent* GetPopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* value);
  TPopupAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment value) { alignment_ = value; }
  TTrackButton GetTrackButton() const { return trackButton_; }
  void SetTrackButton(TTrackButton value) { trackButton_ = value; }
  // Where the last Popup showed the menu (screen coordinates).
  TPoint GetPopupPoint() const { return popupPoint_; }

  TNotifyEvent OnPopup;
  TNotifyEvent OnClose;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  virtual void DoPopup(TObject* sender);
  virtual void DoClose();

 private:
  bool autoPopup_ = true;
  TComponent* popupComponent_ = nullptr;
  TPopupAlignment alignment_ = paLeft;
  TTrackButton trackButton_ = tbRightButton;
  TPoint popupPoint_;
};

// Makes an item the way code builds menus at run time.
TMenuItem* NewItem(const String& caption, TShortCut shortCut, bool checked, bool enabled,
                   TNotifyEvent onClick, Integer helpContext, const String& name);
TMenuItem* NewLine();
// '&' marks the accelerator; "&&" is a literal '&'.
String StripHotkey(const String& text);
Char GetHotkey(const String& text);

// ---- For tests and tools: driving open menus as the user does ----

// The deepest menu now open (a popup, a submenu, a main-menu drop-down); nullptr when none.
TMenuItem* OpenMenuItem();
// Clicks the item in the menu that shows it, with a mouse press and release over it (so an item
// that keeps the menu open leaves it open); answers false when the item is not showing.
bool ClickOpenMenuItem(TMenuItem* item);
// Opens the drop-down of a top-level item of a form's menu bar, as a click on the bar does; the call
// returns at once and the drop-down stays open.
bool OpenMenuBarItem(TMenuItem* item);
// Closes every open menu.
void CloseOpenMenus();
