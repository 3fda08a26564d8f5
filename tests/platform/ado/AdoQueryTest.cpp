// TADOQuery against the real server: parameters, types, field classes, batches, bad input.
#include <gtest/gtest.h>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

using AdoQueryTest = AdoTest;

TEST_F(AdoQueryTest, CastsDateLiteralAndTwoParametersRun) {
  TADOQuery* q = Query(
      u"select :amount::numeric(10,2) as amount, to_char(:moment::timestamp, 'DD.MM.YYYY HH24:MI:SS') as "
      u"moment,\n"
      u"       to_timestamp('05.03.2024 13:14:15', 'DD.MM.YYYY HH24:MI:SS')::timestamp as parsed");
  ASSERT_EQ(q->Parameters()->GetCount(), 2);
  q->Parameters()->ParamByName(u"amount")->SetValue(VarFMTBcdCreate(u"1234.565", 10, 3));
  q->Parameters()->ParamByName(u"MOMENT")->SetValue(
      VarFromDateTime(EncodeDateTime(2024, 3, 5, 13, 14, 15, 0)));
  q->Open();
  ASSERT_EQ(q->RecordCount(), 1);
  EXPECT_TRUE(q->FieldByName(u"amount")->InheritsFrom(TBCDField::StaticClass()));
  EXPECT_EQ(BcdToSqlStr(q->FieldByName(u"amount")->GetAsBCD()), u"1234.57");
  EXPECT_EQ(q->FieldByName(u"moment")->GetAsString(), u"05.03.2024 13:14:15");
  EXPECT_EQ(q->FieldByName(u"parsed")->GetAsDateTime(), EncodeDateTime(2024, 3, 5, 13, 14, 15, 0));
}

TEST_F(AdoQueryTest, CyrillicTextRoundTripsThroughParametersAndResults) {
  Exec(u"create table t.names(id serial primary key, name varchar(50), note text)");
  const String name = u"Ёлка «Щука» — ЪЫЬ эюя ё";
  TADOQuery* ins = Query(u"insert into t.names(name, note) values (:name, :note)");
  ins->Parameters()->ParamByName(u"name")->SetValue(Variant(name));
  ins->Parameters()->ParamByName(u"note")->SetValue(Variant(String(u"примечание 😀")));
  EXPECT_EQ(ins->ExecSQL(), 1);
  TADOQuery* q = Query(u"select name, note, length(name) as len from t.names where name = :name");
  q->Parameters()->ParamByName(u"name")->SetValue(Variant(name));
  q->Open();
  ASSERT_EQ(q->RecordCount(), 1);
  EXPECT_EQ(q->FieldByName(u"name")->GetAsString(), name);
  EXPECT_EQ(q->FieldByName(u"note")->GetAsString(), u"примечание 😀");
  EXPECT_EQ(q->FieldByName(u"len")->GetAsInteger(), static_cast<int>(name.size()));
  EXPECT_TRUE(
      q->Locate(u"name", Variant(String(u"ёлка «щука» — ъыь ЭЮЯ Ё")), TLocateOptions{loCaseInsensitive}));
}

TEST_F(AdoQueryTest, ParameterValuesNeverBecomeStatementText) {
  Exec(u"create table t.victim(id int primary key, s text)");
  Exec(u"insert into t.victim values (1, 'keep')");
  const String hostile[] = {
      u"x'); drop table t.victim; --", u"1; delete from t.victim",     u"'' or 1=1 --",
      u"\\'; select pg_sleep(0); --",  u"$$; drop table t.victim; $$",
  };
  int id = 2;
  for (const String& value : hostile) {
    TADOQuery* ins = Query(u"insert into t.victim(id, s) values (:id, :s)");
    ins->Parameters()->ParamByName(u"id")->SetValue(Variant(id++));
    ins->Parameters()->ParamByName(u"s")->SetValue(Variant(value));
    EXPECT_EQ(ins->ExecSQL(), 1);
    TADOQuery* q = Query(u"select count(*) as n from t.victim where s = :s");
    q->Parameters()->ParamByName(u"s")->SetValue(Variant(value));
    q->Open();
    EXPECT_EQ(q->FieldByName(u"n")->GetAsInteger(), 1) << StringToUtf8(value);
  }
  EXPECT_EQ(Scalar(u"select count(*) from t.victim"), u"6");
  EXPECT_EQ(Scalar(u"select s from t.victim where id = 1"), u"keep");
}

