// Printing of the rich edit: the text goes page after page through format-range calls onto the
// process-wide printer. Installed into the controls layer, which cannot link printing itself, by the
// printing library's start-up.
#include "platform/controls/ControlsLibrary.h"
#include "platform/controls/RichEdit.h"
#include "platform/printing/Printers.h"
#include "platform/printing/PrintingLibrary.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

void PrintRichEdit(TCustomRichEdit* edit, const String& title) {
  TPrinter* printer = Printer();
  printer->SetTitle(title);
  printer->BeginDoc();
  auto abort = MakeScopeExit([&] { printer->Abort(); });
  HDC dc = printer->GetCanvas()->GetHandle();
  const Integer dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  TFormatRange range;
  range.hdc = dc;
  range.hdcTarget = dc;
  const TRect page(0, 0, static_cast<Integer>(static_cast<long long>(printer->GetPageWidth()) * 1440 / dpiX),
                   static_cast<Integer>(static_cast<long long>(printer->GetPageHeight()) * 1440 / dpiY));
  range.rcPage = page;
  const Integer length = edit->GetTextLength();
  Integer last = 0;
  while (last < length) {
    if (last > 0) printer->NewPage();
    range.rc = page;
    range.chrg.cpMin = last;
    range.chrg.cpMax = -1;
    const Integer next =
        static_cast<Integer>(edit->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range)));
    // A line taller than the page can never fit: stop rather than print empty pages for ever.
    if (next <= last) break;
    last = next;
  }
  edit->Perform(EM_FORMATRANGE, 0, 0);
  abort.Release();
  printer->EndDoc();
}

}  // namespace

void InitializePrinting() {
  InitializeControls();
  SetRichEditPrintHook(&PrintRichEdit);
}
