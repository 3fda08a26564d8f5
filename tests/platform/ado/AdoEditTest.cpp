// Editing through TADOTable and single-table queries, written back to the server with bound values.
#include <gtest/gtest.h>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Utf.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

class AdoEditTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    Exec(
        u"create table t.item(id serial primary key, name varchar(40) not null, price numeric(15,4), "
        u"made date default date '2024-01-02', flag bool default false)");
    Exec(u"insert into t.item(name, price) values ('первый', 1.5), ('второй', 2.25), ('третий', null)");
  }

  TADOTable* Table(const String& name) {
    auto* t = new TADOTable(owner_.get());
    t->SetConnection(connection_);
    t->SetTableName(name);
    return t;
  }
};

TEST_F(AdoEditTest, EditInsertAndDeleteAreWrittenBack) {
  TADOTable* t = Table(u"t.item");
  t->Open();
  ASSERT_EQ(t->RecordCount(), 3);
  ASSERT_TRUE(t->Locate(u"name", Variant(String(u"второй")), TLocateOptions()));
  t->Edit();
  t->FieldByName(u"price")->SetAsString(u"7,125");
  t->FieldByName(u"name")->SetAsString(u"второй' ; drop table t.item; --");
  t->Post();
  EXPECT_EQ(Scalar(u"select price::text from t.item where id = 2"), u"7.1250");
  EXPECT_EQ(Scalar(u"select name from t.item where id = 2"), u"второй' ; drop table t.item; --");
  EXPECT_EQ(t->FieldByName(u"price")->GetAsString(), u"7,125");

  // Insert: the server's defaults and sequence come back into the row.
  t->Append();
  EXPECT_LT(t->RecNo(), 0);
  t->FieldByName(u"name")->SetAsString(u"новый");
  t->Post();
  EXPECT_EQ(t->RecordCount(), 4);
  EXPECT_EQ(t->FieldByName(u"id")->GetAsInteger(), 4);
  EXPECT_EQ(t->FieldByName(u"made")->GetAsDateTime(), EncodeDate(2024, 1, 2));
  EXPECT_EQ(t->FieldByName(u"flag")->GetAsString(), u"0");
  EXPECT_EQ(Scalar(u"select count(*) from t.item where name = 'новый'"), u"1");

  ASSERT_TRUE(t->Locate(u"id", Variant(1), TLocateOptions()));
  t->Delete();
  EXPECT_EQ(t->RecordCount(), 3);
  EXPECT_EQ(Scalar(u"select count(*) from t.item"), u"3");
  EXPECT_EQ(Scalar(u"select count(*) from t.item where id = 1"), u"0");
}

TEST_F(AdoEditTest, ARowChangedOnTheServerMeanwhileIsNotOverwrittenSilently) {
  TADOTable* t = Table(u"t.item");
  t->Open();
  Exec(u"delete from t.item where id = 1");
  ASSERT_TRUE(t->Locate(u"id", Variant(1), TLocateOptions()));
  t->Edit();
  t->FieldByName(u"name")->SetAsString(u"x");
  EXPECT_THROW(t->Post(), EDatabaseError);
  t->Cancel();
  EXPECT_EQ(t->FieldByName(u"name")->GetAsString(), u"первый");
}

TEST_F(AdoEditTest, ATableWithoutAKeyChangesOneRowOfItsDuplicates) {
  Exec(u"create table t.nokey(d int, t int, delim varchar(255))");
  Exec(u"insert into t.nokey values (20240101, 100, '.'), (20240101, 100, '.'), (null, 5, ',')");
  TADOTable* t = Table(u"t.nokey");
  t->Open();
  t->First();
  t->Edit();
  t->FieldByName(u"d")->SetAsInteger(20240325);
  t->Post();
  EXPECT_EQ(Scalar(u"select count(*) from t.nokey where d = 20240325"), u"1");
  EXPECT_EQ(Scalar(u"select count(*) from t.nokey where d = 20240101"), u"1");
  // A null among the original values still finds its row.
  ASSERT_TRUE(t->Locate(u"t", Variant(5), TLocateOptions()));
  t->Edit();
  t->FieldByName(u"delim")->SetAsString(u";");
  t->Post();
  EXPECT_EQ(Scalar(u"select delim from t.nokey where t = 5"), u";");
  t->Delete();
  EXPECT_EQ(Scalar(u"select count(*) from t.nokey"), u"2");
}

