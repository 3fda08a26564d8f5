// The store's streamed form: every field type in the binary and the text form, value forms such as time
// stamps and blobs, the auto-increment counter, and refusal of truncated or corrupt streams.
#include <gtest/gtest.h>

#include "platform/rtl/FormatSettings.h"
#include "tests/gridlib/memtable/store/StoreFixture.h"

namespace {

struct FieldSample {
  const Char* name;
  TFieldType type;
  Integer size;
  Variant value;
};

TSQLTimeStamp Stamp(int fractions) {
  TSQLTimeStamp ts;
  ts.Year = 2024;
  ts.Month = 3;
  ts.Day = 5;
  ts.Hour = 7;
  ts.Minute = 8;
  ts.Second = 9;
  ts.Fractions = static_cast<LongWord>(fractions);
  return ts;
}

TSQLTimeStampOffset StampOffset(int zoneHour, int zoneMinute) {
  TSQLTimeStampOffset ts;
  ts.Year = 2024;
  ts.Month = 3;
  ts.Day = 5;
  ts.Hour = 7;
  ts.Minute = 8;
  ts.Second = 9;
  ts.TimeZoneHour = static_cast<SmallInt>(zoneHour);
  ts.TimeZoneMinute = static_cast<SmallInt>(zoneMinute);
  return ts;
}

std::vector<FieldSample> AllTypes() {
  return {
      {u"S", ftString, 10, Variant(u"текст")},
      {u"FC", ftFixedChar, 4, Variant(u"ab")},
      {u"WS", ftWideString, 20, Variant(u"Юникод ✓")},
      {u"G", ftGuid, 38, Variant(u"{00000000-0000-0000-0000-000000000001}")},
      {u"FWC", ftFixedWideChar, 5, Variant(u"ш")},
      {u"OI", ftOraInterval, 20, Variant(u"1 day")},
      {u"SI", ftSmallint, 0, Variant(static_cast<SmallInt>(-12))},
      {u"I", ftInteger, 0, Variant(123456)},
      {u"W", ftWord, 0, Variant(65000)},
      {u"F", ftFloat, 0, Variant(3.25)},
      {u"C", ftCurrency, 0, Variant(Currency::FromRaw(123456))},
      {u"BCD", ftBCD, 4, Variant(Currency::FromRaw(-75000))},
      {u"AI", ftAutoInc, 0, Variant(77)},
      {u"LI", ftLargeint, 0, Variant(static_cast<Int64>(9000000000LL))},
      {u"FB", ftFMTBcd, 4, VarFMTBcdCreate(u"1234.5", 18, 4)},
      {u"LW", ftLongWord, 0, Variant(static_cast<LongWord>(4000000000u))},
      {u"SH", ftShortint, 0, Variant(static_cast<ShortInt>(-5))},
      {u"BY", ftByte, 0, Variant(static_cast<Byte>(200))},
      {u"EX", ftExtended, 0, Variant(1.0e300)},
      {u"SG", ftSingle, 0, Variant(1.5f)},
      {u"BO", ftBoolean, 0, Variant(true)},
      {u"D", ftDate, 0, Variant::FromDate(45356.0)},
      {u"T", ftTime, 0, Variant::FromDate(0.5)},
      {u"DT", ftDateTime, 0, Variant::FromDate(45356.25)},
      {u"BT", ftBytes, 16, VarArrayOfBytes({1, 2, 3})},
      {u"VB", ftVarBytes, 16, VarArrayOfBytes({0, 255})},
      {u"V", ftVariant, 0, Variant(u"anything")},
      {u"BL", ftBlob, 0, VarArrayOfBytes({9, 8, 7, 0, 1})},
      {u"ME", ftMemo, 0, Variant(u"memo text")},
      {u"GR", ftGraphic, 0, VarArrayOfBytes({0x42, 0x4D})},
      {u"FM", ftFmtMemo, 0, Variant(u"{\\rtf1}")},
      {u"PO", ftParadoxOle, 0, VarArrayOfBytes({1})},
      {u"DO", ftDBaseOle, 0, VarArrayOfBytes({2})},
      {u"TB", ftTypedBinary, 0, VarArrayOfBytes({3})},
      {u"OC", ftOraClob, 0, Variant(u"clob")},
      {u"WM", ftWideMemo, 0, Variant(u"широкий мемо")},
      {u"TS", ftTimeStamp, 0, VarSQLTimeStampCreate(Stamp(45))},
      {u"OTS", ftOraTimeStamp, 0, VarSQLTimeStampCreate(Stamp(0))},
      {u"TSO", ftTimeStampOffset, 0, VarSQLTimeStampOffsetCreate(StampOffset(-5, -30))},
      {u"OB", ftOraBlob, 0, Variant::Null()},
      {u"IF", ftInterface, 0, Variant::Null()},
      {u"ID", ftIDispatch, 0, Variant::Null()},
      {u"RO", ftUnknown, 0, Variant::Null()},
  };
}

void FillAllTypes(TMemTableDataEh& store) {
  for (const FieldSample& s : AllTypes()) AddField(store, s.name, s.type, s.size);
  TRecordsListEh* list = store.GetRecordsList();
  TMemoryRecordEh* full = list->NewRecord();
  std::vector<FieldSample> samples = AllTypes();
  for (size_t i = 0; i < samples.size(); ++i)
    full->SetDataValue(static_cast<Integer>(i), dvvValueEh, samples[i].value);
  list->FetchRecord(full);
  list->FetchRecord(list->NewRecord());  // all null
}

String Describe(const Variant& v) {
  if (v.IsNull()) return u"<null>";
  if (v.Type() == (varArray | varByte)) {
    String s = u"bytes:";
    for (Byte b : v.GetBytes()) s += IntToStr(static_cast<int>(b)) + u",";
    return s;
  }
  if (VarIsSQLTimeStamp(v) || VarIsSQLTimeStampOffset(v)) return FormatSQLTimeStampTextEh(v);
  return VarTypeAsText(v.Type()) + u":" + VarToStr(v);
}

void ExpectSameStores(TMemTableDataEh& a, TMemTableDataEh& b) {
  ASSERT_EQ(a.GetDataStruct()->GetCount(), b.GetDataStruct()->GetCount());
  for (Integer f = 0; f < a.GetDataStruct()->GetCount(); ++f) {
    TMTDataFieldEh* fa = a.GetDataStruct()->GetDataField(f);
    TMTDataFieldEh* fb = b.GetDataStruct()->GetDataField(f);
    EXPECT_EQ(fa->ClassType(), fb->ClassType()) << U8(fa->GetFieldName());
    EXPECT_EQ(fa->GetFieldName(), fb->GetFieldName());
    EXPECT_EQ(fa->GetDataType(), fb->GetDataType()) << U8(fa->GetFieldName());
    EXPECT_EQ(fa->GetSize(), fb->GetSize()) << U8(fa->GetFieldName());
  }
  ASSERT_EQ(a.GetRecordsList()->GetCount(), b.GetRecordsList()->GetCount());
  for (Integer r = 0; r < a.GetRecordsList()->GetCount(); ++r)
    for (Integer f = 0; f < a.GetDataStruct()->GetCount(); ++f) {
      Variant va = a.GetRecordsList()->GetValue(r, f);
      Variant vb = b.GetRecordsList()->GetValue(r, f);
      EXPECT_EQ(Describe(va), Describe(vb))
          << U8(a.GetDataStruct()->GetDataField(f)->GetFieldName()) << " row " << r;
    }
}

std::string StreamText(TMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize()));
}

}  // namespace

