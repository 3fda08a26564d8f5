// The program's start: style file, visual style, forms, message loop.
#include "app/Startup.h"

#include <cstdio>
#include <memory>

#include "gridlib/base/CalculatorEh.h"
#include "gridlib/base/DBGridEhFindDlgs.h"
#include "gridlib/base/DateTimeCalendarPickersEh.h"
#include "gridlib/base/DropDownFormEh.h"
#include "gridlib/base/MemoEditFormsEh.h"
#include "gridlib/base/PictureEditFormsEh.h"
#include "gridlib/base/RichEditFormsEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/base/ZipFileProviderEh.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "gridlib/editors/DBLookupGridsEh.h"
#include "platform/classes/SpecialFolders.h"
#include "platform/classes/StringList.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StyleManager.h"
#include "platform/rtl/Utf.h"

namespace {
const Char* const kNativeStyle = u"Windows";
}  // namespace

// The grid library's drop-downs, dialogs, lookup lists and zip provider, registered before any form
// names them; the data grids' shared style and default handler, made before any grid.
void InitializeGridLibrary() {
  InitializeToolCtrlsEh();
  InitializeDropDownFormsEh();
  InitializeDateTimeCalendarPickersEh();
  InitializeCalculatorEh();
  InitializeMemoEditFormsEh();
  InitializeRichEditFormsEh();
  InitializeZipFileProviderEh();
  InitializeDBGridEhFindDlgs();
  InitializePictureEditFormsEh();
  InitializeLookupGridsEh();
  InitDBGridEhUnit();
}

String StyleFilePath() { return GetSpecialFolderPath(CSIDL_APPDATA) + u"/t_style.txt"; }

String ReadStyleName() {
  const String path = StyleFilePath();
  std::FILE* probe = std::fopen(StringToUtf8(path).c_str(), "rb");
  if (!probe) {
    WriteStyleFile(kNativeStyle);
    return kNativeStyle;
  }
  std::fclose(probe);
  TStringList lines;
  lines.LoadFromFile(path, TEncoding::ANSI());
  if (lines.GetCount() > 0 && !lines[0].empty()) return lines[0];
  // The empty first line stays; the file grows by one line per start until a style is picked.
  lines.Add(kNativeStyle);
  lines.SaveToFile(path, TEncoding::ANSI());
  return kNativeStyle;
}

void WriteStyleFile(const String& name) {
  TStringList lines;
  lines.Add(name);
  lines.SaveToFile(StyleFilePath(), TEncoding::ANSI());
}

int RunProgram(int argc, char** argv, void (*createForms)()) {
  SetCommandLine(argc, argv);
  try {
    Application->Initialize();
    InitializeGridLibrary();
    Application->SetMainFormOnTaskBar(true);
    TStyleManager::TrySetStyle(ReadStyleName(), true);
    createForms();
    Application->Run();
  } catch (Exception& e) {
    Application->ShowException(&e);
  } catch (...) {
    Exception empty(u"");
    Application->ShowException(&empty);
  }
  // The grids' shared style and default handler go at exit; grids still on forms fall back to their own.
  try {
    DoneDBGridEhUnit();
  } catch (Exception& e) {
    Application->ShowException(&e);
  }
  return 0;
}
