// Field classes: which class each type makes, conversions between the As* forms and text, display
// and edit formats, ranges, validation, old values and blobs, with the framework's error texts.
#include <gtest/gtest.h>

#include <functional>

#include "platform/classes/Streaming.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/ErrorText.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class FieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds_ = new TTestDataSet(&owner_);
    TFieldDefs* defs = ds_->GetFieldDefs();
    defs->Add(u"S", ftString, 10);
    defs->Add(u"W", ftWideString, 10);
    defs->Add(u"I", ftInteger);
    defs->Add(u"SI", ftSmallint);
    defs->Add(u"WD", ftWord);
    defs->Add(u"L", ftLargeint);
    defs->Add(u"FL", ftFloat);
    defs->Add(u"CU", ftCurrency);
    defs->Add(u"BC", ftBCD, 2)->SetPrecision(10);
    defs->Add(u"FB", ftFMTBcd, 4);
    defs->Add(u"BO", ftBoolean);
    defs->Add(u"DT", ftDateTime);
    defs->Add(u"DA", ftDate);
    defs->Add(u"TI", ftTime);
    defs->Add(u"TS", ftTimeStamp);
    defs->Add(u"BY", ftBytes, 4);
    defs->Add(u"VB", ftVarBytes, 8);
    defs->Add(u"BL", ftBlob);
    defs->Add(u"ME", ftMemo);
    defs->Add(u"WM", ftWideMemo);
    defs->Add(u"VA", ftVariant);
    defs->Add(u"AI", ftAutoInc);
    defs->Add(u"GU", ftGuid);
    defs->Add(u"SG", ftSingle);
    defs->Add(u"LW", ftLongWord);
    ds_->AddRow({});
    ds_->Open();
    ds_->Edit();
  }

  TField* F(const Char* name) { return ds_->FieldByName(name); }

  TComponent owner_{nullptr};
  TTestDataSet* ds_ = nullptr;
};

TEST_F(FieldsTest, EachTypeMakesItsFieldClass) {
  struct Case {
    const Char* field;
    TClass cls;
  } cases[] = {
      {u"S", TStringField::StaticClass()},        {u"W", TWideStringField::StaticClass()},
      {u"I", TIntegerField::StaticClass()},       {u"SI", TSmallintField::StaticClass()},
      {u"WD", TWordField::StaticClass()},         {u"L", TLargeintField::StaticClass()},
      {u"FL", TFloatField::StaticClass()},        {u"CU", TCurrencyField::StaticClass()},
      {u"BC", TBCDField::StaticClass()},          {u"FB", TFMTBCDField::StaticClass()},
      {u"BO", TBooleanField::StaticClass()},      {u"DT", TDateTimeField::StaticClass()},
      {u"DA", TDateField::StaticClass()},         {u"TI", TTimeField::StaticClass()},
      {u"TS", TSQLTimeStampField::StaticClass()}, {u"BY", TBytesField::StaticClass()},
      {u"VB", TVarBytesField::StaticClass()},     {u"BL", TBlobField::StaticClass()},
      {u"ME", TMemoField::StaticClass()},         {u"WM", TWideMemoField::StaticClass()},
      {u"VA", TVariantField::StaticClass()},      {u"AI", TAutoIncField::StaticClass()},
      {u"GU", TGuidField::StaticClass()},         {u"SG", TSingleField::StaticClass()},
      {u"LW", TLongWordField::StaticClass()},
  };
  for (const Case& c : cases) EXPECT_EQ(F(c.field)->ClassType(), c.cls) << StringToUtf8(c.field);
  // The "is a" tests other code relies on.
  EXPECT_TRUE(F(u"W")->Is<TStringField>());
  EXPECT_TRUE(F(u"AI")->Is<TIntegerField>());
  EXPECT_TRUE(F(u"CU")->Is<TFloatField>());
  EXPECT_TRUE(F(u"FB")->Is<TBCDField>());
  EXPECT_TRUE(F(u"FB")->Is<TNumericField>());
  EXPECT_TRUE(F(u"DA")->Is<TDateTimeField>());
  EXPECT_TRUE(F(u"WM")->Is<TMemoField>());
  EXPECT_TRUE(F(u"WM")->Is<TBlobField>());
  EXPECT_TRUE(F(u"VB")->Is<TBinaryField>());
  EXPECT_FALSE(F(u"L")->Is<TIntegerField>());
  EXPECT_EQ(F(u"GU")->GetSize(), 38);
  EXPECT_EQ(F(u"S")->GetSize(), 10);
  EXPECT_EQ(F(u"FL")->GetAlignment(), taRightJustify);
  EXPECT_EQ(F(u"S")->GetAlignment(), taLeftJustify);
  EXPECT_EQ(FindClass(u"TBCDField"), TBCDField::StaticClass())
      << "form resources create fields by class name";
}

