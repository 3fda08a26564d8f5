// A five-page report in the standard preview, for the desktop test to drive as a reader does. It
// prints on its standard output where the tool buttons and the search results stand on the screen
// (so that the script can click them) and, whenever they change, the status bar and the results.
#include <cstdio>

#include "platform/controls/ExtCtrls.h"
#include "platform/printing/PrintingLibrary.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "reportlib/output/QRStandardPreview.h"

namespace {

void Say(const String& line) {
  std::printf("%s\n", StringToUtf8(line).c_str());
  std::fflush(stdout);
}

// Each page has its number; only page 3 has the word the test searches for.
void Generate(TQRPrinter& printer) {
  printer.BeginDoc();
  for (Integer n = 1; n <= 5; ++n) {
    printer.NewPage();
    TCanvas* c = printer.GetCanvas();
    c->GetFont()->SetName(u"DejaVu Sans");
    c->GetFont()->SetSize(16);
    c->GetFont()->SetStyle(TFontStyles{fsBold});
    c->TextOut(printer.XPos(200), printer.YPos(150),
               n == 3 ? String(u"Итоговая ведомость остатков") : u"Движение материалов, лист " + IntToStr(n));
    c->GetFont()->SetStyle({});
    c->GetFont()->SetSize(11);
    for (Integer row = 0; row < 12; ++row) {
      const Integer y = 300 + row * 80;
      c->TextOut(
          printer.XPos(200), printer.YPos(y),
          u"Строка " + IntToStr(row + 1) + u": заготовка №" + IntToStr(n * 100 + row) + u", склад сырья");
      c->MoveTo(printer.XPos(200), printer.YPos(y + 70));
      c->LineTo(printer.XPos(1900), printer.YPos(y + 70));
    }
    c->TextOut(printer.XPos(1700), printer.YPos(2800), u"Лист " + IntToStr(n));
  }
  printer.EndDoc();
}

template <class Form>
Form* Find() {
  for (Integer i = 0; i < Screen->GetCustomFormCount(); ++i)
    if (auto* f = dynamic_cast<Form*>(Screen->GetCustomForm(i))) return f;
  return nullptr;
}

String Place(const String& name, TControl* control) {
  const TPoint p = control->ClientToScreen(TPoint(0, 0));
  return u"place " + name + u" " + IntToStr(p.X) + u" " + IntToStr(p.Y) + u" " +
         IntToStr(control->GetWidth()) + u" " + IntToStr(control->GetHeight());
}

}  // namespace

int main() {
  InitializePrinting();
  Application->Initialize();
  Application->SetTitle(u"KIV preview");
  TQRPrinter printer(nullptr);
  printer.SetTitle(u"Складская ведомость");
  Generate(printer);

  String places, status, results, typed;
  TTimer reporter(nullptr);
  reporter.SetInterval(50);
  reporter.OnTimer = [&](TObject*) {
    // Typing into the search dialog goes through the X keymap, which may drop a letter under load.
    if (TSearchDlg* d = Find<TSearchDlg>(); d && d->GetVisible() && d->GetText() != typed)
      Say(u"typed " + (typed = d->GetText()));
    TQRStandardPreview* w = Find<TQRStandardPreview>();
    if (!w || !w->GetVisible()) return;
    String now;
    for (Integer i = 0; i < w->ToolBar1->GetButtonCount(); ++i)
      now += Place(w->ToolBar1->GetButton(i)->GetHint(), w->ToolBar1->GetButton(i)) + u"\n";
    now += Place(u"Results", w->SearchResultBox);
    if (now != places) Say(places = now);
    TStatusPanels* panels = w->StatusBar->GetPanels();
    now = u"status " + panels->GetItem(1)->GetText() + u" | " + panels->GetItem(2)->GetText();
    if (now != status) Say(status = now);
    now = u"results";
    for (Integer i = 0; i < w->SearchResultBox->GetItems()->GetCount(); ++i)
      now += u" | " + w->SearchResultBox->GetItems()->Get(i);
    if (now != results) Say(results = now);
  };
  printer.PreviewModal();
  Say(u"closed");
  return 0;
}
