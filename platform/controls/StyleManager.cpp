// The style manager: keeps the registered styles, turns the active one into Qt's palette and the
// graphics layer's system colours, and repaints every window when the style changes.
#include "platform/controls/StyleManager.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <utility>

#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Strings.h"

namespace {

// The dark blue style: light text on blue-grey faces, a clear blue selection.
constexpr TColorRef OnyxBlueColors[SysColorCount] = {
    RGB(0x2B, 0x3B, 0x52),  // COLOR_SCROLLBAR
    RGB(0x10, 0x20, 0x30),  // COLOR_BACKGROUND
    RGB(0x1F, 0x4E, 0x8C),  // COLOR_ACTIVECAPTION
    RGB(0x2B, 0x3B, 0x52),  // COLOR_INACTIVECAPTION
    RGB(0x24, 0x33, 0x4A),  // COLOR_MENU
    RGB(0x1E, 0x2A, 0x3A),  // COLOR_WINDOW
    RGB(0x0F, 0x16, 0x20),  // COLOR_WINDOWFRAME
    RGB(0xE6, 0xED, 0xF5),  // COLOR_MENUTEXT
    RGB(0xE6, 0xED, 0xF5),  // COLOR_WINDOWTEXT
    RGB(0xFF, 0xFF, 0xFF),  // COLOR_CAPTIONTEXT
    RGB(0x2B, 0x3B, 0x52),  // COLOR_ACTIVEBORDER
    RGB(0x2B, 0x3B, 0x52),  // COLOR_INACTIVEBORDER
    RGB(0x18, 0x22, 0x2F),  // COLOR_APPWORKSPACE
    RGB(0x3D, 0x7B, 0xD9),  // COLOR_HIGHLIGHT
    RGB(0xFF, 0xFF, 0xFF),  // COLOR_HIGHLIGHTTEXT
    RGB(0x2B, 0x3B, 0x52),  // COLOR_BTNFACE
    RGB(0x1A, 0x25, 0x35),  // COLOR_BTNSHADOW
    RGB(0x7F, 0x8F, 0xA6),  // COLOR_GRAYTEXT
    RGB(0xE6, 0xED, 0xF5),  // COLOR_BTNTEXT
    RGB(0x9A, 0xA8, 0xBA),  // COLOR_INACTIVECAPTIONTEXT
    RGB(0x4A, 0x60, 0x80),  // COLOR_BTNHIGHLIGHT
    RGB(0x0F, 0x16, 0x20),  // COLOR_3DDKSHADOW
    RGB(0x3A, 0x4E, 0x6A),  // COLOR_3DLIGHT
    RGB(0xE6, 0xED, 0xF5),  // COLOR_INFOTEXT
    RGB(0x2F, 0x44, 0x61),  // COLOR_INFOBK
    RGB(0x00, 0x00, 0x00),  // 25: unused
    RGB(0x6F, 0xA8, 0xFF),  // COLOR_HOTLIGHT
    RGB(0x2E, 0x6B, 0xB8),  // COLOR_GRADIENTACTIVECAPTION
    RGB(0x3A, 0x4E, 0x6A),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(0x3D, 0x7B, 0xD9),  // COLOR_MENUHILIGHT
    RGB(0x24, 0x33, 0x4A),  // COLOR_MENUBAR
};

struct StyleRegistry {
  std::vector<std::unique_ptr<TStyleDescriptor>> styles;
  const TStyleDescriptor* active = nullptr;
  std::vector<std::pair<Integer, std::function<void()>>> changedHandlers;
  Integer lastHandlerKey = 0;

  StyleRegistry() {
    TColorRef classic[SysColorCount];
    TSysColorPalette plain;
    for (Integer i = 0; i < SysColorCount; ++i) classic[i] = plain.GetSysColor(i);
    styles.push_back(std::make_unique<TStyleDescriptor>(u"Windows", classic, true));
    styles.push_back(std::make_unique<TStyleDescriptor>(u"Onyx Blue", OnyxBlueColors, false));
    active = styles.front().get();
  }

