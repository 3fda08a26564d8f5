// Pages for the output tests: small metafiles that carry their page number as text, so a test can
// tell which page it got back.
#pragma once

#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "platform/graphics/Metafile.h"
#include "platform/rtl/Strings.h"
#include "platform/testing/TestSupport.h"

inline std::unique_ptr<TMetafile> MakePage(Integer number, const String& text = u"Страница",
                                           Integer width = 794, Integer height = 1123) {
  InitTestApplication();
  auto page = std::make_unique<TMetafile>();
  page->SetWidth(width);
  page->SetHeight(height);
  {
    TMetafileCanvas canvas(page.get(), nullptr);
    canvas.GetFont()->SetName(u"Arial");
    canvas.GetFont()->SetSize(12);
    canvas.TextOut(40, 40, text + u" " + IntToStr(number));
    canvas.Rectangle(20, 20, width - 20, height - 20);
    canvas.MoveTo(20, 80);
    canvas.LineTo(width - 20, 80 + number % 50);
  }
  return page;
}

inline String PageText(TMetafile* page) {
  String all;
  for (const TEmfTextRecord& r : MetafileTextRecords(page)) all += r.Text;
  return all;
}

inline TBytes RandomBytes(size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  TBytes bytes(size);
  for (Byte& b : bytes) b = static_cast<Byte>(gen());
  return bytes;
}

// What an outside tool (qpdf, pdftotext) writes on its standard output.
inline std::string RunTool(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}
