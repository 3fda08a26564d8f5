// Menus and actions: shortcuts and their names, the item tree, clicks, a main menu loaded with its
// form's resource (clicked, by shortcut, updated by its action), blocking popups and owner drawing.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/classes/Streams.h"
#include "platform/controls/ActnList.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdActns.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/controls/Later.h"

namespace {

class MenusTest : public ::testing::Test {
 protected:
  void SetUp() override { InitTestApplication(); }
  void TearDown() override { CloseOpenMenus(); }
};

// ---- Shortcuts ----

TEST(ShortCutTest, NamesRoundTrip) {
  struct Case {
    Word key;
    TShiftState shift;
    const Char* text;
  };
  const Case cases[] = {
      {'S', {ssCtrl}, u"Ctrl+S"},           {VK_F5, {ssShift, ssCtrl}, u"Shift+Ctrl+F5"},
      {VK_INSERT, {ssShift}, u"Shift+Ins"}, {VK_DELETE, {}, u"Del"},
      {VK_RETURN, {ssAlt}, u"Alt+Enter"},   {VK_F12, {ssCtrl, ssAlt}, u"Ctrl+Alt+F12"},
      {'0', {ssCtrl}, u"Ctrl+0"},           {VK_ESCAPE, {}, u"Esc"},
      {VK_BACK, {ssAlt}, u"Alt+BkSp"},
  };
  for (const Case& c : cases) {
    TShortCut sc = ShortCut(c.key, c.shift);
    EXPECT_EQ(ShortCutToText(sc), c.text);
    EXPECT_EQ(TextToShortCut(c.text), sc) << std::string(c.text, c.text + 3);
    Word key = 0;
    TShiftState shift;
    ShortCutToKey(sc, key, shift);
    EXPECT_EQ(key, c.key);
    EXPECT_EQ(shift, c.shift);
  }
  EXPECT_EQ(ShortCut('S', {ssCtrl}), 0x4000 + 'S');
  EXPECT_EQ(TextToShortCut(u"ctrl+shift+f5"), ShortCut(VK_F5, {ssShift, ssCtrl}));
  EXPECT_EQ(TextToShortCut(u"Ctrl+Нечто"), 0);
  EXPECT_EQ(TextToShortCut(u"Ctrl+"), 0);
  EXPECT_EQ(ShortCut(0x1234, {ssCtrl}), 0);
  EXPECT_EQ(ShortCutToText(0), u"");
}

TEST(ShortCutTest, HotkeysOfCaptions) {
  EXPECT_EQ(StripHotkey(u"&Файл"), u"Файл");
  EXPECT_EQ(StripHotkey(u"Сохранить && выйти"), u"Сохранить & выйти");
  EXPECT_EQ(GetHotkey(u"&файл"), u'Ф');
  EXPECT_EQ(GetHotkey(u"A && B"), 0);
}

// ---- The item tree ----

TEST_F(MenusTest, ItemTreeAddsInsertsFindsAndRefusesBadIndexes) {
  TPopupMenu menu(nullptr);
  TMenuItem* root = menu.GetItems();
  auto* a = new TMenuItem(&menu);
  a->SetCaption(u"&Открыть");
  auto* b = new TMenuItem(&menu);
  b->SetCaption(u"Сохранить");
  auto* c = new TMenuItem(&menu);
  c->SetCaption(u"-");
  root->Add(a);
  root->Add(b);
  root->Insert(1, c);
  ASSERT_EQ(root->Count(), 3);
  EXPECT_EQ(root->Items(1), c);
  EXPECT_TRUE(c->IsLine());
  EXPECT_EQ(b->GetMenuIndex(), 2);
  EXPECT_EQ(root->Find(u"открыть"), a);
  EXPECT_EQ(root->Find(u"Нет такого"), nullptr);
  EXPECT_EQ(a->GetParent(), root);
  EXPECT_EQ(a->GetParentMenu(), &menu);

  EXPECT_THROW(root->Add(a), EMenuError);
  EXPECT_THROW(a->Add(root), EMenuError);
  auto* orphan = new TMenuItem(&menu);
  EXPECT_THROW(root->Insert(5, orphan), EMenuError);
  EXPECT_THROW(root->Delete(3), EMenuError);
  EXPECT_THROW(root->GetItem(-1), EMenuError);

  b->SetMenuIndex(0);
  EXPECT_EQ(root->IndexOf(b), 0);
  root->Remove(c);
  EXPECT_EQ(c->GetParent(), nullptr);
  EXPECT_EQ(root->Count(), 2);
  root->Delete(0);  // frees b
  EXPECT_EQ(root->Count(), 1);
  EXPECT_EQ(menu.FindComponent(u""), nullptr);
  root->Clear();
  EXPECT_EQ(root->Count(), 0);
  // A freed item leaves its parent.
  auto* d = new TMenuItem(&menu);
  root->Add(d);
  delete d;
  EXPECT_EQ(root->Count(), 0);
}

TEST_F(MenusTest, ClickRunsHandlerAutoChecksAndKeepsRadioGroups) {
  TPopupMenu menu(nullptr);
  std::vector<TMenuItem*> items;
  int clicks = 0;
  for (int i = 0; i < 3; ++i) {
    auto* item = new TMenuItem(&menu);
    item->SetRadioItem(true);
    item->SetAutoCheck(true);
    item->SetGroupIndex(1);
    item->OnClick = TNotifyEvent([&clicks](TObject*) { ++clicks; });
    menu.GetItems()->Add(item);
    items.push_back(item);
  }
  items[0]->Click();
  items[2]->Click();
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(items[0]->GetChecked());
  EXPECT_TRUE(items[2]->GetChecked());
  // Clicking the checked radio item again keeps it checked.
  items[2]->Click();
  EXPECT_TRUE(items[2]->GetChecked());
  items[1]->SetEnabled(false);
  items[1]->Click();
  EXPECT_EQ(clicks, 3);
  EXPECT_FALSE(items[1]->GetChecked());
  // A plain check item toggles.
  auto* check = new TMenuItem(&menu);
  check->SetAutoCheck(true);
  menu.GetItems()->Add(check);
  check->Click();
  check->Click();
  EXPECT_FALSE(check->GetChecked());
}

// ---- A form with a main menu, a popup menu and an action list, from its form resource ----

const char kMenuFormText[] = R"(object MenuForm: TMenuForm
  Caption = 'Документы'
  ClientWidth = 300
  ClientHeight = 200
  Menu = MainMenu1
  object Edit1: TEdit
    Left = 8
    Top = 8
    Width = 200
  end
  object MainMenu1: TMainMenu
    object FileMenu: TMenuItem
      Caption = '&Файл'
      object OpenItem: TMenuItem
        Caption = '&Открыть'
        ShortCut = 16463
        OnClick = OpenClick
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object SaveItem: TMenuItem
        Action = SaveAction
      end
    end
    object HelpItem: TMenuItem
      Caption = 'Справка'
      OnClick = HelpClick
    end
  end
  object PopupMenu1: TPopupMenu
    OnPopup = PopupShown
    object CopyItem: TMenuItem
      Caption = 'Копировать'
      OnClick = CopyClick
    end
    object PasteItem: TMenuItem
      Caption = 'Вставить'
      OnClick = PasteClick
    end
  end
  object ActionList1: TActionList
    object SaveAction: TAction
      Caption = 'Со&хранить'
      ShortCut = 16467
      OnExecute = SaveExecute
      OnUpdate = SaveUpdate
    end
  end
end
)";

