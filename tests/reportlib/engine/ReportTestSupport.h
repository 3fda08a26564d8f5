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
#include "platform/rtl/FloatFormat.h"
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

// The inventory list as the accounting prints such lists: a title, a page header, a group by
// nomenclature kind (field nom) with the kind's mass summed in its footer, one line per item
// (marka, massa), "page X of Y" in the page footer and the grand total in the summary.
struct TInventoryLayout {
  TQRGroup* Group = nullptr;
  TQRBand* Detail = nullptr;
  TQRBand* GroupFooter = nullptr;
  TQRBand* PageFooter = nullptr;
  TQRBand* Summary = nullptr;
  TQRSysData* PageOfPages = nullptr;
};

inline constexpr TColor kGroupColor = 0xE0E0E0;

class InventoryReportTest : public ReportTest {
 protected:
  TInventoryLayout BuildInventory(TDataSet* data) {
    TInventoryLayout l;
    report_->SetDataSet(data);
    Label(Band(rbTitle, 10), u"Номенклатура");
    TQRBand* header = Band(rbPageHeader, 6);
    Label(header, u"Марка", 0, 80);
    Label(header, u"Масса", 100, 40);
    l.Group = Group(u"nom", 6);
    l.Group->SetColor(kGroupColor);
    auto* kind = Control<TQRDBText>(l.Group, 0, 0, 120);
    kind->SetDataSet(data);
    kind->SetDataField(u"nom");
    l.Detail = Band(rbDetail, 5);
    auto* marka = Control<TQRDBText>(l.Detail, 0, 0, 90);
    marka->SetDataSet(data);
    marka->SetDataField(u"marka");
    auto* massa = Control<TQRDBText>(l.Detail, 100, 0, 40);
    massa->SetDataSet(data);
    massa->SetDataField(u"massa");
    massa->SetMask(u"#0.000");
    l.GroupFooter = Band(rbGroupFooter, 6);
    l.Group->SetFooterBand(l.GroupFooter);
    Label(l.GroupFooter, u"Итого по виду:", 40, 50);
    auto* sum = Expr(l.GroupFooter, u"SUM(massa)", 100, 40);
    sum->SetMask(u"#0.000");
    sum->SetMaster(report_);
    sum->SetResetAfterPrint(true);
    l.PageFooter = Band(rbPageFooter, 6);
    auto* pages = Control<TQRSysData>(l.PageFooter, 150, 0, 40);
    pages->SetData(qrsPageOfPages);
    l.PageOfPages = pages;
    l.Summary = Band(rbSummary, 6);
    Label(l.Summary, u"Всего:", 40, 50);
    auto* total = Expr(l.Summary, u"SUM(massa)", 100, 40);
    total->SetMask(u"#0.000");
    total->SetMaster(report_);
    return l;
  }

 public:
  struct TRow {
    std::string nom, marka;
    double massa;
  };

  // Rows of four kinds in order, masses repeating every seven items.
  static std::vector<TRow> InventoryRows(int count) {
    const char* kinds[] = {"Заготовки", "Краска", "Металл", "Продукция"};
    std::vector<TRow> rows;
    for (int i = 0; i < count; ++i)
      rows.push_back({kinds[i * 4 / count], "Изделие " + std::to_string(i + 1), (i % 7) * 1.25 + 0.125});
    return rows;
  }
  // The dataset of the inventory, opened.
  static void FillInventory(TTestDataSet* data, const std::vector<TRow>& rows) {
    data->GetFieldDefs()->Add(u"nom", ftString, 40);
    data->GetFieldDefs()->Add(u"marka", ftString, 40);
    data->GetFieldDefs()->Add(u"massa", ftFloat);
    for (const auto& r : rows) data->AddRow({Utf8ToString(r.nom), Utf8ToString(r.marka), r.massa});
    data->Open();
  }

 protected:
  // What the pages say, checked against the rows: every item once and in order, group footers with
  // their kind's sum, the grand total, a header and "page i of n" on every page.
  void ExpectInventoryPages(const std::vector<TRow>& rows, const std::vector<std::vector<TPageText>>& pages) {
    ASSERT_FALSE(pages.empty());
    std::vector<std::string> markas;
    std::vector<std::string> footerSums, expectedSums;
    for (size_t p = 0; p < pages.size(); ++p) {
      const auto& texts = pages[p];
      const std::string pageLine =
          "Страница " + std::to_string(p + 1) + " из " + std::to_string(pages.size());
      EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const TPageText& t) {
        return t.Text == pageLine;
      })) << pageLine;
      EXPECT_TRUE(
          std::any_of(texts.begin(), texts.end(), [](const TPageText& t) { return t.Text == "Марка"; }))
          << "page header on page " << p + 1;
      for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].Text == "Итого по виду:" && i + 1 < texts.size())
          footerSums.push_back(texts[i + 1].Text);
      }
    }
    // Detail lines: the marka texts in drawing order (each detail draws marka then massa).
    std::vector<std::string> expectedMarkas;
    for (const TRow& r : rows) expectedMarkas.push_back(r.marka);
    for (const auto& texts : pages)
      for (const TPageText& t : texts)
        if (std::find(expectedMarkas.begin(), expectedMarkas.end(), t.Text) != expectedMarkas.end())
          markas.push_back(t.Text);
    EXPECT_EQ(markas, expectedMarkas);
    double sum = 0, total = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
      sum += rows[i].massa;
      total += rows[i].massa;
      if (i + 1 == rows.size() || rows[i + 1].nom != rows[i].nom) {
        expectedSums.push_back(U8(FormatFloat(u"#0.000", sum)));
        sum = 0;
      }
    }
    EXPECT_EQ(footerSums, expectedSums);
    const auto& last = pages.back();
    auto it = std::find_if(last.begin(), last.end(), [](const TPageText& t) { return t.Text == "Всего:"; });
    ASSERT_NE(it, last.end());
    ASSERT_NE(it + 1, last.end());
    EXPECT_EQ((it + 1)->Text, U8(FormatFloat(u"#0.000", total)));
  }
};