TEST_F(FieldsTest, TextSetAndReadBackPerFieldClass) {
  struct Case {
    const Char* field;
    const Char* text;
    const char* asString;  // or the error message
  } cases[] = {
      {u"I", u"42", "42"},
      {u"I", u" -7 ", "-7"},
      {u"I", u"abc", "'abc' is not a valid integer value for field 'I'"},
      {u"I", u"3000000000",
       "'3000000000' is not a valid value for field 'I'. The allowed range is -2147483648 to 2147483647"},
      {u"SI", u"40000", "'40000' is not a valid value for field 'SI'. The allowed range is -32768 to 32767"},
      {u"WD", u"-1", "'-1' is not a valid value for field 'WD'. The allowed range is 0 to 65535"},
      {u"WD", u"65535", "65535"},
      {u"L", u"9000000000", "9000000000"},
      {u"LW", u"4294967295", "4294967295"},
      {u"LW", u"-1", "'-1' is not a valid value for field 'LW'. The allowed range is 0 to 4294967295"},
      {u"FL", u"12,5", "12,5"},
      {u"FL", u"1E3", "1000"},
      {u"FL", u"abc", "'abc' is not a valid floating point value for field 'FL'"},
      {u"SG", u"0,1", "0,1"},
      {u"CU", u"1234,5", "1234,5"},
      {u"BC", u"12,345", "12,34"},
      {u"BC", u"12,355", "12,36"},
      {u"BC", u"-0,5", "-0,5"},
      {u"BC", u"123456789,5",
       "'123456789,5' is not a valid value for field 'BC'. The allowed range is -100000000 to 100000000"},
      {u"BC", u"abc", "'abc' is not a valid BCD value for field 'BC'"},
      {u"FB", u"1,5", "1,5"},
      {u"BO", u"True", "True"},
      {u"BO", u"f", "False"},
      {u"BO", u"TR", "True"},
      {u"BO", u"yes", "'yes' is not a valid boolean value for field 'BO'"},
      {u"DA", u"04.03.2021", "04.03.2021"},
      {u"DA", u"31.02.2021", "'31.02.2021' is not a valid date"},
      {u"TI", u"13:45:10", "13:45:10"},
      {u"DT", u"04.03.2021 13:45:10", "04.03.2021 13:45:10"},
      {u"DT", u"04.03.2021", "04.03.2021"},
      {u"TS", u"04.03.2021 13:45:10", "04.03.2021 13:45:10"},
      {u"S", u"hello world!", "hello worl"},
      {u"W", u"Привет мир!", "Привет мир"},
      {u"ME", u"Привет, мемо", "Привет, мемо"},
      {u"WM", u"漢字 и кириллица", "漢字 и кириллица"},
      {u"VA", u"anything", "anything"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.field) + " <- " + StringToUtf8(c.text));
    F(c.field)->Clear();
    std::string result;
    try {
      F(c.field)->SetText(c.text);
      result = StringToUtf8(F(c.field)->GetAsString());
    } catch (const Exception& e) {
      result = StringToUtf8(e.Message());
      EXPECT_TRUE(F(c.field)->IsNull()) << "a rejected text leaves the value alone";
    }
    EXPECT_EQ(result, c.asString);
  }
}

