// Field definitions and the data structure: classes and value types per field type, sizes and widths,
// names and lookups, building from definitions, and restructuring with records following their fields.
#include <gtest/gtest.h>

#include "tests/gridlib/memtable/store/StoreFixture.h"

TEST(MemTableDataStruct, FieldTypeTablesGiveClassAndValueType) {
  struct Case {
    TFieldType type;
    TClass cls;
    TVarType varType;
  };
  const Case cases[] = {
      {ftUnknown, TMTRefObjectFieldEh::StaticClass(), varUnknown},
      {ftString, TMTStringDataFieldEh::StaticClass(), varString},
      {ftWideString, TMTStringDataFieldEh::StaticClass(), varUString},
      {ftFixedWideChar, TMTStringDataFieldEh::StaticClass(), varOleStr},
      {ftInteger, TMTNumericDataFieldEh::StaticClass(), varInteger},
      {ftAutoInc, TMTNumericDataFieldEh::StaticClass(), varInteger},
      {ftLargeint, TMTNumericDataFieldEh::StaticClass(), varInt64},
      {ftFloat, TMTNumericDataFieldEh::StaticClass(), varDouble},
      {ftBCD, TMTNumericDataFieldEh::StaticClass(), varCurrency},
      {ftFMTBcd, TMTNumericDataFieldEh::StaticClass(), varFMTBcd},
      {ftSingle, TMTNumericDataFieldEh::StaticClass(), varSingle},
      {ftBoolean, TMTBooleanDataFieldEh::StaticClass(), varBoolean},
      {ftDateTime, TMTDateTimeDataFieldEh::StaticClass(), varDate},
      {ftVariant, TMTVariantDataFieldEh::StaticClass(), varVariant},
      {ftBlob, TMTBlobDataFieldEh::StaticClass(), varArray | varByte},
      {ftMemo, TMTBlobDataFieldEh::StaticClass(), varString},
      {ftWideMemo, TMTBlobDataFieldEh::StaticClass(), varOleStr},
      {ftInterface, TMTInterfaceDataFieldEh::StaticClass(), varUnknown},
      {ftTimeStamp, TMTSQLTimeStampDataFieldEh::StaticClass(), varSQLTimeStamp},
      {ftTimeStampOffset, TMTSQLTimeStampDataFieldEh::StaticClass(), varSQLTimeStampOffset},
  };
  TMemTableDataEh store(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    EXPECT_EQ(DefaultDataFieldClassForFieldTypeEh(c.type), c.cls);
    TMTDataFieldEh* field =
        store.GetDataStruct()->BuildDataFieldForDef(u"F" + IntToStr(static_cast<int>(c.type)), c.type, 0, 0);
    EXPECT_EQ(field->GetDataType(), c.type);
    EXPECT_EQ(field->VarDataType(), c.varType);
  }
  for (TFieldType none :
       {ftCursor, ftADT, ftArray, ftReference, ftDataSet, ftConnection, ftParams, ftStream, ftObject}) {
    EXPECT_EQ(DefaultDataFieldClassForFieldTypeEh(none), nullptr);
    Integer before = store.GetDataStruct()->GetCount();
    EXPECT_THROW(store.GetDataStruct()->BuildDataFieldForDef(u"X", none, 0, 0), EDatabaseError);
    EXPECT_EQ(store.GetDataStruct()->GetCount(), before);
  }
}