struct TypeCase {
  const Char* expression;
  TClass fieldClass;
  const Char* text;  // AsString of the value
};

TEST_F(AdoQueryTest, FieldClassesFollowTheDriversColumnTypes) {
  const TypeCase cases[] = {
      {u"1::int2", TSmallintField::StaticClass(), u"1"},
      {u"-2::int4", TIntegerField::StaticClass(), u"-2"},
      {u"9000000000::int8", TLargeintField::StaticClass(), u"9000000000"},
      {u"12.5::numeric(10,2)", TBCDField::StaticClass(), u"12,5"},
      {u"123456789.123456::numeric(28,6)", TFMTBCDField::StaticClass(), u"123456789,123456"},
      {u"1.5::real", TFloatField::StaticClass(), u"1,5"},
      {u"2.25::float8", TFloatField::StaticClass(), u"2,25"},
      {u"12.34::money", TBCDField::StaticClass(), u"12,34"},
      {u"'текст'::text", TWideStringField::StaticClass(), u"текст"},
      {u"'вц'::varchar(20)", TWideStringField::StaticClass(), u"вц"},
      {u"'ab'::char(3)", TWideStringField::StaticClass(), u"ab "},
      {u"'2024-03-05'::date", TDateField::StaticClass(), u"05.03.2024"},
      {u"'13:14:15'::time", TTimeField::StaticClass(), u"13:14:15"},
      {u"'2024-03-05 13:14:15'::timestamp", TDateTimeField::StaticClass(), u"05.03.2024 13:14:15"},
      {u"'2024-03-05 13:14:15+00'::timestamptz", TDateTimeField::StaticClass(), nullptr},
      {u"true", TStringField::StaticClass(), u"1"},
      {u"false", TStringField::StaticClass(), u"0"},
      {u"'\\x0102'::bytea", TBlobField::StaticClass(), nullptr},
      {u"'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11'::uuid", TGuidField::StaticClass(),
       u"{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}"},
  };
  for (const TypeCase& c : cases) {
    TADOQuery* q = Query(String(u"select ") + c.expression + u" as v");
    q->Open();
    TField* f = q->FieldByName(u"v");
    EXPECT_TRUE(f->InheritsFrom(c.fieldClass))
        << StringToUtf8(c.expression) << " gave " << StringToUtf8(f->ClassName());
    if (c.text) {
      EXPECT_EQ(StringToUtf8(f->GetAsString()), StringToUtf8(c.text)) << StringToUtf8(c.expression);
    }
  }
}

TEST_F(AdoQueryTest, BooleansArriveAsEightBitText) {
  TADOQuery* q = Query(u"select true as yes, false as no, null::bool as unknown");
  q->Open();
  EXPECT_TRUE(q->FieldByName(u"yes")->InheritsFrom(TStringField::StaticClass()));
  EXPECT_FALSE(q->FieldByName(u"yes")->InheritsFrom(TWideStringField::StaticClass()));
  EXPECT_EQ(q->FieldByName(u"yes")->GetSize(), 5);
  EXPECT_EQ(q->FieldByName(u"yes")->GetAsString(), u"1");
  EXPECT_EQ(q->FieldByName(u"no")->GetAsString(), u"0");
  EXPECT_TRUE(q->FieldByName(u"unknown")->IsNull());
}

TEST_F(AdoQueryTest, RepeatedColumnNamesGetSuffixes) {
  TADOQuery* q = Query(u"select 1 as id, 2 as id, 3 as ID, 4 as id_1x");
  q->Open();
  ASSERT_EQ(q->GetFieldCount(), 4);
  EXPECT_EQ(q->GetFields()->GetField(0)->GetFieldName(), u"id");
  EXPECT_EQ(q->GetFields()->GetField(1)->GetFieldName(), u"id_1");
  // The server folds the unquoted ID to id.
  EXPECT_EQ(q->GetFields()->GetField(2)->GetFieldName(), u"id_2");
  EXPECT_EQ(q->FieldByName(u"id_1")->GetAsInteger(), 2);
  EXPECT_EQ(q->FieldByName(u"id_2")->GetAsInteger(), 3);
}