TEST_F(FieldsTest, EmptyTextClearsAndNullReadsAsZeros) {
  F(u"S")->SetText(u"");
  EXPECT_FALSE(F(u"S")->IsNull()) << "an empty string is a value of a string field";
  std::pair<const Char*, const Char*> samples[] = {{u"I", u"1"},           {u"FL", u"1,5"},
                                                   {u"CU", u"2"},          {u"BC", u"3,25"},
                                                   {u"DA", u"04.03.2021"}, {u"DT", u"04.03.2021 10:00:00"},
                                                   {u"BO", u"True"},       {u"L", u"7"}};
  for (auto [name, sample] : samples) {
    SCOPED_TRACE(StringToUtf8(name));
    F(name)->SetText(sample);
    EXPECT_FALSE(F(name)->IsNull());
    F(name)->SetText(u"");
    EXPECT_TRUE(F(name)->IsNull());
    EXPECT_EQ(F(name)->GetAsString(), u"");
    EXPECT_EQ(F(name)->GetDisplayText(), u"");
    EXPECT_TRUE(VarIsNull(F(name)->GetAsVariant()));
  }
  EXPECT_EQ(F(u"I")->GetAsInteger(), 0);
  EXPECT_EQ(F(u"FL")->GetAsFloat(), 0.0);
  EXPECT_EQ(F(u"CU")->GetAsCurrency(), Currency());
  EXPECT_EQ(F(u"DT")->GetAsDateTime(), 0.0);
  EXPECT_FALSE(F(u"BO")->GetAsBoolean());
}