TEST(MemTableDataStruct, SizesWidthsAndDataTypeAssignment) {
  TMemTableDataEh store(nullptr);
  TMTDataStructEh* ds = store.GetDataStruct();
  auto* str = static_cast<TMTStringDataFieldEh*>(ds->CreateField(TMTStringDataFieldEh::StaticClass()));
  EXPECT_EQ(str->GetSize(), 20);
  str->SetStringDataType(fdtGuidEh);
  EXPECT_EQ(str->GetSize(), 38);
  EXPECT_EQ(str->GetDisplayWidth(), 38);
  str->SetSize(250);
  EXPECT_EQ(str->GetDisplayWidth(), 100);
  for (TClass cls : {TMTDateTimeDataFieldEh::StaticClass(), TMTBooleanDataFieldEh::StaticClass(),
                     TMTBlobDataFieldEh::StaticClass(), TMTInterfaceDataFieldEh::StaticClass()}) {
    try {
      ds->CreateField(cls)->SetSize(5);
      ADD_FAILURE() << U8(cls->ClassName());
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(), u"Invalid field size");
    }
  }
  auto* num = static_cast<TMTNumericDataFieldEh*>(ds->CreateField(TMTNumericDataFieldEh::StaticClass()));
  EXPECT_EQ(num->GetAlignment(), taRightJustify);
  EXPECT_EQ(num->GetPrecision(), 15);
  EXPECT_THROW(num->SetSize(2), EDatabaseError);
  num->SetNumericDataType(fdtBCDEh);
  EXPECT_EQ(num->GetSize(), 4);
  EXPECT_EQ(num->GetDisplayWidth(), 16);
  try {
    num->AssignDataType(ftString);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Can not assign DataType from Field");
  }
  TMTDataFieldEh* floatField = ds->BuildDataFieldForDef(u"Fl", ftFloat, 0, 0);
  EXPECT_EQ(static_cast<TMTNumericDataFieldEh*>(floatField)->GetNumericDataType(), fdtFloatEh);
  EXPECT_EQ(floatField->VarDataType(), varDouble);
  // A variant field keeps its creation-time value type when given ftBytes, but the published subtype
  // setter recomputes it.
  auto* var = static_cast<TMTVariantDataFieldEh*>(ds->CreateField(TMTVariantDataFieldEh::StaticClass()));
  var->AssignDataType(ftBytes);
  EXPECT_EQ(var->VarDataType(), varVariant);
  var->SetVariantDataType(fdtVarBytes);
  EXPECT_EQ(var->VarDataType(), varArray | varByte);
  // Assign between unlike classes copies only the common settings; Size only when both size themselves.
  str->SetDisplayLabel(u"Подпись");
  num->Assign(str);
  EXPECT_EQ(num->GetDisplayLabel(), u"Подпись");
  EXPECT_EQ(num->GetSize(), 250);  // both size themselves
  EXPECT_EQ(num->GetNumericDataType(), fdtBCDEh);
  auto* date = static_cast<TMTDateTimeDataFieldEh*>(ds->CreateField(TMTDateTimeDataFieldEh::StaticClass()));
  date->Assign(str);
  EXPECT_EQ(date->GetSize(), 0);
}

TEST(MemTableDataStruct, NamesLookupsAndComponentNames) {
  TMemTableDataEh store(nullptr);
  store.SetName(u"Store1");
  TMTDataStructEh* ds = store.GetDataStruct();
  TMTDataFieldEh* price = AddField(store, u"Price", ftInteger);
  AddField(store, u"Имя", ftWideString, 10);
  AddField(store, u"1st", ftWideString, 10);
  EXPECT_EQ(price->GetName(), u"Price");
  EXPECT_EQ(ds->GetDataField(2)->GetName(), u"MTStringDataFieldEh1st");
  EXPECT_EQ(ds->FindField(u"ИМЯ"), ds->GetDataField(1));
  EXPECT_EQ(ds->FieldIndex(u"ИМЯ"), -1);
  EXPECT_EQ(ds->FieldIndex(u"PRICE"), 0);
  EXPECT_EQ(ds->FieldsIndex(u"1st;Price"), (TIntArray{2, 0}));
  EXPECT_TRUE(ds->FieldsIndex(u"Missing").empty());
  try {
    ds->FieldsIndex(u"Price;Missing");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"DataStruct: Field 'Missing' not found");
  }
  try {
    AddField(store, u"price", ftInteger);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Store1: Duplicate field name 'price'");
  }
  try {
    ds->CheckFieldName(u"");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Store1: Field name missing");
  }
  price->SetFieldName(u"price");
  EXPECT_EQ(price->GetFieldName(), u"price");
  EXPECT_EQ(price->GetName(), u"price2");
  EXPECT_EQ(price->GetGUID().size(), 38u);
}

TEST(MemTableDataStruct, UpdatesAnnounceOnlyWhenAsked) {
  TMemTableDataEh store(nullptr);
  TRecordsListNotificatorEh listener(nullptr);
  int changes = 0;
  listener.OnStructChanged = [&](TMemTableDataEh*) { ++changes; };
  listener.SetDataObject(&store);
  TMTDataStructEh* ds = store.GetDataStruct();
  ds->BeginUpdate();
  AddField(store, u"A", ftInteger);
  ds->GetDataField(0)->SetDisplayLabel(u"a");
  ds->EndUpdate(false);
  EXPECT_EQ(changes, 0);
  ds->BeginUpdate();
  AddField(store, u"B", ftInteger);
  ds->EndUpdate(true);
  EXPECT_EQ(changes, 1);
  ds->GetDataField(1)->SetIndex(0);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(ds->GetDataField(0)->GetFieldName(), u"B");
}