TEST(MemTableStream, EveryFieldTypeRoundTripsInBinaryAndTextForm) {
  for (bool text : {false, true}) {
    SCOPED_TRACE(text ? "text" : "binary");
    TMemTableDataEh source(nullptr);
    FillAllTypes(source);
    // A blob given as one-byte text keeps its characters; a null blob reads back as null.
    TMemoryStream stream;
    source.SaveToStream(&stream, text);
    if (text) {
      EXPECT_NE(StreamText(stream).find("object TMemTableDataEh"), std::string::npos);
    }
    stream.SetPosition(0);
    TMemTableDataEh loaded(nullptr);
    loaded.LoadFromStream(&stream);
    ExpectSameStores(source, loaded);
  }
}

TEST(MemTableStream, TimeStampAndDecimalTexts) {
  EXPECT_EQ(FormatSQLTimeStampTextEh(VarSQLTimeStampCreate(Stamp(0))), u"2024-03-05T07:08:09");
  EXPECT_EQ(FormatSQLTimeStampTextEh(VarSQLTimeStampCreate(Stamp(45))), u"2024-03-05T07:08:09.045");
  EXPECT_EQ(FormatSQLTimeStampTextEh(VarSQLTimeStampOffsetCreate(StampOffset(-5, -30))),
            u"2024-03-05T07:08:09-05:30");
  EXPECT_EQ(FormatSQLTimeStampTextEh(VarSQLTimeStampOffsetCreate(StampOffset(3, 0))),
            u"2024-03-05T07:08:09+03:00");
  EXPECT_EQ(FormatSQLTimeStampTextEh(VarSQLTimeStampOffsetCreate(StampOffset(0, 0))), u"2024-03-05T07:08:09");
  TSQLTimeStampOffset back = VarToSQLTimeStampOffset(
      ParseSQLTimeStampTextEh(u"2024-03-05T07:08:09.045-05:30", varSQLTimeStampOffset));
  EXPECT_EQ(back.Fractions, 45u);
  EXPECT_EQ(back.TimeZoneHour, -5);
  EXPECT_EQ(back.TimeZoneMinute, -30);
  TSQLTimeStampOffset noZone =
      VarToSQLTimeStampOffset(ParseSQLTimeStampTextEh(u"2024-03-05", varSQLTimeStampOffset));
  EXPECT_EQ(noZone.Hour, 0);
  EXPECT_EQ(noZone.TimeZoneHour, 0);
  EXPECT_THROW(ParseSQLTimeStampTextEh(u"2024-0x-05T07:08:09", varSQLTimeStamp), EConvertError);

  // A decimal is written with "." whatever the user's separator, and reads back equal.
  TMemTableDataEh store(nullptr);
  AddField(store, u"Amount", ftFMTBcd, 4);
  store.GetRecordsList()->FetchRecord(store.GetRecordsList()->NewRecord());
  store.GetRecordsList()->GetRec(0)->SetDataValue(0, dvvValueEh, VarFMTBcdCreate(u"1234.5", 18, 4));
  TMemoryStream stream;
  {
    TFormatSettingsGuard russian(TFormatSettings::Russian());  // comma as decimal separator
    store.SaveToStream(&stream, true);
  }
  EXPECT_NE(StreamText(stream).find("1234.5"), std::string::npos);
  stream.SetPosition(0);
  TMemTableDataEh loaded(nullptr);
  loaded.LoadFromStream(&stream);
  EXPECT_EQ(VarToStr(loaded.GetRecordsList()->GetValue(0, 0)), VarToStr(VarFMTBcdCreate(u"1234.5", 18, 4)));
}

