// TADOCommand, Refresh, and the components as a data module's form resource declares them.
#include <gtest/gtest.h>

#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Utf.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

using AdoComponentsTest = AdoTest;

TEST_F(AdoComponentsTest, CommandsRunTextWithParametersAndCountRows) {
  Exec(u"create table t.c(id int, s text)");
  TADOCommand cmd(nullptr);
  cmd.SetConnection(connection_);
  cmd.SetCommandText(u"insert into t.c select g, :s from generate_series(1, :n) g");
  ASSERT_EQ(cmd.Parameters()->GetCount(), 2);
  cmd.Parameters()->ParamByName(u"s")->SetValue(Variant(String(u"a'b;c")));
  cmd.Parameters()->ParamByName(u"n")->SetValue(Variant(3));
  EXPECT_EQ(cmd.Execute(), 3);
  // The general command: statements built as text, a result it returns is dropped.
  cmd.SetCommandText(u"update t.c set id = id + 10 where id > 1; select 1;");
  EXPECT_EQ(cmd.GetParameters()->GetCount(), 0);
  Integer affected = 0;
  cmd.Execute(affected);
  EXPECT_EQ(affected, 2);
  EXPECT_EQ(Scalar(u"select string_agg(id::text || s, ',' order by id) from t.c"), u"1a'b;c,12a'b;c,13a'b;c");
  cmd.SetCommandText(u"delete from t.nosuch");
  EXPECT_THROW(cmd.Execute(), EDatabaseError);
  TADOCommand orphan(nullptr);
  orphan.SetCommandText(u"select 1");
  EXPECT_THROW(orphan.Execute(), EDatabaseError);
}

TEST_F(AdoComponentsTest, RefreshReadsTheRowsAgainKeepingSortFilterAndPosition) {
  Exec(u"create table t.r(id int primary key, n int)");
  Exec(u"insert into t.r select g, g % 3 from generate_series(1, 9) g");
  TADOQuery* q = Query(u"select * from t.r");
  q->SetFilter(u"n = 1");
  q->SetFiltered(true);
  q->Open();
  q->SetSort(u"id DESC");
  q->SetRecNo(2);
  EXPECT_EQ(q->FieldByName(u"id")->GetAsInteger(), 4);
  Exec(u"insert into t.r values (10, 1), (11, 2)");
  Exec(u"update t.r set n = 5 where id = 1");
  q->Refresh();
  EXPECT_EQ(q->GetSort(), u"id DESC");
  EXPECT_EQ(q->RecordCount(), 3);
  EXPECT_EQ(q->RecNo(), 2);
  EXPECT_EQ(q->FieldByName(u"id")->GetAsInteger(), 7);
  q->First();
  EXPECT_EQ(q->FieldByName(u"id")->GetAsInteger(), 10);
}

TEST_F(AdoComponentsTest, ADataModuleResourceConnectsAndOpensItsQueries) {
  const String text =
      u"object DataModule6: TComponent\n"
      u"  object ADO_DB: TADOConnection\n"
      u"    Connected = True\n"
      u"    ConnectionString = '" +
      connection_->GetConnectionString() +
      u"'\n"
      u"    LoginPrompt = False\n"
      u"    Provider = 'MSDASQL.1'\n"
      u"  end\n"
      u"  object user: TADOQuery\n"
      u"    Connection = ADO_DB\n"
      u"    CursorType = ctStatic\n"
      u"    Parameters = <\n"
      u"      item\n"
      u"        Name = 's_name'\n"
      u"        Attributes = [paNullable]\n"
      u"        DataType = ftWideString\n"
      u"        NumericScale = 255\n"
      u"        Precision = 255\n"
      u"        Size = 30\n"
      u"        Value = Null\n"
      u"      end>\n"
      u"    SQL.Strings = (\n"
      u"      'select * from adm_user.users u where s_name = :s_name')\n"
      u"    object userid: TIntegerField\n"
      u"      FieldName = 'id'\n"
      u"    end\n"
      u"    object userid_person: TIntegerField\n"
      u"      FieldName = 'id_person'\n"
      u"    end\n"
      u"  end\n"
      u"  object ver: TADOTable\n"
      u"    Connection = ADO_DB\n"
      u"    CursorType = ctStatic\n"
      u"    TableName = 'ver'\n"
      u"    object verd: TIntegerField\n"
      u"      FieldName = 'd'\n"
      u"    end\n"
      u"    object verdelim: TWideStringField\n"
      u"      FieldName = 'delim'\n"
      u"      Size = 255\n"
      u"    end\n"
      u"  end\n"
      u"  object cmd_all: TADOCommand\n"
      u"    Connection = ADO_DB\n"
      u"    Parameters = <>\n"
      u"  end\n"
      u"end\n";
  TMemoryStream in, binary;
  const std::string utf8 = StringToUtf8(text);
  in.WriteBuffer(utf8.data(), static_cast<Integer>(utf8.size()));
  in.SetPosition(0);
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  TComponent module(nullptr);
  ReadComponentFromStream(&binary, &module);

  auto* db = dynamic_cast<TADOConnection*>(module.FindComponent(u"ADO_DB"));
  auto* user = dynamic_cast<TADOQuery*>(module.FindComponent(u"user"));
  auto* ver = dynamic_cast<TADOTable*>(module.FindComponent(u"ver"));
  ASSERT_TRUE(db && user && ver);
  EXPECT_TRUE(db->GetConnected());
  EXPECT_FALSE(db->GetLoginPrompt());
  EXPECT_EQ(user->GetConnection(), db);
  ASSERT_EQ(user->Parameters()->GetCount(), 1);
  EXPECT_EQ(user->Parameters()->GetItem(0)->GetDataType(), ftWideString);

  user->Parameters()->ParamByName(u"S_NAME")->SetValue(Variant(String(u"econom")));
  user->Open();
  ASSERT_EQ(user->RecordCount(), 1);
  EXPECT_EQ(user->GetFieldCount(), 2);
  EXPECT_GT(user->FieldByName(u"id")->GetAsInteger(), 0);
  user->Close();
  user->Parameters()->ParamByName(u"s_name")->SetValue(Variant(String(u"nobody")));
  user->Open();
  EXPECT_EQ(user->FieldByName(u"id")->GetAsInteger(), 0);
  EXPECT_EQ(user->FieldByName(u"id_person")->GetAsInteger(), 0);

  ver->Open();
  EXPECT_EQ(ver->FieldByName(u"delim")->GetAsString().size(), 1u);
  EXPECT_FALSE(ver->FieldByName(u"d")->IsNull());
  EXPECT_EQ(ver->GetFieldCount(), 2);
}

}  // namespace