class TMenuForm : public TForm {
  KIV_CLASS(TMenuForm, TForm)
 public:
  explicit TMenuForm(TComponent* owner) : TForm(owner) {}
  static void Published(TPropBuilder<TMenuForm>& p) {
    p.Method(u"OpenClick", &TMenuForm::OpenClick);
    p.Method(u"HelpClick", &TMenuForm::HelpClick);
    p.Method(u"CopyClick", &TMenuForm::CopyClick);
    p.Method(u"PasteClick", &TMenuForm::PasteClick);
    p.Method(u"PopupShown", &TMenuForm::PopupShown);
    p.Method(u"SaveExecute", &TMenuForm::SaveExecute);
    p.Method(u"SaveUpdate", &TMenuForm::SaveUpdate);
  }

  void OpenClick(TObject* sender) { Log(u"open", sender); }
  void HelpClick(TObject* sender) { Log(u"help", sender); }
  void CopyClick(TObject* sender) { Log(u"copy", sender); }
  void PasteClick(TObject* sender) { Log(u"paste", sender); }
  void PopupShown(TObject*) { log.push_back(u"popup"); }
  // Run through the action the sender is the action, and the clicked client its component.
  void SaveExecute(TObject* sender) {
    auto* action = dynamic_cast<TBasicAction*>(sender);
    Log(u"save", action ? action->GetActionComponent() : sender);
  }
  void SaveUpdate(TObject* sender) { static_cast<TAction*>(sender)->SetEnabled(canSave); }