TEST(MemTableStream, AutoIncCounterIsWrittenOnlyWhenItMoved) {
  TMemTableDataEh store(nullptr);
  AddField(store, u"Id", ftAutoInc);
  AddField(store, u"N", ftInteger);
  AddRow(store, {Variant::Null(), 1});
  store.GetRecordsList()->GetRec(0)->SetDataValue(0, dvvValueEh, 5);
  TMemoryStream fresh;
  {
    TMemTableDataEh idle(nullptr);
    AddField(idle, u"Id", ftAutoInc);
    idle.GetRecordsList()->FetchRecord(idle.GetRecordsList()->NewRecord());
    idle.SaveToStream(&fresh, true);
  }
  EXPECT_EQ(StreamText(fresh).find("AutoIncCurValue"), std::string::npos);
  AddRow(store, {Variant::Null(), 2});
  TMemoryStream moved;
  store.SaveToStream(&moved, true);
  EXPECT_NE(StreamText(moved).find("AutoIncCurValue = -3"), std::string::npos);
  moved.SetPosition(0);
  TMemTableDataEh loaded(nullptr);
  loaded.LoadFromStream(&moved);
  EXPECT_EQ(loaded.GetAutoIncrement()->GetCurValue(), -3);
  EXPECT_EQ(loaded.GetIncFieldIndexes(), (TIntArray{0}));
  AddRow(loaded, {Variant::Null(), 3});
  EXPECT_EQ(loaded.GetRecordsList()->GetValue(2, 0).AsInteger(), -3);
}

TEST(MemTableStream, UnassignedValueStopsWritingWithItsMessage) {
  TMemTableDataEh store(nullptr);
  AddField(store, u"N", ftInteger);
  TMemoryRecordEh* rec = AddRow(store, {1});
  rec->SetDataValue(0, dvvValueEh, Variant());
  TMemoryStream stream;
  try {
    store.SaveToStream(&stream);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"\"TMemoryRecordEh.WriteData\" - Invalid variant type - varEmpty");
  }
}