TEST(MemTableDataStruct, RestructureMovesValuesByFieldAndConvertsThem) {
  TMemTableDataEh store(nullptr);
  AddField(store, u"Keep", ftInteger);
  AddField(store, u"Gone", ftInteger);
  AddField(store, u"Text", ftWideString, 20);
  AddField(store, u"Num", ftWideString, 20);
  TRecordsListEh* list = store.GetRecordsList();
  AddRow(store, {1, 10, u"abcdefghij", u"42"});
  AddRow(store, {2, 20, u"xyz", u"not a number"});
  list->SetCachedUpdates(true);
  SetRowValue(list->GetRec(1), 2, u"changed text");

  TMTDataStructEh* copy = store.GetDataStruct()->BeginRestructure();
  delete copy->FieldByName(u"Gone");
  static_cast<TMTStringDataFieldEh*>(copy->FieldByName(u"Text"))->SetStringDataType(fdtStringEh);
  copy->FieldByName(u"Text")->SetSize(5);
  copy->ChangeFieldType(u"Num", TMTNumericDataFieldEh::StaticClass());
  static_cast<TMTNumericDataFieldEh*>(copy->FieldByName(u"Num"))->SetNumericDataType(fdtIntegerEh);
  copy->BuildDataFieldForDef(u"Added", ftInteger, 0, 0);
  store.GetDataStruct()->EndRestructure(copy, true);

  TMTDataStructEh* ds = store.GetDataStruct();
  ASSERT_EQ(ds->GetCount(), 4);
  EXPECT_EQ(ds->GetDataField(2)->GetFieldName(), u"Num");
  EXPECT_EQ(ds->GetDataField(2)->GetAlignment(), taRightJustify);
  TMemoryRecordEh* first = list->GetRec(0);
  EXPECT_EQ(first->GetDataValue(0, dvvValueEh).AsInteger(), 1);
  EXPECT_EQ(VarToStr(first->GetDataValue(1, dvvValueEh)), u"abcde");
  EXPECT_EQ(first->GetDataValue(2, dvvValueEh).AsInteger(), 42);
  EXPECT_TRUE(first->GetDataValue(3, dvvValueEh).IsNull());
  TMemoryRecordEh* second = list->GetRec(1);
  EXPECT_TRUE(second->GetDataValue(2, dvvValueEh).IsNull());
  EXPECT_EQ(VarToStr(second->GetDataValue(1, dvvValueEh)), u"chang");
  EXPECT_EQ(VarToStr(second->GetDataValue(1, dvvOldValueEh)), u"xyz");
}

TEST(MemTableDataStruct, FieldDefsRoundTripAndRestructMode) {
  TMemTableDataEh store(nullptr);
  TFieldDefs defs(nullptr);
  defs.Add(u"Id", ftAutoInc, 0, true);
  defs.Add(u"Name", ftWideString, 30);
  TFieldDef* amount = defs.Add(u"Amount", ftBCD, 2);
  amount->SetPrecision(10);
  store.GetDataStruct()->BuildStructFromFieldDefs(&defs);
  TMTDataStructEh* ds = store.GetDataStruct();
  ASSERT_EQ(ds->GetCount(), 3);
  EXPECT_TRUE(ds->GetDataField(0)->GetAutoIncrement());
  EXPECT_TRUE(ds->GetDataField(0)->GetRequired());
  EXPECT_EQ(ds->GetDataField(1)->GetSize(), 30);
  EXPECT_EQ(static_cast<TMTNumericDataFieldEh*>(ds->GetDataField(2))->GetPrecision(), 10);
  TFieldDefs back(nullptr);
  ds->BuildFieldDefsFromStruct(&back);
  ASSERT_EQ(back.GetCount(), 3);
  EXPECT_EQ(back.GetItem(0)->GetDataType(), ftAutoInc);
  EXPECT_TRUE(back.GetItem(0)->GetRequired());
  EXPECT_EQ(back.GetItem(2)->GetSize(), 2);
  EXPECT_EQ(back.GetItem(2)->GetPrecision(), 10);

  store.BeginRestruct();
  try {
    store.BeginRestruct();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"MemTableData already in RestructMode.");
  }
  store.CancelRestruct();
  EXPECT_FALSE(store.GetRestructMode());
}