  template <class T>
  T* Find(const String& name) {
    return dynamic_cast<T*>(FindComponent(name));
  }

  std::vector<String> log;
  std::vector<TObject*> senders;
  bool canSave = true;

 private:
  void Log(const String& what, TObject* sender) {
    log.push_back(what);
    senders.push_back(sender);
  }
};

const bool kMenuFormRegistered = [] {
  static const std::string text(kMenuFormText);
  RegisterResource(u"TMenuForm", reinterpret_cast<const Byte*>(text.data()), text.size());
  return true;
}();

std::unique_ptr<TMenuForm> ShowMenuForm() {
  std::unique_ptr<TMenuForm> form(NewForm<TMenuForm>(Application));
  form->Show();
  Application->ProcessMessages();
  return form;
}

TEST_F(MenusTest, FormResourceBuildsTheMenuTreeOwnedByTheForm) {
  auto form = ShowMenuForm();
  auto* menu = form->Find<TMainMenu>(u"MainMenu1");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(form->GetMenu(), menu);
  EXPECT_EQ(menu->GetForm(), form.get());
  TMenuItem* file = form->Find<TMenuItem>(u"FileMenu");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->GetOwner(), form.get());
  EXPECT_EQ(menu->GetItems()->Count(), 2);
  ASSERT_EQ(file->Count(), 3);
  EXPECT_EQ(file->Items(0)->GetName(), u"OpenItem");
  EXPECT_EQ(file->Items(0)->GetShortCut(), ShortCut('O', {ssCtrl}));
  EXPECT_TRUE(file->Items(1)->IsLine());
  // The action gives the item its caption and shortcut.
  TMenuItem* save = file->Items(2);
  EXPECT_EQ(save->GetAction(), form->Find<TAction>(u"SaveAction"));
  EXPECT_EQ(save->GetCaption(), u"Со&хранить");
  EXPECT_EQ(save->GetShortCut(), ShortCut('S', {ssCtrl}));
  EXPECT_GT(menu->GetMenuBarHeight(), 0);
}

TEST_F(MenusTest, MenuBarClickReachesTheHandler) {
  auto form = ShowMenuForm();
  TMenuItem* file = form->Find<TMenuItem>(u"FileMenu");
  ASSERT_TRUE(OpenMenuBarItem(file));
  EXPECT_EQ(OpenMenuItem(), file);
  ASSERT_TRUE(ClickOpenMenuItem(form->Find<TMenuItem>(u"OpenItem")));
  Application->ProcessMessages();
  EXPECT_EQ(form->log, std::vector<String>{u"open"});
  EXPECT_EQ(form->senders.back(), form->Find<TMenuItem>(u"OpenItem"));
  EXPECT_EQ(OpenMenuItem(), nullptr);
  // A top-level item without sub-items is clicked on the bar itself.
  ASSERT_TRUE(OpenMenuBarItem(form->Find<TMenuItem>(u"HelpItem")));
  EXPECT_EQ(form->log.back(), u"help");
}

TEST_F(MenusTest, ShortcutsReachTheMenuAndTheActionFromTheForm) {
  auto form = ShowMenuForm();
  auto* edit = form->Find<TEdit>(u"Edit1");
  edit->SetFocus();
  SendKey(edit, 'O', {ssCtrl});
  ProcessPendingEvents();
  EXPECT_EQ(form->log, std::vector<String>{u"open"});
  SendKey(edit, 'S', {ssCtrl});
  ProcessPendingEvents();
  ASSERT_EQ(form->log.size(), 2u);
  EXPECT_EQ(form->log.back(), u"save");
  // The action ran for the menu item.
  EXPECT_EQ(form->senders.back(), form->Find<TMenuItem>(u"SaveItem"));
  // A key without a shortcut goes on to the control.
  SendKey(edit, 'Q', {});
  ProcessPendingEvents();
  EXPECT_EQ(form->log.size(), 2u);
  EXPECT_EQ(edit->GetText(), u"q");
}

