// The generation run: bands in order, page and column flow, groups with their sums, stretching
// texts across pages, requests and their errors.
#include "tests/reportlib/engine/ReportTestSupport.h"

TEST_F(ReportTest, DetailPrintsEveryRecordOnceInOrder) {
  Field(u"name", ftString, 30);
  for (int i = 1; i <= 5; ++i) data_->AddRow({String(u"Запись ") + IntToStr(i)});
  data_->Open();
  report_->SetDataSet(data_);
  Label(Band(rbTitle, 10), u"Заголовок");
  DBText(Band(rbDetail, 5), u"name");
  report_->Prepare();
  EXPECT_EQ(Flat(Pages()), (std::vector<std::string>{"Заголовок", "Запись 1", "Запись 2", "Запись 3",
                                                     "Запись 4", "Запись 5"}));
  EXPECT_TRUE(report_->GetAvailable());
}