  const TStyleDescriptor* Find(const String& name) const {
    for (const auto& s : styles)
      if (SameText(s->GetName(), name)) return s.get();
    return nullptr;
  }
};

StyleRegistry& Registry() {
  static StyleRegistry registry;
  return registry;
}

String NotFoundMessage(const String& name) { return u"Style '" + name + u"' not found"; }

QColor ToQColor(TColorRef c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Qt's palette from the system colours, so Qt-drawn widgets and our own painting agree.
QPalette PaletteOf(const TStyleDescriptor& style) {
  auto c = [&style](Integer index) { return ToQColor(style.GetSysColor(index)); };
  QPalette p;
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    bool disabled = group == QPalette::Disabled;
    QColor text = disabled ? c(COLOR_GRAYTEXT) : c(COLOR_WINDOWTEXT);
    p.setColor(group, QPalette::Window, c(COLOR_BTNFACE));
    p.setColor(group, QPalette::WindowText, disabled ? c(COLOR_GRAYTEXT) : c(COLOR_BTNTEXT));
    p.setColor(group, QPalette::Base, disabled ? c(COLOR_BTNFACE) : c(COLOR_WINDOW));
    p.setColor(group, QPalette::AlternateBase, c(COLOR_3DLIGHT));
    p.setColor(group, QPalette::Text, text);
    p.setColor(group, QPalette::PlaceholderText, c(COLOR_GRAYTEXT));
    p.setColor(group, QPalette::Button, c(COLOR_BTNFACE));
    p.setColor(group, QPalette::ButtonText, disabled ? c(COLOR_GRAYTEXT) : c(COLOR_BTNTEXT));
    p.setColor(group, QPalette::BrightText, c(COLOR_HIGHLIGHTTEXT));
    p.setColor(group, QPalette::Light, c(COLOR_BTNHIGHLIGHT));
    p.setColor(group, QPalette::Midlight, c(COLOR_3DLIGHT));
    p.setColor(group, QPalette::Mid, c(COLOR_BTNSHADOW));
    p.setColor(group, QPalette::Dark, c(COLOR_BTNSHADOW));
    p.setColor(group, QPalette::Shadow, c(COLOR_3DDKSHADOW));
    p.setColor(group, QPalette::Highlight, c(COLOR_HIGHLIGHT));
    p.setColor(group, QPalette::HighlightedText, c(COLOR_HIGHLIGHTTEXT));
    p.setColor(group, QPalette::ToolTipBase, c(COLOR_INFOBK));
    p.setColor(group, QPalette::ToolTipText, c(COLOR_INFOTEXT));
    p.setColor(group, QPalette::Link, c(COLOR_HOTLIGHT));
  }
  return p;
}

// Every window takes the new colours at once: the controls are told, then everything is redrawn.
void RepaintAll() {
  if (Screen) {
    for (Integer i = 0; i < Screen->GetFormCount(); ++i) {
      TForm* form = Screen->GetForm(i);
      form->Perform(CM_STYLECHANGED, 0, 0);
      form->Perform(CM_SYSCOLORCHANGE, 0, 0);
      form->Invalidate();
    }
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
  for (QWidget* w : QApplication::allWidgets()) w->update();
}

void Apply(const TStyleDescriptor* style) {
  StyleRegistry& registry = Registry();
  registry.active = style;
  SetSysColorPalette(style->IsSystemStyle() ? nullptr : style);
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
    // Fusion draws with the palette it is given; the platform's own style may not.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app->setStyle(fusion);
    app->setPalette(PaletteOf(*style));
  }
  // A handler may remove itself or another while it is told.
  const auto handlers = registry.changedHandlers;
  for (const auto& entry : handlers) entry.second();
  RepaintAll();
}

}  // namespace

TStyleDescriptor::TStyleDescriptor(String name, const TColorRef (&colors)[SysColorCount], bool isSystemStyle)
    : name_(std::move(name)), system_(isSystemStyle) {
  std::copy(std::begin(colors), std::end(colors), colors_);
}

TColorRef TStyleDescriptor::GetSysColor(Integer index) const {
  return index >= 0 && index < SysColorCount ? colors_[index] : 0;
}

bool TStyleManager::TrySetStyle(const String& name, bool showErrorDialog) {
  const TStyleDescriptor* style = Registry().Find(name);
  if (!style) {
    if (showErrorDialog) MessageDlg(NotFoundMessage(name), mtError, TMsgDlgButtons{mbOK}, 0);
    return false;
  }
  Apply(style);
  return true;
}

void TStyleManager::SetStyle(const String& name) {
  const TStyleDescriptor* style = Registry().Find(name);
  if (!style) throw EStyleNotFoundException(NotFoundMessage(name));
  Apply(style);
}

std::vector<String> TStyleManager::GetStyleNames() {
  std::vector<String> names;
  for (const auto& s : Registry().styles) names.push_back(s->GetName());
  return names;
}

bool TStyleManager::IsValidStyle(const String& name) { return Registry().Find(name) != nullptr; }

const TStyleDescriptor* TStyleManager::GetActiveStyle() { return Registry().active; }

bool TStyleManager::IsCustomStyleActive() { return !Registry().active->IsSystemStyle(); }

void TStyleManager::RegisterStyle(const String& name, const TColorRef (&colors)[SysColorCount]) {
  StyleRegistry& registry = Registry();
  if (registry.Find(name)) throw EStyleManagerException(u"Style '" + name + u"' already registered");
  registry.styles.push_back(std::make_unique<TStyleDescriptor>(name, colors, false));
}

Integer TStyleManager::AddStyleChangedHandler(std::function<void()> handler) {
  StyleRegistry& registry = Registry();
  registry.changedHandlers.emplace_back(++registry.lastHandlerKey, std::move(handler));
  return registry.lastHandlerKey;
}

void TStyleManager::RemoveStyleChangedHandler(Integer key) {
  std::erase_if(Registry().changedHandlers, [key](const auto& entry) { return entry.first == key; });
}