TEST_F(AdoQueryTest, AnEmptyResultReadsAsEmptyValues) {
  TADOQuery* q = Query(u"select 1 as n, 'x'::text as s, now() as d where false");
  q->Open();
  EXPECT_TRUE(q->IsEmpty());
  EXPECT_EQ(q->RecordCount(), 0);
  EXPECT_EQ(q->RecNo(), -1);
  EXPECT_EQ(q->FieldByName(u"s")->GetAsString(), u"");
  EXPECT_EQ(q->FieldByName(u"n")->GetAsInteger(), 0);
  EXPECT_TRUE(q->FieldByName(u"d")->IsNull());
}

TEST_F(AdoQueryTest, NullParametersAndNullsInResults) {
  Exec(u"create table t.n(id int, amount numeric(15,4), d date, s text)");
  TADOQuery* ins = Query(u"insert into t.n values (:id, :amount, :d, :s)");
  ins->Parameters()->ParamByName(u"id")->SetValue(Variant(1));
  ins->Parameters()->ParamByName(u"amount")->SetValue(Variant::Null());
  ins->Parameters()->ParamByName(u"d")->SetValue(Variant::Null());
  ins->Parameters()->ParamByName(u"s")->SetValue(Variant::Null());
  EXPECT_EQ(ins->ExecSQL(), 1);
  TADOQuery* q = Query(u"select * from t.n");
  q->Open();
  EXPECT_TRUE(q->FieldByName(u"amount")->IsNull());
  EXPECT_TRUE(q->FieldByName(u"d")->IsNull());
  EXPECT_TRUE(q->FieldByName(u"s")->IsNull());
  EXPECT_EQ(q->FieldByName(u"s")->GetAsString(), u"");
}

TEST_F(AdoQueryTest, AnEmptyTextParameterIsAnEmptyStringNotNull) {
  TADOQuery* q = Query(u"select cast(:a as text) = '' as empty, cast(:b as text) is null as missing");
  q->Parameters()->ParamByName(u"a")->SetValue(Variant(String()));
  q->Parameters()->ParamByName(u"b")->SetValue(Variant(String()));
  q->Open();
  EXPECT_EQ(q->FieldByName(u"empty")->GetAsString(), u"1");
  EXPECT_EQ(q->FieldByName(u"missing")->GetAsString(), u"0");
}

TEST_F(AdoQueryTest, ParameterKindsReachTheServerTyped) {
  // Integers, decimals, dates and bytes go typed; doubles, booleans and text go as literals whose type
  // the statement decides (the driver's way), so they are read here through casts.
  TADOQuery* q = Query(
      u"select pg_typeof(:i)::text as i, pg_typeof(:big)::text as big, pg_typeof(:c)::text as c,\n"
      u"       pg_typeof(:d)::text as d, pg_typeof(:bytes)::text as bytes, :c::text as ctext,\n"
      u"       :d::text as dtext, length(:bytes) as blen, (:f::float8 * 2)::text as f2, (not :b::bool)::text "
      u"as nb,\n"
      u"       length(:long::bytea) as longlen");
  q->Parameters()->ParamByName(u"i")->SetValue(Variant(5));
  q->Parameters()->ParamByName(u"big")->SetValue(Variant(Int64(9000000000)));
  q->Parameters()->ParamByName(u"f")->SetValue(Variant(1.5));
  q->Parameters()->ParamByName(u"c")->SetValue(Variant(Currency::FromRaw(123456789)));
  q->Parameters()->ParamByName(u"d")->SetValue(VarFromDateTime(EncodeDateTime(2024, 3, 5, 1, 2, 3, 456)));
  q->Parameters()->ParamByName(u"b")->SetValue(Variant(true));
  q->Parameters()->ParamByName(u"bytes")->SetValue(VarArrayOfBytes(TBytes{0, 1, 2, 255}));
  q->Parameters()->ParamByName(u"long")->SetValue(VarArrayOfBytes(TBytes(100000, 7)));
  q->Open();
  EXPECT_EQ(q->FieldByName(u"i")->GetAsString(), u"integer");
  EXPECT_EQ(q->FieldByName(u"big")->GetAsString(), u"bigint");
  EXPECT_EQ(q->FieldByName(u"c")->GetAsString(), u"numeric");
  EXPECT_EQ(q->FieldByName(u"ctext")->GetAsString(), u"12345.6789");
  EXPECT_EQ(q->FieldByName(u"d")->GetAsString(), u"timestamp without time zone");
  EXPECT_EQ(q->FieldByName(u"dtext")->GetAsString(), u"2024-03-05 01:02:03.456");
  EXPECT_EQ(q->FieldByName(u"bytes")->GetAsString(), u"bytea");
  EXPECT_EQ(q->FieldByName(u"blen")->GetAsInteger(), 4);
  EXPECT_EQ(q->FieldByName(u"longlen")->GetAsInteger(), 100000);
  EXPECT_EQ(q->FieldByName(u"f2")->GetAsString(), u"3");
  EXPECT_EQ(q->FieldByName(u"nb")->GetAsString(), u"false");
}