TEST_F(MenusTest, ActionUpdateDisablesItsMenuItemAndItsShortcut) {
  auto form = ShowMenuForm();
  TMenuItem* save = form->Find<TMenuItem>(u"SaveItem");
  form->canSave = false;
  // Opening the menu updates its items' actions.
  ASSERT_TRUE(OpenMenuBarItem(form->Find<TMenuItem>(u"FileMenu")));
  EXPECT_FALSE(save->GetEnabled());
  EXPECT_FALSE(form->Find<TAction>(u"SaveAction")->GetEnabled());
  EXPECT_TRUE(ClickOpenMenuItem(save));
  Application->ProcessMessages();
  CloseOpenMenus();
  EXPECT_TRUE(form->log.empty());
  // The shortcut of a disabled action does nothing either; once allowed it runs.
  EXPECT_FALSE(form->GetMenu()->IsShortCut(ShortCut('S', {ssCtrl})));
  form->canSave = true;
  EXPECT_TRUE(form->GetMenu()->IsShortCut(ShortCut('S', {ssCtrl})));
  EXPECT_TRUE(save->GetEnabled());
  EXPECT_EQ(form->log, std::vector<String>{u"save"});
}

TEST_F(MenusTest, LinkedControlTakesTheActionAndFollowsItsUpdateWhenIdle) {
  auto form = ShowMenuForm();
  auto* action = form->Find<TAction>(u"SaveAction");
  auto* button = new TButton(form.get());
  button->SetParent(form.get());
  button->SetBounds(8, 40, 90, 25);
  button->SetAction(action);
  EXPECT_EQ(button->GetCaption(), u"Со&хранить");
  EXPECT_TRUE(button->OnClick == action->OnExecute);
  form->canSave = false;
  ProcessEventsFor(50);
  EXPECT_FALSE(action->GetEnabled());
  EXPECT_FALSE(button->GetEnabled());
  form->canSave = true;
  ProcessEventsFor(50);
  EXPECT_TRUE(button->GetEnabled());
  button->Click();
  EXPECT_EQ(form->log, std::vector<String>{u"save"});
  EXPECT_EQ(form->senders.back(), button);
}

TEST_F(MenusTest, ActionStateFollowsToItemsUntilTheItemIsChangedItself) {
  TForm owner(nullptr, 0);
  TAction action(nullptr);
  action.SetCaption(u"Печать");
  TPopupMenu menu(nullptr);
  auto* item = new TMenuItem(&menu);
  menu.GetItems()->Add(item);
  item->SetAction(&action);
  EXPECT_EQ(item->GetCaption(), u"Печать");
  action.SetCaption(u"Печать...");
  action.SetChecked(true);
  action.SetShortCut(ShortCut('P', {ssCtrl}));
  action.SetVisible(false);
  EXPECT_EQ(item->GetCaption(), u"Печать...");
  EXPECT_TRUE(item->GetChecked());
  EXPECT_EQ(item->GetShortCut(), ShortCut('P', {ssCtrl}));
  EXPECT_FALSE(item->GetVisible());
  // An item's own caption is no longer the action's.
  item->SetCaption(u"Своё");
  action.SetCaption(u"Другое");
  EXPECT_EQ(item->GetCaption(), u"Своё");
  // Clicking runs the action with the item as its component.
  TComponent* component = nullptr;
  action.SetOnExecute(
      TNotifyEvent([&](TObject* s) { component = static_cast<TBasicAction*>(s)->GetActionComponent(); }));
  EXPECT_TRUE(item->OnClick == action.OnExecute);
  item->Click();
  EXPECT_EQ(component, item);
  EXPECT_EQ(action.GetActionComponent(), nullptr);
}

TEST_F(MenusTest, FreedActionLeavesItsClients) {
  TPopupMenu menu(nullptr);
  auto* item = new TMenuItem(&menu);
  menu.GetItems()->Add(item);
  {
    TAction action(nullptr);
    item->SetAction(&action);
    ASSERT_EQ(item->GetAction(), &action);
  }
  EXPECT_EQ(item->GetAction(), nullptr);
  item->Click();
}

