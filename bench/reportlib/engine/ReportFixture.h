// The grouped report of the generation benchmarks: a group by kind with its sum, one line of two
// field texts per record, over an in-memory dataset of the given number of records.
#pragma once

#include <cstdlib>
#include <memory>

#include "platform/controls/Forms.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QRControllers.h"
#include "reportlib/engine/RezavOze.h"
#include "reportlib/engine/controls/QRDataTexts.h"
#include "tests/platform/data/conformance/TestDataSet.h"

struct TReportFixture {
  explicit TReportFixture(int records) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    InitializeReportControls();
    form = std::make_unique<TForm>(nullptr, 0);
    data = new TTestDataSet(form.get());
    data->GetFieldDefs()->Add(u"nom", ftString, 40);
    data->GetFieldDefs()->Add(u"marka", ftString, 40);
    data->GetFieldDefs()->Add(u"massa", ftFloat);
    for (int i = 0; i < records; ++i)
      data->AddRow({i < records / 2 ? u"Заготовки" : u"Краска", u"Изделие " + IntToStr(i), i * 0.25});
    data->Open();
    report = new TRezavOze(form.get());
    report->SetDataSet(data);
    report->SetShowProgress(false);
    auto band = [&](TQRBandType type) {
      auto* b = new TQRBand(form.get());
      b->SetParent(report);
      b->SetBandType(type);
      b->GetSize()->SetLength(5);
      return b;
    };
    auto text = [&](TQRCustomBand* b, const String& field, Extended left) {
      auto* t = new TQRDBText(form.get());
      t->SetParent(b);
      t->SetAutoSize(false);
      t->GetSize()->SetLeft(left);
      t->GetSize()->SetWidth(80);
      t->SetDataSet(data);
      t->SetDataField(field);
      return t;
    };
    auto* group = new TQRGroup(form.get());
    group->SetParent(report);
    group->SetExpression(u"nom");
    group->GetSize()->SetLength(5);
    text(group, u"nom", 0);
    TQRBand* detail = band(rbDetail);
    text(detail, u"marka", 0);
    text(detail, u"massa", 100)->SetMask(u"#0.000");
    TQRBand* footer = band(rbGroupFooter);
    group->SetFooterBand(footer);
    auto* sum = new TQRExpr(form.get());
    sum->SetParent(footer);
    sum->SetExpression(u"SUM(massa)");
    sum->SetMaster(report);
    sum->SetResetAfterPrint(true);
  }
  std::unique_ptr<TForm> form;
  TTestDataSet* data = nullptr;
  TRezavOze* report = nullptr;
};