TEST_F(FieldsTest, AsConversionsBetweenKinds) {
  F(u"I")->SetAsInteger(42);
  EXPECT_EQ(F(u"I")->GetAsString(), u"42");
  EXPECT_EQ(F(u"I")->GetAsFloat(), 42.0);
  EXPECT_EQ(F(u"I")->GetAsCurrency(), Currency(42));
  EXPECT_EQ(F(u"I")->GetAsLargeInt(), 42);
  EXPECT_EQ(BcdToStr(F(u"I")->GetAsBCD()), u"42");
  EXPECT_EQ(VarType(F(u"I")->GetAsVariant()), varInteger);
  F(u"I")->SetAsFloat(2.5);
  EXPECT_EQ(F(u"I")->GetAsInteger(), 2) << "halves round to even";
  F(u"I")->SetAsVariant(u"17");
  EXPECT_EQ(F(u"I")->GetAsInteger(), 17);

  F(u"FL")->SetAsFloat(3.5);
  EXPECT_EQ(F(u"FL")->GetAsInteger(), 4);
  EXPECT_EQ(F(u"FL")->GetAsCurrency(), Currency::FromRaw(35000));
  F(u"FL")->SetAsCurrency(Currency::FromRaw(12345));
  EXPECT_EQ(F(u"FL")->GetAsString(), u"1,2345");

  F(u"S")->SetAsString(u"123");
  EXPECT_EQ(F(u"S")->GetAsInteger(), 123);
  EXPECT_EQ(F(u"S")->GetAsFloat(), 123.0);
  F(u"S")->SetAsString(u"abc");
  EXPECT_EQ(MessageOf([&] { F(u"S")->GetAsInteger(); }), "'abc' is not a valid integer value");
  F(u"S")->SetAsString(u"Yes");
  EXPECT_TRUE(F(u"S")->GetAsBoolean());
  F(u"S")->SetAsBoolean(false);
  EXPECT_EQ(F(u"S")->GetAsString(), u"F");
  F(u"S")->SetAsDateTime(EncodeDate(2021, 3, 4));
  EXPECT_EQ(F(u"S")->GetAsString(), u"04.03.2021");

  F(u"BO")->SetAsBoolean(true);
  EXPECT_EQ(F(u"BO")->GetAsInteger(), 1);
  EXPECT_EQ(VarType(F(u"BO")->GetAsVariant()), varBoolean);

  F(u"BC")->SetAsCurrency(Currency::FromRaw(123456));
  EXPECT_EQ(F(u"BC")->GetAsString(), u"12,35") << "12.3456 rounds to the field's 2 decimals";
  EXPECT_EQ(VarType(F(u"BC")->GetAsVariant()), varCurrency);
  EXPECT_EQ(VarType(F(u"FB")->GetAsVariant()), varNull);
  F(u"FB")->SetAsBCD(StrToBcd(u"1.23456"));
  EXPECT_EQ(F(u"FB")->GetAsString(), u"1,2346");
  EXPECT_EQ(VarType(F(u"FB")->GetAsVariant()), varFMTBcd);

  TDateTime moment = EncodeDate(2021, 3, 4) + EncodeTime(13, 45, 10, 0);
  F(u"DT")->SetAsDateTime(moment);
  EXPECT_NEAR(F(u"DT")->GetAsFloat(), moment, 1e-9);
  EXPECT_EQ(VarType(F(u"DT")->GetAsVariant()), varDate);
  EXPECT_EQ(F(u"DT")->GetAsSQLTimeStamp().Hour, 13);
  F(u"DA")->SetAsDateTime(moment);
  EXPECT_EQ(F(u"DA")->GetAsDateTime(), EncodeDate(2021, 3, 4)) << "a date field drops the time";
  F(u"TI")->SetAsDateTime(moment);
  EXPECT_NEAR(F(u"TI")->GetAsDateTime(), EncodeTime(13, 45, 10, 0), 1e-9);
  F(u"TS")->SetAsDateTime(moment);
  EXPECT_EQ(F(u"TS")->GetAsSQLTimeStamp().Year, 2021);
  EXPECT_NEAR(F(u"TS")->GetAsDateTime(), moment, 1e-9);

  F(u"L")->SetAsLargeInt(5000000000LL);
  EXPECT_EQ(MessageOf([&] { F(u"L")->GetAsInteger(); }), "Cannot access field 'L' as type Integer");
  EXPECT_EQ(MessageOf([&] { F(u"BO")->GetAsDateTime(); }), "Cannot access field 'BO' as type DateTime");
  EXPECT_EQ(MessageOf([&] { F(u"DA")->GetAsInteger(); }), "Cannot access field 'DA' as type Integer");
  EXPECT_EQ(MessageOf([&] { F(u"BL")->GetAsFloat(); }), "Cannot access field 'BL' as type Float");
}

TEST_F(FieldsTest, DisplayAndEditFormats) {
  auto* i = static_cast<TIntegerField*>(F(u"I"));
  i->SetAsInteger(1234567);
  i->SetDisplayFormat(u"#,##0");
  i->SetEditFormat(u"0");
  EXPECT_EQ(i->GetDisplayText(), u"1\u00A0234\u00A0567");
  EXPECT_EQ(i->GetText(), u"1234567");

  auto* fl = static_cast<TFloatField*>(F(u"FL"));
  fl->SetAsFloat(2.5);
  EXPECT_EQ(fl->GetDisplayText(), u"2,5");
  fl->SetDisplayFormat(u"#0.00");
  EXPECT_EQ(fl->GetDisplayText(), u"2,50");
  EXPECT_EQ(fl->GetText(), u"2,50") << "without an edit format the display format edits too";
  fl->SetDisplayFormat(u"");
  fl->SetCurrency(true);
  EXPECT_EQ(fl->GetText(), u"2,50");
  EXPECT_EQ(fl->GetDisplayText(), FloatToStrF(2.5, ffCurrency, 15, 2));

  auto* bc = static_cast<TBCDField*>(F(u"BC"));
  bc->SetAsFloat(1234.5);
  bc->SetDisplayFormat(u"#,##0.00");
  EXPECT_EQ(bc->GetDisplayText(), u"1\u00A0234,50");
  EXPECT_EQ(bc->GetAsString(), u"1234,5");

  auto* dt = static_cast<TDateTimeField*>(F(u"DT"));
  dt->SetAsDateTime(EncodeDate(2021, 3, 4) + EncodeTime(13, 45, 10, 0));
  dt->SetDisplayFormat(u"dd.mm.yyyy hh:nn");
  EXPECT_EQ(dt->GetDisplayText(), u"04.03.2021 13:45");
  EXPECT_EQ(dt->GetText(), u"04.03.2021 13:45:10");

  auto* bo = static_cast<TBooleanField*>(F(u"BO"));
  bo->SetDisplayValues(u"Да;Нет");
  bo->SetText(u"н");
  EXPECT_EQ(bo->GetDisplayText(), u"Нет");
  bo->SetText(u"ДА");
  EXPECT_TRUE(bo->GetAsBoolean());
  bo->SetDisplayValues(u";Нет");
  bo->SetText(u"");
  EXPECT_TRUE(bo->GetAsBoolean()) << "an empty true text makes empty input mean true";

  F(u"ME")->Clear();
  EXPECT_EQ(F(u"ME")->GetDisplayText(), u"(memo)");
  F(u"ME")->SetAsString(u"x");
  EXPECT_EQ(F(u"ME")->GetDisplayText(), u"(MEMO)");
  EXPECT_EQ(F(u"ME")->GetText(), u"x");
}

