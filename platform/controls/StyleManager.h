// The style manager: the program's visual styles by name ("Windows", the plain light look, and
// "Onyx Blue", a dark blue one), applied to every window and to the system colours at once.
#pragma once

#include <functional>
#include <vector>

#include "platform/graphics/Colors.h"
#include "platform/rtl/Exception.h"

KIV_DECLARE_EXCEPTION(EStyleManagerException, Exception);
KIV_DECLARE_EXCEPTION(EStyleNotFoundException, EStyleManagerException);

// One style: its name and the colours it gives the system colours (clBtnFace ...).
class TStyleDescriptor : public TSysColorPalette {
 public:
  TStyleDescriptor(String name, const TColorRef (&colors)[SysColorCount], bool isSystemStyle);
  const String& GetName() const { return name_; }
  // The plain look ("Windows") is the system style; the others are custom styles.
  bool IsSystemStyle() const { return system_; }
  TColorRef GetSysColor(Integer index) const override;

 private:
  String name_;
  TColorRef colors_[SysColorCount];
  bool system_;
};

class TStyleManager {
 public:
  TStyleManager() = delete;

  // Applies the style named (case-insensitively) and repaints every open window. An unknown name
  // keeps the style in force, shows "Style 'X' not found" in a message box when showErrorDialog,
  // and answers false.
  static bool TrySetStyle(const String& name, bool showErrorDialog = true);
  // The same, raising EStyleNotFoundException "Style 'X' not found" for an unknown name.
  static void SetStyle(const String& name);
  // The registered style names, "Windows" first.
  static std::vector<String> GetStyleNames();
  static bool IsValidStyle(const String& name);
  static const TStyleDescriptor* GetActiveStyle();
  static bool IsCustomStyleActive();
  // Another style by name and palette (the program's own styles are registered at start-up). A
  // taken name raises EStyleManagerException "Style 'X' already registered".
  static void RegisterStyle(const String& name, const TColorRef (&colors)[SysColorCount]);
  // Objects without a window hear of a style change here, before the windows repaint; the answer
  // is the key that removes the handler.
  static Integer AddStyleChangedHandler(std::function<void()> handler);
  static void RemoveStyleChangedHandler(Integer key);
};