TEST_F(MenusTest, ActionWithoutHandlerDisablesItselfAndListHandlesFirst) {
  TActionList list(nullptr);
  TAction lonely(nullptr);
  lonely.SetActionList(&list);
  EXPECT_FALSE(lonely.Update());
  EXPECT_FALSE(lonely.GetEnabled());
  EXPECT_FALSE(lonely.Execute());

  TAction handled(nullptr);
  handled.SetActionList(&list);
  int ran = 0;
  handled.OnExecute = TNotifyEvent([&](TObject*) { ++ran; });
  list.OnExecute = TActionEvent([](TBasicAction*, bool& done) { done = true; });
  EXPECT_TRUE(handled.Execute());
  EXPECT_EQ(ran, 0);
  list.OnExecute = nullptr;
  EXPECT_TRUE(handled.Execute());
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(list.GetActionCount(), 2);
  EXPECT_EQ(handled.GetIndex(), 1);
}

TEST_F(MenusTest, PopupBlocksUntilClosedAndRunsTheClickedItem) {
  auto form = ShowMenuForm();
  auto* popup = form->Find<TPopupMenu>(u"PopupMenu1");
  TMenuItem* paste = form->Find<TMenuItem>(u"PasteItem");
  bool wasOpen = false;
  bool handlerRanWhileOpen = false;
  TLater click([&] {
    wasOpen = popup->IsOpen();
    ClickOpenMenuItem(paste);
    handlerRanWhileOpen = !form->log.empty() && form->log.back() == u"paste";
  });
  popup->Popup(100, 100);
  EXPECT_TRUE(wasOpen);
  EXPECT_FALSE(handlerRanWhileOpen);
  EXPECT_FALSE(popup->IsOpen());
  EXPECT_EQ(form->log, (std::vector<String>{u"popup", u"paste"}));
  EXPECT_EQ(popup->GetPopupPoint(), TPoint(100, 100));
}

TEST_F(MenusTest, PopupClosedWithoutAClickRunsNothing) {
  auto form = ShowMenuForm();
  auto* popup = form->Find<TPopupMenu>(u"PopupMenu1");
  TLater close([] { CloseOpenMenus(); });
  popup->Popup(10, 10);
  EXPECT_EQ(form->log, std::vector<String>{u"popup"});
}

TEST_F(MenusTest, ContextMenuOfAControlPopsItsPopupMenuUp) {
  auto form = ShowMenuForm();
  auto* edit = form->Find<TEdit>(u"Edit1");
  auto* popup = form->Find<TPopupMenu>(u"PopupMenu1");
  edit->SetPopupMenu(popup);
  TPoint at = edit->ClientToScreen(TPoint(5, 5));
  TLater click([&] { ClickOpenMenuItem(form->Find<TMenuItem>(u"CopyItem")); });
  edit->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(static_cast<Word>(at.X), static_cast<Word>(at.Y)));
  EXPECT_EQ(popup->GetPopupComponent(), edit);
  EXPECT_EQ(form->log, (std::vector<String>{u"popup", u"copy"}));
  // Without AutoPopup the menu stays shut.
  popup->SetAutoPopup(false);
  edit->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(static_cast<Word>(at.X), static_cast<Word>(at.Y)));
  EXPECT_EQ(form->log.size(), 2u);
}

// An item of the grid library's kind: its click leaves the menu open.
class TStayOpenItem : public TMenuItem {
 public:
  using TMenuItem::TMenuItem;
  bool ClosesMenuOnClick() const override { return false; }
};

TEST_F(MenusTest, ItemThatKeepsTheMenuOpenRunsAtOnceAndLeavesItOpen) {
  TPopupMenu popup(nullptr);
  auto* stay = new TStayOpenItem(&popup);
  stay->SetCaption(u"Показывать итоги");
  stay->SetAutoCheck(true);
  auto* plain = new TMenuItem(&popup);
  plain->SetCaption(u"Закрыть");
  popup.GetItems()->Add({stay, plain});
  int clicks = 0;
  stay->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
  bool openAfterFirst = false;
  TLater act([&] {
    ClickOpenMenuItem(stay);
    ClickOpenMenuItem(stay);
    openAfterFirst = popup.IsOpen();
    ClickOpenMenuItem(plain);
  });
  popup.Popup(20, 20);
  EXPECT_TRUE(openAfterFirst);
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(stay->GetChecked());
  EXPECT_FALSE(popup.IsOpen());
}

