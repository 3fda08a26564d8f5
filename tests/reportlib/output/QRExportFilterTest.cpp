// The export-filter base and the filter library: active between Start and Finish, one entry per
// class, the save dialog's filter string and the look-up by extension.
#include <gtest/gtest.h>

#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "reportlib/output/QRExportFilter.h"

namespace {

class TXlsxLikeFilter : public TQRExportFilter {
  KIV_CLASS(TXlsxLikeFilter, TQRExportFilter)
 public:
  using TQRExportFilter::TQRExportFilter;
  String GetName() const override { return u"Книга"; }
  String GetFileExtension() const override { return u"XLSX"; }
  void AcceptShape(Extended x, Extended y, const TQRExportShape& s) override {
    shapes.push_back({x, y, s.Width, s.Name});
  }
  struct Seen {
    Extended x, y;
    Integer width;
    String name;
  };
  std::vector<Seen> shapes;
};

class TCsvLikeFilter : public TQRExportFilter {
  KIV_CLASS(TCsvLikeFilter, TQRExportFilter)
 public:
  using TQRExportFilter::TQRExportFilter;
  String GetName() const override { return u"Text"; }
  String GetFileExtension() const override { return u"csv"; }
};

class TShapeControl : public TControl, public IQRExportGraphic {
 public:
  TShapeControl() : TControl(nullptr) { SetName(u"Frame1"); }
  bool GetExportShape(TQRExportShape& s) const override {
    s.Width = 120;
    return true;
  }
};

TEST(QRExportFilterTest, BaseIsActiveBetweenStartAndFinishAndIgnoresItems) {
  InitTestApplication();
  TQRExportFilter filter(u"out.txt");
  EXPECT_EQ(filter.GetFilename(), u"out.txt");
  EXPECT_FALSE(filter.GetActive());
  TFont font;
  filter.Start(2100, 2970, &font);
  EXPECT_TRUE(filter.GetActive());
  filter.NewPage();
  filter.TextOut(10, 10, &font, clWhite, taLeftJustify, u"текст");
  TShapeControl shape;
  filter.AcceptGraphic(1, 2, &shape);
  filter.EndPage();
  EXPECT_EQ(filter.finalDoc()->GetCount(), 0);
  filter.Finish();
  EXPECT_FALSE(filter.GetActive());
  EXPECT_EQ(filter.GetName(), u"Abstract filter");
}

TEST(QRExportFilterTest, GraphicReachesTheFilterAsItsShapeWithTheControlName) {
  InitTestApplication();
  TXlsxLikeFilter filter(u"");
  TShapeControl shape;
  TControl plain(nullptr);
  filter.AcceptGraphic(3, 4, &shape);
  filter.AcceptGraphic(5, 6, &plain);  // a control that is no graphic is passed over
  ASSERT_EQ(filter.shapes.size(), 1u);
  EXPECT_EQ(filter.shapes[0].x, 3);
  EXPECT_EQ(filter.shapes[0].width, 120);
  EXPECT_EQ(filter.shapes[0].name, u"Frame1");
}

TEST(QRExportFilterTest, LibraryKeepsOneEntryPerClassAndBuildsTheDialogFilter) {
  TQRExportFilterLibrary library;
  EXPECT_EQ(StringToUtf8(library.GetSaveDialogFilterString()), "VaruzUvuzed file(*.QRP)|*.QRP");
  library.AddFilter(ExportFilterClass<TXlsxLikeFilter>());
  library.AddFilter(ExportFilterClass<TXlsxLikeFilter>());
  library.AddFilter(ExportFilterClass<TCsvLikeFilter>());
  EXPECT_EQ(library.GetCount(), 2);
  EXPECT_EQ(StringToUtf8(library.GetSaveDialogFilterString()),
            "VaruzUvuzed file(*.QRP)|*.QRP|Книга (*.XLSX)|*.XLSX|Text (*.csv)|*.csv");
  struct {
    const char16_t* ext;
    const char16_t* name;
  } lookups[] = {{u"xlsx", u"Книга"}, {u"XLSX", u"Книга"}, {u"CSV", u"Text"}, {u"pdf", nullptr}};
  for (const auto& l : lookups) {
    TQRExportFilterLibraryEntry* e = library.GetFilterByExtension(l.ext);
    if (!l.name) {
      EXPECT_EQ(e, nullptr);
      continue;
    }
    ASSERT_NE(e, nullptr) << StringToUtf8(l.ext);
    EXPECT_EQ(e->FilterName, l.name);
  }
  library.RemoveFilter(ExportFilterClass<TXlsxLikeFilter>());
  EXPECT_EQ(library.GetFilterByExtension(u"xlsx"), nullptr);
  EXPECT_EQ(library.GetCount(), 1);
  EXPECT_EQ(SubstringPos(u"га", u"Книга"), 4);
  EXPECT_EQ(SubstringPos(u"x", u"Книга"), 0);
}

}  // namespace
