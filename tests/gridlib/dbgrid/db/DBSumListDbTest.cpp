// The footer sum list over a query of the server: the aggregates against a recomputation after
// random inserts, edits and deletes written back, and against the server's own sums at the end.
#include <gtest/gtest.h>

#include "gridlib/dbgrid/DBSumListEh.h"
#include "tests/gridlib/dbgrid/SumListModel.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

using namespace sumlist_model;

class DBSumListDbTest : public AdoTest {
 protected:
  // The server writes a point as its decimal separator.
  Currency ServerAmount(const String& sql) {
    TFormatSettings point = FormatSettings;
    point.DecimalSeparator = u'.';
    return StrToCurr(Scalar(sql), point);
  }
};

TEST_F(DBSumListDbTest, SumsOverAQueryStayEqualToARecomputationAndToTheServer) {
  Exec(u"create table t.money(id serial primary key, \"AMOUNT\" numeric(15,4))");
  Exec(u"insert into t.money(\"AMOUNT\") values (10.5), (null), (-0.0001), (12345.6789)");
  TADOQuery* query = Query(u"select id, \"AMOUNT\" from t.money order by id");
  query->Open();
  int appPosts = 0;
  query->AfterPost = [&appPosts](TDataSet*) { ++appPosts; };
  TDBSumListProducer producer(nullptr);
  AddSums(producer);
  producer.SetDataSet(query);
  RunRandomChanges(producer, query, 120, 4242u);
  if (HasFatalFailure()) return;
  EXPECT_GT(appPosts, 0) << "the application's own handler ran while the list was attached";

  TDBSumCollection* sums = producer.GetSumCollection();
  EXPECT_EQ(ServerAmount(u"select coalesce(sum(\"AMOUNT\"), 0)::text from t.money"),
            sums->GetItem(0)->SumValue);
  EXPECT_EQ(StrToInt(Scalar(u"select count(\"AMOUNT\") from t.money")), sums->GetItem(2)->SumValue.ToInt64());
  EXPECT_EQ(StrToInt(Scalar(u"select count(*) from t.money")), sums->GetItem(3)->SumValue.ToInt64());

  // Reopened from the server, the list recalculates to the same values.
  query->Close();
  query->Open();
  ExpectAgrees(producer, query, "after reopening");
}

}  // namespace