TEST_F(MenusTest, OwnerDrawnItemsAreMeasuredAndPaintedThroughTheCanvas) {
  TPopupMenu popup(nullptr);
  popup.SetOwnerDraw(true);
  auto* item = new TMenuItem(&popup);
  item->SetCaption(u"Цвет");
  popup.GetItems()->Add(item);
  int measured = 0;
  std::vector<TRect> painted;
  item->OnMeasureItem = TMenuMeasureItemEvent([&](TObject*, TCanvas*, Integer& w, Integer& h) {
    ++measured;
    w = 150;
    h = 40;
  });
  item->OnAdvancedDrawItem =
      TAdvancedMenuDrawItemEvent([&](TObject*, TCanvas* canvas, const TRect& r, TOwnerDrawState) {
        canvas->GetBrush()->SetColor(clRed);
        canvas->FillRect(r);
        painted.push_back(r);
      });
  // Closed once painted (or after a few seconds, so a fault cannot hang the test).
  TTimer poll(nullptr);
  int ticks = 0;
  poll.SetInterval(20);
  poll.OnTimer = TNotifyEvent([&](TObject*) {
    if (!painted.empty() || ++ticks > 250) CloseOpenMenus();
  });
  popup.Popup(30, 30);
  poll.SetEnabled(false);
  EXPECT_GT(measured, 0);
  ASSERT_FALSE(painted.empty());
  EXPECT_EQ(painted.back().Height(), 40);
  EXPECT_GE(painted.back().Width(), 150);
}

TEST_F(MenusTest, EditActionsWorkOnTheFocusedEdit) {
  auto form = ShowMenuForm();
  auto* edit = form->Find<TEdit>(u"Edit1");
  edit->SetText(u"Накладная 15");
  edit->SetFocus();
  Application->ProcessMessages();
  ASSERT_TRUE(edit->Focused());
  TEditCopy copy(nullptr);
  TEditCut cut(nullptr);
  TEditPaste paste(nullptr);
  TEditSelectAll selectAll(nullptr);
  TEditDelete del(nullptr);
  TEditUndo undo(nullptr);

  edit->SetSelStart(0);
  edit->SetSelLength(0);
  copy.Update();
  EXPECT_FALSE(copy.GetEnabled());
  selectAll.Update();
  EXPECT_TRUE(selectAll.GetEnabled());
  EXPECT_TRUE(selectAll.Execute());
  EXPECT_EQ(edit->GetSelLength(), 12);

  copy.Update();
  EXPECT_TRUE(copy.GetEnabled());
  EXPECT_TRUE(copy.Execute());
  EXPECT_EQ(Clipboard()->GetAsText(), u"Накладная 15");

  edit->SetSelStart(10);
  edit->SetSelLength(2);
  EXPECT_TRUE(cut.Execute());
  EXPECT_EQ(edit->GetText(), u"Накладная ");
  EXPECT_EQ(Clipboard()->GetAsText(), u"15");
  paste.Update();
  EXPECT_TRUE(paste.GetEnabled());
  EXPECT_TRUE(paste.Execute());
  EXPECT_TRUE(paste.Execute());
  EXPECT_EQ(edit->GetText(), u"Накладная 1515");

  edit->SetSelStart(0);
  edit->SetSelLength(10);
  EXPECT_TRUE(del.Execute());
  EXPECT_EQ(edit->GetText(), u"1515");

  undo.Update();
  EXPECT_TRUE(undo.GetEnabled());
  EXPECT_TRUE(undo.Execute());
  EXPECT_EQ(edit->GetText(), u"Накладная 1515");

  edit->SetReadOnly(true);
  paste.Update();
  EXPECT_FALSE(paste.GetEnabled());
  edit->SetReadOnly(false);

  // Not focused: the action finds no target.
  TEditCopy bound(nullptr);
  TEdit other(form.get());
  other.SetParent(form.get());
  bound.SetControl(&other);
  other.SetText(u"другой");
  other.SelectAll();
  EXPECT_TRUE(bound.Execute());
  EXPECT_EQ(Clipboard()->GetAsText(), u"другой");
}

}  // namespace
