// A report read from a form resource as the report forms keep theirs: bands, labels, field texts,
// system data and the measures in 0.1 mm, then generated.
#include <cstring>

#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"
#include "tests/reportlib/engine/ReportTestSupport.h"

namespace {

const char* kReportForm = R"(object ReportForm: TForm
  object RezavOze1: TRezavOze
    DataSet = Data
    Options = [FirstPageHeader, LastPageFooter]
    Page.Columns = 1
    Page.Orientation = poPortrait
    Page.PaperSize = A4
    Page.Values = (
      100.000000000000000000
      2970.000000000000000000
      100.000000000000000000
      2100.000000000000000000
      100.000000000000000000
      100.000000000000000000
      0.000000000000000000)
    PrintIfEmpty = True
    ShowProgress = False
    object QRBand1: TQRBand
      BandType = rbTitle
      Size.Values = (
        100.000000000000000000
        1900.000000000000000000)
      object QRLabel1: TQRLabel
        Caption = 'Отчёт'
        AutoSize = False
        Size.Values = (
          50.000000000000000000
          0.000000000000000000
          0.000000000000000000
          600.000000000000000000)
        FontSize = 12
      end
    end
    object QRBand5: TQRBand
      BandType = rbDetail
      Size.Values = (
        42.000000000000000000
        1900.000000000000000000)
      object QRDBText1: TQRDBText
        DataSet = Data
        DataField = 'name'
        AutoSize = False
        Size.Values = (
          40.000000000000000000
          100.000000000000000000
          0.000000000000000000
          600.000000000000000000)
      end
    end
    object QRBand6: TQRBand
      BandType = rbPageFooter
      Height = 23
      object QRSysData1: TQRSysData
        Data = qrsPageNumber
        Text = 'Стр. '
        Left = 600
        Top = 2
        Width = 60
        Height = 17
      end
    end
  end
end
)";

}  // namespace

TEST_F(ReportTest, AReportReadFromItsFormResourceGenerates) {
  delete report_;
  report_ = nullptr;
  form_->SetName(u"ReportForm");
  Field(u"name", ftString, 20);
  data_->AddRow({u"первая"});
  data_->AddRow({u"вторая"});
  data_->Open();
  TMemoryStream text;
  text.WriteBuffer(kReportForm, static_cast<Integer>(std::strlen(kReportForm)));
  text.SetPosition(0);
  ReadComponentFromStream(&text, form_.get());
  auto* report = dynamic_cast<TRezavOze*>(form_->FindComponent(u"RezavOze1"));
  ASSERT_TRUE(report);
  EXPECT_EQ(report->GetDataSet(), data_);
  EXPECT_EQ(report->GetBandList().size(), 3u);
  auto* label = dynamic_cast<TQRLabel*>(form_->FindComponent(u"QRLabel1"));
  ASSERT_TRUE(label);
  EXPECT_EQ(label->GetFont()->GetSize(), 12);
  EXPECT_DOUBLE_EQ(label->GetSize()->GetRaw(3), 600);
  // Bounds given in pixels only become measures: 23 pixels are 60.85 tenths of a millimetre.
  auto* footer = dynamic_cast<TQRBand*>(form_->FindComponent(u"QRBand6"));
  EXPECT_NEAR(footer->GetSize()->GetRaw(0), 23 * 254 / 96.0, 0.01);
  label->SetCaption(u"Отчёт за май");
  report->Prepare();
  TQRPrinter* printer = report->GetQRPrinter();
  ASSERT_EQ(printer->GetPageCount(), 1);
  std::unique_ptr<TMetafile> page = printer->GetPage(1);
  std::vector<std::string> texts;
  for (const TPageText& t : PageTexts(page.get())) texts.push_back(t.Text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Отчёт за май", "первая", "вторая", "Стр. 1"}));
}
