// Start-up of the drawing layer and the font lists the screen object answers.
#include "platform/graphics/GraphicsApp.h"

#include <QApplication>
#include <QFontDatabase>
#include <algorithm>
#include <cstdlib>
#include <mutex>

void InitGraphics() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (QCoreApplication::instance()) return;
    // Without a display (a server printing reports, a test outside ctest) draw off screen.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
      setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "kiv-erp";
    static char* argv[] = {name, nullptr};
    // A widgets application, so that the themed painter can use the style and dialogs can show.
    new QApplication(argc, argv);
  });
}

String DefaultFontName() { return u"Tahoma"; }
Integer DefaultFontHeight() { return -11; }

std::vector<String> InstalledFontNames() {
  InitGraphics();
  std::vector<String> names;
  for (const QString& family : QFontDatabase::families()) names.push_back(family.toStdU16String());
  // The faces the forms name are there too, through their metric-compatible families.
  for (const char16_t* alias : {u"Arial", u"Courier New", u"MS Sans Serif", u"Tahoma", u"Times New Roman"})
    if (std::find(names.begin(), names.end(), alias) == names.end()) names.push_back(alias);
  std::sort(names.begin(), names.end());
  return names;
}