TEST_F(AdoQueryTest, ADateTypedParameterTakesADoubleDate) {
  // A date picker's value is a plain double; the parameter's DataType says what it is.
  TADOQuery* q = Query(u"select :data::date = date '2024-03-05' as same");
  q->Parameters()->ParamByName(u"data")->SetDataType(ftDateTime);
  q->Parameters()->ParamByName(u"data")->SetValue(Variant(EncodeDate(2024, 3, 5)));
  q->Open();
  EXPECT_EQ(q->FieldByName(u"same")->GetAsString(), u"1");
}

TEST_F(AdoQueryTest, BatchesRunEveryStatement) {
  Exec(u"create table t.b(id int)");
  TADOQuery* batch = Query(
      u"insert into t.b values (1);\ninsert into t.b values (2), (3);\nupdate t.b set id = id + 10 where id "
      u"> 1;");
  EXPECT_EQ(batch->ExecSQL(), 5);
  EXPECT_EQ(batch->RowsAffected(), 5);
  // Opening a batch: the first row set is the dataset, the statements after it run too.
  TADOQuery* open = Query(u"delete from t.b where id = 1; select count(*) as n from t.b; truncate t.b;");
  open->Open();
  EXPECT_EQ(open->FieldByName(u"n")->GetAsInteger(), 2);
  EXPECT_EQ(Scalar(u"select count(*) from t.b"), u"0");
  // A failing statement in the middle is reported with the server's text.
  TADOQuery* bad = Query(u"insert into t.b values (1); select nosuch from t.b;");
  try {
    bad->Open();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find(u"nosuch"), String::npos) << StringToUtf8(e.Message());
  }
  EXPECT_FALSE(bad->GetActive());
}

TEST_F(AdoQueryTest, OpenWithoutARowSetAndServerErrorsRaiseClearly) {
  try {
    Query(u"select nosuch_column from pg_class")->Open();
    FAIL() << "no error";
  } catch (const EADOError& e) {
    EXPECT_EQ(e.SQLState(), u"42703");
    EXPECT_NE(e.Message().find(u"column \"nosuch_column\" does not exist"), String::npos);
    EXPECT_GE(connection_->Errors()->Count(), 1);
    EXPECT_EQ(connection_->Errors()->GetItem(0).SQLState, u"42703");
  }
  Exec(u"create table t.e(id int)");
  TADOQuery* noRows = Query(u"insert into t.e values (1)");
  EXPECT_THROW(noRows->Open(), EDatabaseError);
  // The statement ran all the same, as a statement sent to the server does.
  EXPECT_EQ(Scalar(u"select count(*) from t.e"), u"1");
  // The connection goes on after errors.
  EXPECT_EQ(Scalar(u"select 2"), u"2");
}

