// The text helpers of the ADO components: ":name" markers and the two connection-string forms.
#include <gtest/gtest.h>

#include "platform/ado/ADODB.h"
#include "platform/ado/AdoSql.h"
#include "platform/data/Params.h"
#include "platform/rtl/Utf.h"

namespace {

struct ParamCase {
  const Char* sql;
  const Char* text;
  std::vector<String> names;
};

TEST(AdoSql, ParameterMarkersBecomePositionalOutsideQuotesCommentsAndCasts) {
  const ParamCase cases[] = {
      {u"select * from t where a = :a and b=:B", u"select * from t where a = ? and b=?", {u"a", u"B"}},
      {u"select :x::int, :x", u"select ?::int, ?", {u"x", u"x"}},
      {u"select a::numeric(10,2) from t where d = :d", u"select a::numeric(10,2) from t where d = ?", {u"d"}},
      {u"select ':no', \":no\" from t where x = :yes", u"select ':no', \":no\" from t where x = ?", {u"yes"}},
      {u"select 'it''s :no' where x=:p", u"select 'it''s :no' where x=?", {u"p"}},
      {u"select to_char(d, 'DD.MM.YYYY HH24:MI:SS') where d > :from",
       u"select to_char(d, 'DD.MM.YYYY HH24:MI:SS') where d > ?",
       {u"from"}},
      {u"select 1 -- :no\nwhere a = :a /* :no */", u"select 1 -- :no\nwhere a = ? /* :no */", {u"a"}},
      {u"select $$ :no $$, $f$ :no $f$ where a = :a", u"select $$ :no $$, $f$ :no $f$ where a = ?", {u"a"}},
      {u"select arr[1:2], a:b from t", u"select arr[1:2], a:b from t", {}},
      {u"select :\"my name\"", u"select ?", {u"my name"}},
      {u"select :имя", u"select ?", {u"имя"}},
      {u"select 'unterminated :x", u"select 'unterminated :x", {}},
      {u"select : x", u"select : x", {}},
  };
  for (const ParamCase& c : cases) {
    const TParsedSql parsed = ParseSqlParameters(c.sql);
    EXPECT_EQ(StringToUtf8(parsed.Text), StringToUtf8(c.text)) << StringToUtf8(c.sql);
    EXPECT_EQ(parsed.Names, c.names) << StringToUtf8(c.sql);
  }
}

TEST(AdoSql, ParametersAreReadFromTheTextKeepingValuesOfSameNames) {
  TParameters params(nullptr);
  params.ParseSQL(u"select :a, :b, :A", true);
  ASSERT_EQ(params.GetCount(), 2);
  params.ParamByName(u"B")->SetValue(Variant(5));
  params.ParseSQL(u"select :c, :b", true);
  ASSERT_EQ(params.GetCount(), 2);
  EXPECT_EQ(params.GetItem(0)->GetName(), u"c");
  EXPECT_EQ(params.ParamByName(u"b")->GetValue().AsInteger(), 5);
  EXPECT_EQ(params.ParamByName(u"b")->GetDataType(), ftInteger);
  try {
    params.ParamByName(u"zz");
    FAIL() << "an unknown parameter was found";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Parameter 'zz' not found");
  }
}

TEST(AdoSql, ParametersTakeTheSameTypeFromAValueAsQueryParams) {
  struct Case {
    Variant value;
    TFieldType type;
  };
  const Case cases[] = {
      {Variant(Word(7)), ftWord},      {Variant(Byte(7)), ftSmallint}, {Variant(7), ftInteger},
      {Variant(Int64(7)), ftLargeint}, {Variant(1.5), ftFloat},        {Variant(u"x"), ftWideString},
  };
  TParameters ado(nullptr);
  TParams query;
  for (const Case& c : cases) {
    EXPECT_EQ(ado.CreateParameter(u"p", ftUnknown, pdInput, 0, c.value)->GetDataType(), c.type) << c.type;
    TParam* param = query.CreateParam(ftUnknown, u"p", ptInput);
    param->SetValue(c.value);
    EXPECT_EQ(param->GetDataType(), c.type) << c.type;
  }
  // A byte array is binary on both sides, never the small integer of its elements.
  TParam* bytes = query.CreateParam(ftUnknown, u"bytes", ptInput);
  bytes->SetValue(VarArrayOfBytes({1, 2, 3}));
  EXPECT_EQ(bytes->GetDataType(), ftBlob);
  EXPECT_EQ(ado.CreateParameter(u"bytes", ftUnknown, pdInput, 0, VarArrayOfBytes({1, 2, 3}))->GetDataType(),
            ftVarBytes);
}

struct ConnectionCase {
  const Char* given;
  const Char* odbc;
};

TEST(AdoSql, ConnectionStringsReachTheDriverManagerInItsForm) {
  const ConnectionCase cases[] = {
      // An ODBC string goes as it is.
      {u"DRIVER={PostgreSQL UNICODE};DATABASE=erp;SERVER=db1;PORT=5432;UID=sys;PWD=x;",
       u"DRIVER={PostgreSQL UNICODE};DATABASE=erp;SERVER=db1;PORT=5432;UID=sys;PWD=x;"},
      // The provider form becomes a data-source string.
      {u"Provider=MSDASQL.1;Password=mbrtwqe;Persist Security Info=True;User ID=sys;Data Source=kiv_erp_dev",
       u"DSN=kiv_erp_dev;UID=sys;PWD=mbrtwqe;"},
      // A value that would break the string is put in braces.
      {u"Provider=MSDASQL.1;Password=\"a;b}c\";User ID=sys;Data Source=plant",
       u"DSN=plant;UID=sys;PWD={a;b}}c};"},
      {u"Provider=MSDASQL.1;Password={p;w};User ID= sys ;Data Source=plant;Extended Properties=\"Port=5433\"",
       u"DSN=plant;UID=sys;PWD={p;w};Port=5433;"},
  };
  for (const ConnectionCase& c : cases)
    EXPECT_EQ(StringToUtf8(OdbcConnectionString(c.given)), StringToUtf8(c.odbc)) << StringToUtf8(c.given);
}

TEST(AdoSql, ConnectionStringValuesHonourBracesAndQuotes) {
  const TConnectionPairs pairs = ParseConnectionString(u"A=1; B = {x;y}} z} ;C=\"q\"\"r;s\";;D=");
  ASSERT_EQ(pairs.size(), 4u);
  EXPECT_EQ(pairs[0].second, u"1");
  EXPECT_EQ(pairs[1].first, u"B");
  EXPECT_EQ(pairs[1].second, u"x;y} z");
  EXPECT_EQ(pairs[2].second, u"q\"r;s");
  EXPECT_EQ(pairs[3].second, u"");
  EXPECT_EQ(QuoteConnectionValue(u"plain"), u"plain");
  EXPECT_EQ(QuoteConnectionValue(u"a;b"), u"{a;b}");
}

TEST(AdoSql, EveryQuotedValueComesBackAsGivenInBothForms) {
  const char16_t* const values[] = {u"plain",        u"a;b",         u"\"secret\"", u"'secret'",
                                    u"\"unbalanced", u"'unbalanced", u"{brace",     u"x}y",
                                    u" blank ",      u"a=b",         u"mid\"quote", u""};
  for (const char16_t* value : values) {
    const String v = value;
    const TConnectionPairs odbc = ParseConnectionString(u"PWD=" + QuoteConnectionValue(v) + u";UID=u");
    EXPECT_EQ(ConnectionValue(odbc, u"PWD"), v) << StringToUtf8(v);
    EXPECT_EQ(ConnectionValue(odbc, u"UID"), u"u") << StringToUtf8(v);
    const TConnectionPairs provider = ParseConnectionString(OdbcConnectionString(
        u"Provider=MSDASQL.1;Password=" + QuoteConnectionValue(v) + u";User ID=u;Data Source=d"));
    EXPECT_EQ(ConnectionValue(provider, u"PWD"), v) << StringToUtf8(v);
    EXPECT_EQ(ConnectionValue(provider, u"DSN"), u"d") << StringToUtf8(v);
  }
}

TEST(AdoSql, IdentifiersAreQuotedPartByPart) {
  EXPECT_EQ(QuoteSqlIdentifier(u"cmn_msm.msm"), u"\"cmn_msm\".\"msm\"");
  EXPECT_EQ(QuoteSqlIdentifier(u"a\"b"), u"\"a\"\"b\"");
}

}  // namespace