TEST_F(FieldsTest, ValidCharactersPerFieldClass) {
  struct Case {
    const Char* field;
    const Char* accepted;
    const Char* refused;
  } cases[] = {
      {u"I", u"0123456789+-", u",.eEa "}, {u"FL", u"0123456789+-,eE", u".a "},
      {u"BC", u"0123456789+-,", u"eE.a"}, {u"S", u"aZ,. я-", u""},
      {u"DT", u"0123456789.: ", u""},
  };
  for (const Case& c : cases) {
    for (const Char* p = c.accepted; *p; ++p)
      EXPECT_TRUE(F(c.field)->IsValidChar(*p)) << StringToUtf8(c.field) << " " << StringToUtf8(String(1, *p));
    for (const Char* p = c.refused; *p; ++p)
      EXPECT_FALSE(F(c.field)->IsValidChar(*p))
          << StringToUtf8(c.field) << " " << StringToUtf8(String(1, *p));
  }
}

TEST_F(FieldsTest, TextEventsReplaceFormatting) {
  TField* s = F(u"S");
  String received;
  s->OnGetText = [](TField* f, String& text, bool display) {
    text = (display ? u"<" : u"[") + f->GetAsString() + (display ? u">" : u"]");
  };
  s->OnSetText = [&](TField* f, const String& text) {
    received = text;
    f->SetAsString(UpperCase(text));
  };
  s->SetText(u"abc");
  EXPECT_EQ(received, u"abc");
  EXPECT_EQ(s->GetDisplayText(), u"<ABC>");
  EXPECT_EQ(s->GetText(), u"[ABC]");
}

TEST_F(FieldsTest, RangesValidationAndChangeEvents) {
  auto* i = static_cast<TIntegerField*>(F(u"I"));
  i->SetMinValue(1);
  i->SetMaxValue(10);
  EXPECT_EQ(MessageOf([&] { i->SetAsInteger(11); }),
            "'11' is not a valid value for field 'I'. The allowed range is 1 to 10");
  auto* fl = static_cast<TFloatField*>(F(u"FL"));
  fl->SetMaxValue(5);
  EXPECT_EQ(MessageOf([&] { fl->SetAsFloat(6.5); }),
            "'6,5' is not a valid value for field 'FL'. The allowed range is 0 to 5");
  auto* bc = static_cast<TBCDField*>(F(u"BC"));
  bc->SetMinValue(u"0");
  bc->SetMaxValue(u"100");
  EXPECT_EQ(MessageOf([&] { bc->SetAsFloat(-1); }),
            "'-1' is not a valid value for field 'BC'. The allowed range is 0 to 100");

  i->SetAsInteger(5);
  std::vector<int> validated;
  int changes = 0;
  i->OnValidate = [&](TField* f) {
    validated.push_back(f->GetAsInteger());
    if (f->GetAsInteger() == 7) throw EDatabaseError(u"seven is not allowed");
  };
  i->OnChange = [&](TField*) { ++changes; };
  i->SetAsInteger(6);
  EXPECT_EQ(MessageOf([&] { i->SetAsInteger(7); }), "seven is not allowed");
  EXPECT_EQ(i->GetAsInteger(), 6) << "a value the validator rejects is not stored";
  EXPECT_EQ(validated, (std::vector<int>{6, 7}));
  EXPECT_EQ(changes, 1);
}

