// Parameters, field and index definitions, and the provider helpers built on them.
#include <gtest/gtest.h>

#include "platform/data/Params.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Utf.h"
#include "tests/ErrorText.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

TEST(ParamsTest, ValuesTypesAndLookupByName) {
  TParams params;
  TParam* id = params.CreateParam(ftUnknown, u"id", ptInput);
  TParam* name = params.CreateParam(ftUnknown, u"Name", ptInput);
  EXPECT_FALSE(id->GetBound());
  EXPECT_TRUE(id->IsNull());
  id->SetValue(42);
  EXPECT_EQ(id->GetDataType(), ftInteger);
  EXPECT_TRUE(id->GetBound());
  name->SetAsString(u"Иванов");
  EXPECT_EQ(name->GetDataType(), ftString);
  EXPECT_EQ(params.ParamByName(u"NAME"), name) << "names compare case-insensitively";
  EXPECT_EQ(MessageOf([&] { params.ParamByName(u"missing"); }), "Parameter 'missing' not found");

  params.SetParamValues(u"id;name", VarArrayOf({7, u"Петров"}));
  Variant both = params.GetParamValues(u"ID; Name");
  EXPECT_EQ(VarArrayGet(both, 0).AsInteger(), 7);
  EXPECT_EQ(VarArrayGet(both, 1).AsString(), u"Петров");

  TParam* when = params.CreateParam(ftUnknown, u"when", ptInput);
  when->SetAsDate(EncodeDate(2021, 3, 4) + 0.5);
  EXPECT_EQ(when->GetDataType(), ftDate);
  EXPECT_EQ(when->GetAsDateTime(), EncodeDate(2021, 3, 4));
  when->Clear();
  EXPECT_TRUE(when->IsNull());
  EXPECT_TRUE(when->GetBound()) << "a null given on purpose is bound";

  id->SetDataType(ftString);
  EXPECT_EQ(VarType(id->GetValue()), varUString) << "changing the type converts the value";

  TParams copy;
  copy.CreateParam(ftUnknown, u"id", ptInput);
  copy.AssignValues(&params);
  EXPECT_EQ(copy.ParamByName(u"id")->GetAsString(), u"7");
  EXPECT_FALSE(copy.IsEqual(&params));
}

TEST(ParamsTest, AssignFieldTakesTypeSizeAndValue) {
  TComponent owner(nullptr);
  auto* ds = new TTestDataSet(&owner);
  ds->GetFieldDefs()->Add(u"CODE", ftString, 12);
  ds->GetFieldDefs()->Add(u"SUM", ftBCD, 2)->SetPrecision(15);
  ds->AddRow({u"A-1", Variant(Currency::FromRaw(123400))});
  ds->Open();
  TParams params;
  TParam* code = params.AddParameter();
  code->AssignField(ds->FieldByName(u"CODE"));
  EXPECT_EQ(code->GetName(), u"CODE");
  EXPECT_EQ(code->GetDataType(), ftString);
  EXPECT_EQ(code->GetSize(), 12);
  EXPECT_EQ(code->GetAsString(), u"A-1");
  TParam* sum = params.AddParameter();
  sum->AssignField(ds->FieldByName(u"SUM"));
  EXPECT_EQ(sum->GetPrecision(), 15);
  EXPECT_EQ(sum->GetNumericScale(), 2);
  EXPECT_EQ(sum->GetAsCurrency(), Currency::FromRaw(123400));
}

TEST(FieldDefsTest, DefinitionsAreCheckedAndMakeFields) {
  TComponent owner(nullptr);
  auto* ds = new TTestDataSet(&owner);
  ds->SetName(u"Table1");
  TFieldDefs* defs = ds->GetFieldDefs();
  defs->Add(u"ID", ftInteger, 0, true);
  EXPECT_EQ(MessageOf([&] { defs->Add(u"id", ftString); }), "Table1: Duplicate field name 'id'");
  EXPECT_EQ(MessageOf([&] { defs->Add(u"", ftString); }), "Table1: Field name missing");
  EXPECT_EQ(defs->Add(u"S", ftString)->GetSize(), 20) << "strings default to 20 characters";
  TFieldDef* hidden = defs->Add(u"H", ftInteger);
  hidden->SetAttributes({faHiddenCol});
  TFieldDef* ro = defs->Add(u"R", ftInteger);
  ro->SetAttributes({faReadonly});
  EXPECT_EQ(defs->FieldDefByName(u"s")->GetFieldNo(), 2);
  EXPECT_EQ(MessageOf([&] { defs->FieldDefByName(u"nope"); }), "Table1: Field 'nope' not found");
  defs->Add(u"X", ftADT);
  EXPECT_EQ(MessageOf([&] { ds->Open(); }), "Table1: Field 'X' is of an unknown type");
  defs->Delete(defs->IndexOf(u"X"));
  ds->Open();
  EXPECT_TRUE(ds->DefaultFields());
  EXPECT_EQ(ds->FindField(u"H"), nullptr) << "hidden columns get no field";
  EXPECT_TRUE(ds->FieldByName(u"ID")->GetRequired());
  EXPECT_TRUE(ds->FieldByName(u"R")->GetReadOnly());
  EXPECT_EQ(ds->FieldByName(u"R")->GetFieldNo(), 4);
  ds->Close();
  EXPECT_EQ(ds->GetFieldCount(), 0) << "default fields go with the closed dataset";
}

TEST(FieldDefsTest, IndexDefinitionsAndProviderKeys) {
  TComponent owner(nullptr);
  auto* ds = new TTestDataSet(&owner);
  ds->GetFieldDefs()->Add(u"A", ftInteger);
  ds->GetFieldDefs()->Add(u"B", ftString);
  TIndexDefs* indexes = ds->GetIndexDefs();
  indexes->Add(u"BYNAME", u"B;A", {ixCaseInsensitive});
  indexes->Add(u"PK", u"A", {ixPrimary, ixUnique});
  EXPECT_THROW(indexes->Add(u"pk", u"B", {}), EDatabaseError);
  EXPECT_EQ(indexes->GetIndexForFields(u"B", true)->GetName(), u"BYNAME");
  EXPECT_EQ(indexes->GetIndexForFields(u"B", false), nullptr);
  EXPECT_EQ(indexes->FindIndexForFields(u"a")->GetName(), u"PK");
  EXPECT_THROW(indexes->FindIndexForFields(u"A;B"), EDatabaseError);
  ds->Open();
  EXPECT_EQ(ds->PSGetKeyFields(), u"A") << "the primary index when no field is flagged";
  TProviderFlags flags = ds->FieldByName(u"B")->GetProviderFlags();
  ds->FieldByName(u"B")->SetProviderFlags(flags + TProviderFlags{pfInKey});
  EXPECT_EQ(ds->PSGetKeyFields(), u"B");
  EXPECT_EQ(ds->PSGetIndexDefs({ixPrimary})->GetCount(), 1);
}

}  // namespace
