// Helpers of the report tests: a report on a form with bands and text controls built in a line or
// two, a dataset of rows, and the pages of a run read back as text from their metafiles.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/Fields.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "reportlib/engine/QRControllers.h"
#include "reportlib/engine/RezavOze.h"
#include "reportlib/engine/controls/QRDataTexts.h"
#include "tests/platform/data/conformance/TestDataSet.h"

inline std::string U8(const String& s) { return StringToUtf8(s); }

// One text record of a page: where it was drawn (device pixels of the page) and what.
struct TPageText {
  Integer X = 0, Y = 0;
  std::string Text;
};

inline std::vector<TPageText> PageTexts(TMetafile* page) {
  std::vector<TPageText> out;
  for (const TEmfTextRecord& r : MetafileTextRecords(page))
    out.push_back({r.Position.X, r.Position.Y, U8(r.Text)});
  return out;
}

// A report form: owner of the report, its bands, controls and the dataset.
class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeReportControls();
    form_ = std::make_unique<TForm>(nullptr, 0);
    data_ = new TTestDataSet(form_.get());
    data_->SetName(u"Data");
    report_ = new TRezavOze(form_.get());
    report_->SetName(u"RezavOze1");
    report_->SetShowProgress(false);
  }
  void TearDown() override { form_.reset(); }

  // Fields as (name, type, size) before the rows.
  void Field(const String& name, TFieldType type, Integer size = 0) {
    data_->GetFieldDefs()->Add(name, type, size, false);
  }

  TQRBand* Band(TQRBandType type, Extended heightMM) {
    auto* band = new TQRBand(form_.get());
    band->SetName(QRBandNameBase(type) + IntToStr(++bands_));
    band->SetParent(report_);
    band->SetBandType(type);
    band->GetSize()->SetLength(heightMM);
    return band;
  }
  TQRGroup* Group(const String& expression, Extended heightMM) {
    auto* group = new TQRGroup(form_.get());
    group->SetName(u"Group" + IntToStr(++bands_));
    group->SetParent(report_);
    group->SetExpression(expression);
    group->GetSize()->SetLength(heightMM);
    return group;
  }

  template <class T>
  T* Control(TQRCustomBand* band, Extended leftMM, Extended topMM, Extended widthMM) {
    auto* c = new T(form_.get());
    c->SetName(u"C" + IntToStr(++controls_));
    c->SetParent(band);
    c->GetSize()->SetLeft(leftMM);
    c->GetSize()->SetTop(topMM);
    c->GetSize()->SetWidth(widthMM);
    c->SetAutoSize(false);
    return c;
  }
  TQRLabel* Label(TQRCustomBand* band, const String& caption, Extended leftMM = 0, Extended widthMM = 60) {
    auto* l = Control<TQRLabel>(band, leftMM, 0, widthMM);
    l->SetCaption(caption);
    return l;
  }
  TQRDBText* DBText(TQRCustomBand* band, const String& field, Extended leftMM = 0, Extended widthMM = 60) {
    auto* t = Control<TQRDBText>(band, leftMM, 0, widthMM);
    t->SetDataSet(data_);
    t->SetDataField(field);
    return t;
  }
  TQRExpr* Expr(TQRCustomBand* band, const String& expression, Extended leftMM = 0, Extended widthMM = 60) {
    auto* e = Control<TQRExpr>(band, leftMM, 0, widthMM);
    e->SetExpression(expression);
    return e;
  }

  // All pages of the report's printer as text records.
  std::vector<std::vector<TPageText>> Pages(TQRPrinter* printer = nullptr) {
    if (!printer) printer = report_->GetQRPrinter();
    std::vector<std::vector<TPageText>> pages;
    for (Integer i = 1; printer && i <= printer->GetPageCount(); ++i) {
      std::unique_ptr<TMetafile> page = printer->GetPage(i);
      EXPECT_TRUE(page) << "page " << i;
      if (page) pages.push_back(PageTexts(page.get()));
    }
    return pages;
  }
  // The texts of every page in drawing order, pages separated by "|".
  std::vector<std::string> Flat(const std::vector<std::vector<TPageText>>& pages) {
    std::vector<std::string> out;
    for (size_t p = 0; p < pages.size(); ++p) {
      if (p) out.push_back("|");
      for (const TPageText& t : pages[p]) out.push_back(t.Text);
    }
    return out;
  }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TRezavOze* report_ = nullptr;
  int bands_ = 0, controls_ = 0;
};