TEST_F(AdoEditTest, APostTheServerRefusesRaisesAndKeepsTheEdit) {
  // The logins may not write the build stamp table (only its server function may).
  const String before = Scalar(u"select d || ' ' || t from ver");
  TADOTable* ver = Table(u"ver");
  ver->Open();
  ASSERT_FALSE(ver->IsEmpty());
  ver->Edit();
  ver->FieldByName(u"d")->SetAsInteger(20991231);
  EXPECT_THROW(ver->Post(), EDatabaseError);
  EXPECT_EQ(ver->GetState(), dsEdit);
  EXPECT_EQ(Scalar(u"select d || ' ' || t from ver"), before);
  ver->Cancel();
  EXPECT_EQ(ver->FieldByName(u"d")->GetAsString() + u" " + ver->FieldByName(u"t")->GetAsString(), before);
}

TEST_F(AdoEditTest, QueriesOverJoinsWriteTheTableOfTheChangedColumns) {
  Exec(u"create table t.stock(id serial primary key, id_item int, reserve numeric(28,6))");
  Exec(u"insert into t.stock(id_item, reserve) values (1, 0), (2, 0)");
  TADOQuery* q = Query(
      u"select s.*, i.name as item_caption, (s.reserve + 1) as computed from t.stock s, t.item i "
      u"where s.id_item = i.id order by s.id");
  q->Open();
  EXPECT_TRUE(q->FieldByName(u"computed")->GetReadOnly() || !q->FieldByName(u"computed")->CanModify());
  q->Last();
  q->Edit();
  q->FieldByName(u"reserve")->SetAsFloat(2.5);
  q->Post();
  EXPECT_EQ(Scalar(u"select reserve::text from t.stock where id = 2"), u"2.500000");
  EXPECT_EQ(Scalar(u"select name from t.item where id = 2"), u"второй");
}

TEST_F(AdoEditTest, BinaryAndLongTextValuesAreWrittenBackWhole) {
  Exec(u"create table t.doc(id int primary key, body text, picture bytea)");
  Exec(u"insert into t.doc values (1, 'old', '\\x00')");
  TADOTable* t = Table(u"t.doc");
  t->Open();
  EXPECT_TRUE(t->FieldByName(u"picture")->IsBlob());
  // Longer than the driver's bound buffers, within the 8190 characters of a text column's field.
  EXPECT_EQ(t->FieldByName(u"body")->GetSize(), 8190);
  const String body(8100, u'щ');
  TBytes picture(70000);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<Byte>(i * 7);
  t->Edit();
  t->FieldByName(u"body")->SetAsString(body);
  t->FieldByName(u"picture")->SetAsBytes(picture);
  t->Post();
  EXPECT_EQ(Scalar(u"select length(body) || ' ' || length(picture) from t.doc"), u"8100 70000");
  EXPECT_EQ(Scalar(u"select encode(substr(picture, 1, 4), 'hex') from t.doc"), u"00070e15");
  t->Close();
  t->Open();
  EXPECT_TRUE(t->FieldByName(u"body")->GetAsString() == body);
  EXPECT_TRUE(t->FieldByName(u"picture")->GetAsBytes() == picture);
}

TEST_F(AdoEditTest, CancelledInsertLeavesNothingAndRecNoComesBack) {
  TADOTable* t = Table(u"t.item");
  t->Open();
  t->Next();
  EXPECT_EQ(t->RecNo(), 2);
  t->Insert();
  EXPECT_LT(t->RecNo(), 0);
  t->FieldByName(u"name")->SetAsString(u"не сохранится");
  t->Cancel();
  EXPECT_EQ(t->RecNo(), 2);
  EXPECT_EQ(t->RecordCount(), 3);
  EXPECT_EQ(Scalar(u"select count(*) from t.item"), u"3");
}

TEST_F(AdoEditTest, RecNoPastTheEndGoesToTheLastRecord) {
  TADOTable* t = Table(u"t.item");
  t->Open();
  t->SetRecNo(3);
  t->Delete();
  t->Close();
  t->Open();
  t->SetRecNo(3);
  EXPECT_EQ(t->RecNo(), 2);
}

}  // namespace
