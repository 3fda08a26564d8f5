// A small fixed report driven straight through the export-filter calls (title, Cyrillic texts,
// numbers, frames, a picture, three pages), a scratch folder and a runner for the outside readers.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "reportlib/output/QRExportFilter.h"
#include "reportlib/output/QRPrinter.h"

// Output of a shell command (stderr joined), and its exit status.
inline std::string RunTool(const std::string& command, int* status = nullptr) {
  std::string out;
  if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    const int rc = pclose(pipe);
    if (status) *status = WEXITSTATUS(rc);
  }
  return out;
}

// A folder of its own per test, removed afterwards unless KIV_KEEP_FILTER_OUTPUT is set (to look at
// what the filters wrote).
class TScratchDir {
 public:
  TScratchDir() {
    char pattern[] = "/tmp/kiv-filter-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TScratchDir() {
    if (!std::getenv("KIV_KEEP_FILTER_OUTPUT")) std::filesystem::remove_all(path_);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  String FileS(const std::string& name) const { return Utf8ToString(File(name)); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A control that hands itself to a filter as a shape or a picture, as the report's controls do.
class TTestGraphic : public TControl, public IQRExportGraphic {
 public:
  TTestGraphic() : TControl(nullptr) {}
  std::unique_ptr<TQRExportShape> shape;
  std::unique_ptr<TQRExportPicture> picture;
  bool GetExportShape(TQRExportShape& s) const override {
    if (!shape) return false;
    s = *shape;
    return true;
  }
  bool GetExportPicture(TQRExportPicture& p) const override {
    if (!picture) return false;
    p = *picture;
    return true;
  }
};

struct TInventoryRow {
  const char16_t* name;
  const char16_t* quantity;  // as the report prints it, with the decimal comma
  const char16_t* unit;
};

inline const TInventoryRow kInventoryRows[] = {
    {u"Болт М8×40 оцинкованный", u"1250", u"шт"},
    {u"Лист стальной 2 мм", u"34,5", u"кг"},
    {u"Краска эмаль ПФ-115 «серая»", u"12,25", u"л"},
    {u"Гайка М8 & шайба <DIN 125>", u"980", u"шт"},
};

// The report: per page the title, a header row, the inventory rows and a frame; page 1 also carries
// a picture. Positions in 0.1 mm; rows 70 apart. The printer turns them into pixels at 96 dpi.
class TTestReport {
 public:
  static constexpr int kPages = 3;
  TTestReport() {
    InitTestApplication();
    printer.SetXFactor(96 / 254.0L);
    printer.SetYFactor(96 / 254.0L);
    title.SetName(u"Arial");
    title.SetSize(14);
    title.SetStyle(TFontStyles{fsBold});
    title.SetColor(clBlack);
    body.SetName(u"Arial");
    body.SetSize(10);
    body.SetColor(clWindowText);
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(60, 40);
    TCanvas* c = picture.GetCanvas();
    c->GetBrush()->SetColor(clRed);
    c->FillRect(TRect(0, 0, 30, 40));
    c->GetBrush()->SetColor(clBlue);
    c->FillRect(TRect(30, 0, 60, 40));
  }

  void Text(TQRExportFilter& f, Extended x, Extended y, TFont* font, TAlignment a, const String& text,
            Integer column, TExportType as = exptText, TXLNumFormat nf = nfGeneral, TColor bg = clWhite,
            const String& name = u"") {
    TExportInfoRec r;
    r.Xpos = x;
    r.Ypos = y;
    r.Font = font;
    r.BGColor = bg;
    r.Alignment = a;
    r.Text = text;
    r.Column = column;
    r.ExportAs = as;
    r.XLNumFormat = nf;
    r.ControlName = name;
    QRCurrentControlName = name;
    f.TextOutRec(r);
  }

  void Run(TQRExportFilter& f) {
    f.SetOriginalQRPrinter(&printer);
    f.Start(2100, 2970, &body);
    for (int page = 1; page <= kPages; ++page) {
      f.NewPage();
      Text(f, 1050, 100, &title, taCenter, u"Остатки на складе — страница " + IntToStr(page), 0, exptText,
           nfGeneral, clWhite, u"TitleLabel");
      Text(f, 200, 250, &body, taLeftJustify, u"Наименование", 1, exptText, nfGeneral, clBtnFace, u"HName");
      Text(f, 1500, 250, &body, taRightJustify, u"Количество", 2, exptText, nfGeneral, clBtnFace, u"HQty");
      Text(f, 1600, 250, &body, taLeftJustify, u"Ед.", 3, exptText, nfGeneral, clBtnFace, u"HUnit");
      Extended y = 320;
      for (const TInventoryRow& row : kInventoryRows) {
        Text(f, 200, y, &body, taLeftJustify, row.name, 1, exptText, nfGeneral, clWhite, u"NameText");
        Text(f, 1500, y, &body, taRightJustify, row.quantity, 2, exptNumeric, nfDec2, clWhite, u"QtyText");
        Text(f, 1600, y, &body, taLeftJustify, row.unit, 3, exptText, nfGeneral, clWhite, u"UnitText");
        y += 70;
      }
      frame.shape = std::make_unique<TQRExportShape>();
      frame.shape->Shape = qesRectangle;
      frame.shape->Width = 680;
      frame.shape->Height = 250;
      frame.shape->BrushStyle = bsClear;
      f.AcceptGraphic(printer.XPos(150), printer.YPos(230), &frame);
      if (page == 1) {
        image.picture = std::make_unique<TQRExportPicture>();
        image.picture->Graphic = &picture;
        image.picture->Width = 60;
        image.picture->Height = 40;
        image.picture->Name = u"Logo";
        f.AcceptGraphic(printer.XPos(1700), printer.YPos(40), &image);
      }
      f.EndPage();
    }
    f.Finish();
  }

  TQRPrinter printer{nullptr};
  TFont title, body;
  TBitmap picture;
  TTestGraphic frame, image;
};