TEST_F(FieldsTest, OldCurAndNewValues) {
  ds_->Post();
  F(u"I")->GetDataSet()->Edit();
  F(u"I")->SetAsInteger(1);
  ds_->Post();
  ds_->Edit();
  F(u"I")->SetAsInteger(2);
  EXPECT_EQ(F(u"I")->GetOldValue().AsInteger(), 1);
  EXPECT_EQ(F(u"I")->GetCurValue().AsInteger(), 1);
  EXPECT_EQ(F(u"I")->GetNewValue().AsInteger(), 2);
  EXPECT_TRUE(VarIsNull(F(u"S")->GetOldValue()));
  ds_->Post();
  EXPECT_EQ(F(u"I")->GetOldValue().AsInteger(), 2) << "outside editing the old value is the value";
  ds_->Insert();
  EXPECT_TRUE(VarIsNull(F(u"I")->GetOldValue()));
  ds_->Cancel();
}

TEST_F(FieldsTest, BlobsAndBinaryFieldsKeepTheirBytes) {
  TBytes bytes = {0, 1, 2, 255, 0x98};
  auto* blob = static_cast<TBlobField*>(F(u"BL"));
  blob->SetAsBytes(bytes);
  EXPECT_EQ(blob->GetAsBytes(), bytes);
  EXPECT_EQ(blob->GetBlobSize(), 5);
  EXPECT_TRUE(blob->GetModified());
  EXPECT_EQ(blob->GetDisplayText(), u"(BLOB)");

  TMemoryStream out;
  blob->SaveToStream(&out);
  EXPECT_EQ(out.GetSize(), 5);
  TBytesStream in(TBytes{9, 8, 7});
  static_cast<TBlobField*>(F(u"ME"))->LoadFromStream(&in);
  EXPECT_EQ(F(u"ME")->GetAsBytes(), (TBytes{9, 8, 7}));

  F(u"WM")->SetAsString(u"ab");
  EXPECT_EQ(F(u"WM")->GetAsBytes(), (TBytes{'a', 0, 'b', 0})) << "wide memos hold UTF-16LE";

  std::unique_ptr<TStream> reader(ds_->CreateBlobStream(blob, bmRead));
  EXPECT_EQ(reader->ReadAllBytes(), bytes);
  EXPECT_THROW(reader->Write("x", 1), EStreamError);

  F(u"BY")->SetAsBytes({1, 2});
  EXPECT_EQ(F(u"BY")->GetAsBytes(), (TBytes{1, 2, 0, 0})) << "fixed-size bytes are padded";
  F(u"VB")->SetAsBytes({1, 2, 3});
  EXPECT_EQ(F(u"VB")->GetAsBytes(), (TBytes{1, 2, 3}));

  ds_->Post();
  EXPECT_EQ(blob->GetAsBytes(), bytes) << "posted blobs stay";
  EXPECT_EQ(MessageOf([&] { blob->SetAsBytes({1}); }), "Dataset not in edit or insert mode");
  blob->SetReadOnly(true);
  ds_->Edit();
  EXPECT_EQ(MessageOf([&] { blob->Clear(); }), "Field 'BL' cannot be modified");
}

