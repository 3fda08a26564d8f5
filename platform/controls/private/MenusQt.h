// Inside the controls layer: the Qt side of menus (a QAction per item, a QMenu per submenu, the menu
// bar of a form). Only platform libraries include this header; it brings Qt in.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProxyStyle>

#include "platform/controls/Menus.h"

// A menu that paints owner-drawn items through our canvas and keeps itself open for items that say so.
class TQtMenu : public QMenu {
 public:
  explicit TQtMenu(TMenuItem* parentItem, QWidget* parent = nullptr);
  ~TQtMenu() override;

  TMenuItem* ParentItem() const { return parentItem_; }
  // The item a QAction of this menu stands for.
  TMenuItem* ItemOf(const QAction* action) const;
  // Fills the menu from the sub-items of ParentItem, their actions updated first.
  void Rebuild();
  // The item whose style option QMenu prepared last (the style asks about it right after).
  const QAction* OptionAction() const { return optionAction_; }
  // An item clicked while the popup's loop runs: clicked after the menu closed, before Popup returns.
  void SetDeferredClick(TMenuItem* item);
  TMenuItem* TakeDeferredClick();

 protected:
  void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool ClickKeepingOpen(QAction* action);

  TMenuItem* parentItem_;
  mutable const QAction* optionAction_ = nullptr;
  TMenuItem* deferredItem_ = nullptr;
  bool rebuilding_ = false;
};

struct TMenuItemHost {
  explicit TMenuItemHost(TMenuItem* item);
  ~TMenuItemHost();

  // The item's action, made on first use and kept in step with the item.
  QAction* Action();
  void Sync();

  TMenuItem* item;
  QPointer<QAction> action;
  QPointer<TQtMenu> subMenu;
};

struct TMenuHost {
  explicit TMenuHost(TMenu* menu) : menu(menu) {}
  ~TMenuHost();

  TMenu* menu;
  QPointer<QMenuBar> bar;   // a main menu shown in its form's window
  QPointer<TQtMenu> popup;  // a popup menu's root
};

// The style of our menus: owner-drawn items are measured and painted by their handlers.
class TMenuStyle : public QProxyStyle {
 public:
  TMenuStyle();
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
};