TEST_F(AdoQueryTest, LongTextsAndBinaryValuesComeWhole) {
  Exec(u"create table t.big(id int, s text, v varchar, b bytea)");
  Exec(
      u"insert into t.big select g, repeat('ж', 20000 + g), repeat('x', 300), decode(repeat('00ff', 40000), "
      u"'hex') "
      u"from generate_series(1, 3) g");
  Exec(u"insert into t.big select g, 'short', 'v', '\\x01' from generate_series(4, 600) g");
  TADOQuery* q = Query(u"select * from t.big order by id");
  q->Open();
  ASSERT_EQ(q->RecordCount(), 600);
  EXPECT_EQ(q->FieldByName(u"s")->GetAsString().size(), 20001u);
  EXPECT_EQ(q->FieldByName(u"v")->GetAsString().size(), 300u);
  EXPECT_EQ(q->FieldByName(u"b")->GetAsBytes().size(), 80000u);
  q->Next();
  q->Next();
  EXPECT_TRUE(q->FieldByName(u"s")->GetAsString() == String(20003, u'ж'));
  q->Last();
  EXPECT_EQ(q->FieldByName(u"s")->GetAsString(), u"short");
  EXPECT_EQ(q->FieldByName(u"b")->GetAsBytes(), TBytes{1});
}

TEST_F(AdoQueryTest, PersistentFieldsDecideTheFieldClasses) {
  TADOQuery* q = Query(u"select 15::numeric(15,0) as id, 7::int4 as amount, true as flag");
  auto* id = new TIntegerField(q);
  id->SetFieldName(u"id");
  id->SetDataSet(q);
  auto* amount = new TBCDField(q);
  amount->SetFieldName(u"amount");
  amount->SetDataSet(q);
  q->Open();
  EXPECT_EQ(q->GetFieldCount(), 2);
  EXPECT_EQ(q->FieldByName(u"id"), id);
  EXPECT_EQ(id->GetAsInteger(), 15);
  EXPECT_EQ(amount->GetAsCurrency(), Currency(7));
  EXPECT_EQ(q->FindField(u"flag"), nullptr);
}

TEST_F(AdoQueryTest, FailuresAUserMeetsSayWhatHappenedInPlainWordsAboveTheServersText) {
  Exec(u"create table t.parent(id int primary key)");
  Exec(u"create table t.child(id int primary key, parent int references t.parent)");
  Exec(u"insert into t.parent values (1)");
  Exec(u"insert into t.child values (1, 1)");
  SuperuserSql(database_, "create schema kiv_closed; create table kiv_closed.secret(x int)");
  struct Case {
    const char16_t* sql;
    const char16_t* lead;  // empty: the server's text alone
  } cases[] = {
      {u"insert into t.parent values (1)", u"Такая запись уже есть"},
      {u"insert into t.child values (2, 7)", u"Запись связана с другими данными"},
      {u"delete from t.parent where id = 1", u"Запись связана с другими данными"},
      {u"select * from kiv_closed.secret", u"Недостаточно прав"},
      {u"do $$ begin raise exception 'could not serialize' using errcode = '40001'; end $$",
       u"в то же время изменяет другой пользователь"},
      {u"do $$ begin raise exception 'deadlock' using errcode = '40P01'; end $$",
       u"в то же время изменяет другой пользователь"},
      {u"do $$ begin raise exception 'busy' using errcode = '55P03'; end $$",
       u"в то же время изменяет другой пользователь"},
      {u"selec 1", u""},
      {u"do $$ begin raise exception 'Своё сообщение'; end $$", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.sql));
    try {
      Exec(c.sql);
      ADD_FAILURE() << "no error";
    } catch (const EADOError& e) {
      const String text = e.Message();
      const String server = e.ServerText();
      EXPECT_FALSE(server.empty());
      if (String(c.lead).empty()) {
        EXPECT_EQ(text, server);
        continue;
      }
      const size_t end = text.find(u'\n');
      ASSERT_NE(end, String::npos) << StringToUtf8(text);
      EXPECT_NE(text.substr(0, end).find(c.lead), String::npos) << StringToUtf8(text);
      EXPECT_EQ(text.substr(end + 1), server);
    }
  }
  // The records stay as they were.
  EXPECT_EQ(Scalar(u"select count(*) from t.parent"), u"1");
  EXPECT_EQ(Scalar(u"select count(*) from t.child"), u"1");
}

}  // namespace