TEST_F(FieldsTest, ReadingWithoutADataSetSaysSo) {
  TIntegerField loose(nullptr);
  loose.SetFieldName(u"Loose");
  EXPECT_EQ(MessageOf([&] { loose.GetAsInteger(); }), "Field 'Loose' has no dataset");
  EXPECT_EQ(MessageOf([&] { loose.SetSize(5); }), "Invalid field size");
  TStringField str(nullptr);
  EXPECT_EQ(MessageOf([&] { str.SetSize(-1); }), "Invalid field size");
}

TEST(FieldListTest, NamesMustBeUniqueAndPresent) {
  TComponent owner(nullptr);
  auto* ds = new TTestDataSet(&owner);
  ds->SetName(u"Table1");
  auto* a = new TIntegerField(&owner);
  a->SetFieldName(u"A");
  a->SetDataSet(ds);
  auto* dup = new TIntegerField(&owner);
  dup->SetFieldName(u"a");
  EXPECT_EQ(MessageOf([&] { dup->SetDataSet(ds); }), "Table1: Duplicate field name 'a'");
  auto* unnamed = new TIntegerField(&owner);
  EXPECT_EQ(MessageOf([&] { unnamed->SetDataSet(ds); }), "Table1: Field name missing");
  EXPECT_EQ(ds->GetFieldCount(), 1);
  EXPECT_EQ(MessageOf([&] { ds->Open(); }), "Table1: Field 'A' not found")
      << "a persistent field needs its column";
  EXPECT_FALSE(ds->GetActive());
  ds->GetFieldDefs()->Add(u"A", ftString, 5);
  EXPECT_EQ(MessageOf([&] { ds->Open(); }),
            "Table1: Type mismatch for field 'A', expecting: Integer actual: String");
  ds->GetFieldDefs()->Clear();
  ds->GetFieldDefs()->Add(u"A", ftLargeint);
  ds->Open();
  EXPECT_TRUE(ds->GetActive()) << "a persistent integer field binds to any integer column";
  EXPECT_EQ(MessageOf([&] { dup->SetDataSet(ds); }),
            "Table1: Cannot perform this operation on an open dataset");
  ds->Close();
  delete a;
  EXPECT_EQ(ds->GetFieldCount(), 0) << "a freed field leaves its dataset";
}

TEST(FieldListTest, FieldsFromAFormResourceBindToTheirDataSet) {
  const char* text =
      "object Form1: TComponent\n"
      "  object Table1: TTestDataSet\n"
      "    object Table1ID: TIntegerField\n"
      "      FieldName = 'ID'\n"
      "      DisplayLabel = 'Код'\n"
      "    end\n"
      "    object Table1NAME: TStringField\n"
      "      FieldName = 'NAME'\n"
      "      Size = 30\n"
      "      Required = True\n"
      "    end\n"
      "  end\n"
      "end\n";
  RegisterClass(TTestDataSet::StaticClass());
  TStringStream input(Utf8ToString(text), TEncoding::UTF8());
  TMemoryStream binary;
  ObjectTextToBinary(&input, &binary);
  binary.SetPosition(0);
  TComponent form(nullptr);
  binary.ReadComponent(&form);
  auto* table = dynamic_cast<TTestDataSet*>(form.FindComponent(u"Table1"));
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->GetFieldCount(), 2);
  TField* name = table->FieldByName(u"NAME");
  EXPECT_EQ(name->GetOwner(), &form);
  EXPECT_EQ(name->GetSize(), 30);
  EXPECT_TRUE(name->GetRequired());
  EXPECT_EQ(table->FieldByName(u"ID")->GetDisplayLabel(), u"Код");
  table->GetFieldDefs()->Add(u"ID", ftInteger);
  table->GetFieldDefs()->Add(u"NAME", ftString, 30);
  table->GetFieldDefs()->Add(u"EXTRA", ftString, 30);
  table->AddRow({1, u"one", u"extra"});
  table->Open();
  EXPECT_EQ(table->GetFieldCount(), 2) << "persistent fields take precedence over the columns";
  EXPECT_EQ(table->FieldByName(u"NAME")->GetAsString(), u"one");
}

}  // namespace