// Every cut of the stream and every flipped byte is refused with a stream error and the store keeps its data.
TEST(MemTableStream, TruncatedOrCorruptStreamIsRefusedAndTheStoreKeepsItsData) {
  TMemTableDataEh source(nullptr);
  FillAllTypes(source);
  TMemoryStream stream;
  source.SaveToStream(&stream);
  std::vector<Byte> bytes(static_cast<const Byte*>(stream.Memory()),
                          static_cast<const Byte*>(stream.Memory()) + stream.GetSize());

  TMemTableDataEh target(nullptr);
  AddField(target, u"Keep", ftWideString, 10);
  AddRow(target, {u"mine"});
  auto expectKept = [&](const std::string& what) {
    ASSERT_EQ(target.GetDataStruct()->GetCount(), 1) << what;
    ASSERT_EQ(target.GetRecordsList()->GetCount(), 1) << what;
    EXPECT_EQ(VarToStr(target.GetRecordsList()->GetValue(0, 0)), u"mine") << what;
  };
  int refused = 0;
  for (size_t cut = 0; cut < bytes.size(); cut += 7) {
    TMemoryStream part;
    part.Write(bytes.data(), static_cast<Integer>(cut));
    part.SetPosition(0);
    try {
      target.LoadFromStream(&part);
      ADD_FAILURE() << "cut at " << cut << " was accepted";
    } catch (const EStreamError&) {
      ++refused;
    } catch (const EConvertError&) {
      ++refused;
    } catch (const EDatabaseError&) {
      ++refused;
    }
    expectKept("cut at " + std::to_string(cut));
  }
  EXPECT_GT(refused, 0);
  for (size_t at = 4; at < bytes.size(); at += 5) {
    std::vector<Byte> broken = bytes;
    broken[at] ^= 0x5A;
    TMemoryStream part;
    part.Write(broken.data(), static_cast<Integer>(broken.size()));
    part.SetPosition(0);
    try {
      target.LoadFromStream(&part);
      // A flipped byte inside a text or number may still read: then the load took the whole stream.
      target.GetRecordsList()->Clear();
      target.GetDataStruct()->Clear();
      AddField(target, u"Keep", ftWideString, 10);
      AddRow(target, {u"mine"});
    } catch (const Exception&) {
      expectKept("flip at " + std::to_string(at));
    }
  }
}

TEST(MemTableStream, RecordWithTooFewOrTooManyValuesIsRefused) {
  TMemTableDataEh source(nullptr);
  AddField(source, u"A", ftInteger);
  AddField(source, u"B", ftInteger);
  AddRow(source, {1, 2});
  TMemoryStream stream;
  source.SaveToStream(&stream, true);
  std::string text = StreamText(stream);
  auto load = [](const std::string& t) {
    TMemoryStream s;
    s.Write(t.data(), static_cast<Integer>(t.size()));
    s.SetPosition(0);
    TMemTableDataEh target(nullptr);
    target.LoadFromStream(&s);
  };
  ASSERT_NO_THROW(load(text));
  size_t pos = text.find("(\r\n");
  if (pos == std::string::npos) pos = text.find("(\n");
  ASSERT_NE(pos, std::string::npos) << text;
  std::string fewer = text, more = text;
  size_t two = text.find("2)", pos);
  ASSERT_NE(two, std::string::npos) << text;
  fewer.replace(two, 2, ")");
  more.replace(two, 2, "2 3)");
  EXPECT_THROW(load(fewer), EReadError);
  EXPECT_THROW(load(more), EReadError);
}

TEST(MemTableStream, RepeatedFieldNameInAStreamIsRefused) {
  TMemTableDataEh source(nullptr);
  AddField(source, u"A", ftInteger);
  AddField(source, u"B", ftInteger);
  TMemoryStream stream;
  source.SaveToStream(&stream, true);
  std::string text = StreamText(stream);
  size_t at = text.find("FieldName = 'B'");
  ASSERT_NE(at, std::string::npos) << text;
  text.replace(at, 15, "FieldName = 'a'");
  TMemoryStream broken;
  broken.Write(text.data(), static_cast<Integer>(text.size()));
  broken.SetPosition(0);
  TMemTableDataEh target(nullptr);
  AddField(target, u"Keep", ftInteger);
  try {
    target.LoadFromStream(&broken);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find(u"Duplicate field name 'a'"), String::npos);
  }
  ASSERT_EQ(target.GetDataStruct()->GetCount(), 1);
  EXPECT_EQ(target.GetDataStruct()->GetDataField(0)->GetFieldName(), u"Keep");
}
