// Data drivers without a server: reading in batches, applying the change log with update-error actions,
// one driver per table, macros, and the statements generated per server type.
#include <gtest/gtest.h>

#include <algorithm>

#include "gridlib/memtable/DataDriverEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class DataDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    provider_ = new TTestDataSet(owner_.get());
    provider_->GetFieldDefs()->Add(u"ID", ftInteger);
    provider_->GetFieldDefs()->Add(u"NAME", ftWideString, 20);
    for (int i = 1; i <= 3; ++i) provider_->AddRow({i, String(u"n") + IntToStr(i)});
    driver_ = new TDataDriverEh(owner_.get());
    driver_->SetProviderDataSet(provider_);
    driver_->SetKeyFields(u"ID");
    table_ = new TMemTableEh(owner_.get());
    table_->SetDataDriver(driver_);
    table_->SetCachedUpdates(true);
    table_->SetFetchAllOnOpen(true);
    table_->Open();
  }

  // Changes rows 1, 2 and 3 in the table's change log.
  void ChangeAll() {
    for (table_->First(); !table_->Eof(); table_->Next()) {
      table_->Edit();
      table_->FieldByName(u"NAME")->SetAsString(u"x" + table_->FieldByName(u"ID")->GetAsString());
      table_->Post();
    }
  }

  std::vector<String> ProviderNames() {
    std::vector<String> names;
    for (int i = 0; i < provider_->RowCount(); ++i) names.push_back(provider_->Row(i)[1].AsString());
    return names;
  }

  std::unique_ptr<TComponent> owner_ = std::make_unique<TComponent>(nullptr);
  TTestDataSet* provider_ = nullptr;
  TDataDriverEh* driver_ = nullptr;
  TMemTableEh* table_ = nullptr;
};

TEST_F(DataDriverTest, ReadsInBatchesAndMarksTheEnd) {
  auto* lazy = new TMemTableEh(owner_.get());
  auto* driver = new TDataDriverEh(owner_.get());
  driver->SetProviderDataSet(provider_);
  lazy->SetDataDriver(driver);
  lazy->Open();
  EXPECT_EQ(lazy->GetMemTableData()->GetRecordsList()->GetCount(), 1) << "one record for the first row";
  EXPECT_EQ(driver->ReadData(lazy->GetMemTableData(), 0), 0);
  EXPECT_EQ(driver->ReadData(lazy->GetMemTableData(), 10), 2);
  EXPECT_TRUE(driver->GetProviderEOF());
  EXPECT_EQ(driver->ReadData(lazy->GetMemTableData(), 10), 0);
}

TEST_F(DataDriverTest, AppliesEditsInsertsAndDeletesToTheProvider) {
  table_->First();
  table_->Edit();
  table_->FieldByName(u"NAME")->SetAsString(u"changed");
  table_->Post();
  table_->AppendRecord({4, u"new"});
  table_->Locate(u"ID", 2, {});
  table_->Delete();
  EXPECT_EQ(table_->ApplyUpdates(-1), 3);
  EXPECT_FALSE(table_->HasCachedChanges());
  std::vector<String> names = ProviderNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<String>{u"changed", u"n3", u"new"}));
}

TEST_F(DataDriverTest, UpdateErrorActionsDecideWhatHappensToEachRecord) {
  struct Case {
    TUpdateErrorActionEh action;
    Integer applied;
    bool pending2;  // record 2 stays in the log
    bool pending3;
  } cases[] = {
      {ueaCountinueSkip, 2, true, false},
      {ueaCountinueEh, 2, false, false},
      {ueaBreakAbortEh, 1, true, true},
  };
  for (const Case& c : cases) {
    SetUp();
    ChangeAll();
    driver_->OnUpdateRecord = [](TDataDriverEh* d, TMemTableDataEh* data, TMemoryRecordEh* rec) {
      if (rec->GetDataValue(0, dvvValueEh).AsInteger() == 2) throw EDatabaseError(u"refused");
      d->DefaultUpdateRecord(data, rec);
    };
    TUpdateErrorActionEh action = c.action;
    driver_->OnUpdateError = [action](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*,
                                      TUpdateErrorActionEh& a) { a = action; };
    EXPECT_EQ(table_->ApplyUpdates(-1), c.applied) << c.action;
    table_->Locate(u"ID", 2, {});
    EXPECT_EQ(table_->UpdateStatus() == usModified, c.pending2) << c.action;
    ASSERT_NE(table_->GetUpdateError(), nullptr);
    EXPECT_EQ(table_->GetUpdateError()->GetExceptionObject()->Message(), u"refused");
    table_->Locate(u"ID", 3, {});
    EXPECT_EQ(table_->UpdateStatus() == usModified, c.pending3) << c.action;
  }
}

TEST_F(DataDriverTest, ErrorsRaiseWithoutHandlerAndRetryIsBounded) {
  ChangeAll();
  int attempts = 0;
  driver_->OnUpdateRecord = [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*) {
    ++attempts;
    throw EDatabaseError(u"refused");
  };
  EXPECT_THROW(table_->ApplyUpdates(-1), EDatabaseError);
  EXPECT_EQ(attempts, 1);
  EXPECT_TRUE(table_->HasCachedChanges());

  attempts = 0;
  driver_->OnUpdateError = [](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, TUpdateErrorActionEh& a) {
    a = ueaRetryEh;
  };
  EXPECT_THROW(table_->ApplyUpdates(-1), EDatabaseError) << "a handler that always retries does not hang";
  EXPECT_EQ(attempts, TDataDriverEh::kMaxUpdateRetries + 1);
}

TEST_F(DataDriverTest, AChangeWhoseProviderRowIsGoneIsReportedNotCountedAsApplied) {
  table_->First();
  table_->Edit();
  table_->FieldByName(u"NAME")->SetAsString(u"lost");
  table_->Post();
  provider_->First();
  provider_->Delete();
  EXPECT_THROW(table_->ApplyUpdates(-1), EDatabaseError);
  EXPECT_TRUE(table_->HasCachedChanges());
}

TEST_F(DataDriverTest, ADriverServesOneTable) {
  auto* second = new TMemTableEh(owner_.get());
  second->SetDataDriver(driver_);
  EXPECT_EQ(table_->GetDataDriver(), nullptr);
  EXPECT_EQ(driver_->GetDataDriverConsumer(), second);
}

TEST_F(DataDriverTest, AppendingBeforeTheLastRecordIsReadIsRefusedAndAfterItWritesAtOnce) {
  auto* lazy = new TMemTableEh(owner_.get());
  auto* driver = new TDataDriverEh(owner_.get());
  driver->SetProviderDataSet(provider_);
  driver->SetKeyFields(u"ID");
  lazy->SetDataDriver(driver);
  lazy->Open();
  ASSERT_FALSE(driver->GetProviderEOF());
  try {
    lazy->Append();
    FAIL() << "the append was allowed";
  } catch (const EDatabaseError&) {
    FAIL() << "a database error instead of the refusal";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Attempt to append a record before all records have been read from DataDriver.");
  }
  EXPECT_EQ(lazy->GetState(), dsBrowse);
  EXPECT_FALSE(driver->GetProviderEOF()) << "the refusal read nothing";
  EXPECT_EQ(lazy->FieldByName(u"ID")->GetAsInteger(), 1);
  EXPECT_EQ(provider_->RowCount(), 3);

  lazy->Last();
  lazy->AppendRecord({4, u"new"});
  std::vector<String> names = ProviderNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<String>{u"n1", u"n2", u"n3", u"new"}))
      << "without cached updates the appended record is written at once";
  EXPECT_FALSE(lazy->HasCachedChanges());
}
// ---- SQL driver ----

std::vector<String> Lines(TCustomSQLCommandEh* command) {
  std::vector<String> lines;
  for (int i = 0; i < command->GetCommandText()->GetCount(); ++i)
    lines.push_back(command->GetCommandText()->Get(i));
  return lines;
}

class SqlDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = std::make_unique<TMemTableDataEh>(nullptr);
    store_->GetDataStruct()->BuildDataFieldForDef(u"ID", ftInteger, 0, 0);
    store_->GetDataStruct()->BuildDataFieldForDef(u"PART", ftInteger, 0, 0);
    store_->GetDataStruct()->BuildDataFieldForDef(u"NAME", ftWideString, 20, 0);
    store_->GetDataStruct()->BuildDataFieldForDef(u"PRICE", ftFloat, 0, 0);
    store_->GetRecordsList()->SetCachedUpdates(true);
    driver_ = std::make_unique<TCustomSQLDataDriverEh>(nullptr);
    driver_->GetDynaSQLParams()->SetUpdateTable(u"GOODS");
    driver_->GetDynaSQLParams()->SetUpdateFields(u"NAME,PRICE");
    driver_->GetDynaSQLParams()->SetKeyFields(u"ID");
  }

  TMemoryRecordEh* Fetched() {
    TMemoryRecordEh* rec = store_->GetRecordsList()->NewRecord();
    rec->SetDataValue(0, dvvValueEh, 7);
    rec->SetDataValue(1, dvvValueEh, 1);
    rec->SetDataValue(2, dvvValueEh, String(u"nut"));
    rec->SetDataValue(3, dvvValueEh, 2.5);
    store_->GetRecordsList()->FetchRecord(rec);
    return rec;
  }

  std::unique_ptr<TMemTableDataEh> store_;
  std::unique_ptr<TCustomSQLDataDriverEh> driver_;
};

TEST_F(SqlDriverTest, GeneratedStatementsTakeTheirShapeFromTheSettings) {
  TServerSpecOperationsEh ansi;
  TCustomSQLCommandEh* command = driver_->GetServiceCommand();
  TMemoryRecordEh* inserted = store_->GetRecordsList()->NewRecord();
  inserted->SetDataValue(0, dvvValueEh, 1);
  store_->GetRecordsList()->AddRecord(inserted);
  ansi.GenerateDynaSQLCommand(inserted, command);
  EXPECT_EQ(Lines(command), (std::vector<String>{u"insert into GOODS", u"  (ID, NAME, PRICE)", u"values",
                                                 u"  (:ID, :NAME, :PRICE)"}));

  TMemoryRecordEh* rec = Fetched();
  rec->Edit();
  rec->SetDataValue(3, dvvValueEh, 3.0);
  rec->Post();
  driver_->GetDynaSQLParams()->SetSkipUnchangedFields(true);
  ansi.GenerateDynaSQLCommand(rec, command);
  EXPECT_EQ(Lines(command),
            (std::vector<String>{u"update GOODS", u"set", u" PRICE = :PRICE", u"where", u" ID = :OLD_ID"}));

  driver_->GetDynaSQLParams()->SetKeyFields(u"ID,PART");
  store_->GetRecordsList()->DeleteRecord(rec->GetIndex());
  ansi.GenerateDynaSQLCommand(rec, command);
  EXPECT_EQ(Lines(command), (std::vector<String>{u"delete from GOODS", u"where", u" ID = :OLD_ID and",
                                                 u" PART = :OLD_PART"}));

  // Unchanged with SkipUnchangedFields: no text, so the driver falls back to its update command.
  TMemoryRecordEh* same = Fetched();
  same->Edit();
  same->Post();
  ansi.GenerateDynaSQLCommand(same, command);
  EXPECT_TRUE(Lines(command).empty());

  // The auto-increment field is left out of an insert's columns.
  driver_->GetSpecParams()->SetValue(u"AUTO_INCREMENT_FIELD", u"ID");
  driver_->GetDynaSQLParams()->SetKeyFields(u"ID");
  ansi.GenerateDynaSQLCommand(inserted, command);
  EXPECT_EQ(Lines(command)[1], u"  (NAME, PRICE)");
}

TEST_F(SqlDriverTest, LongColumnListsAreCutAfterSeventyCharacters) {
  TServerSpecOperationsEh ansi;
  driver_->GetDynaSQLParams()->SetUpdateFields(
      u"A_VERY_LONG_COLUMN_NAME_1,A_VERY_LONG_COLUMN_NAME_2,A_VERY_LONG_COLUMN_NAME_3,NAME");
  TMemoryRecordEh* inserted = store_->GetRecordsList()->NewRecord();
  store_->GetRecordsList()->AddRecord(inserted);
  ansi.GenerateDynaSQLCommand(inserted, driver_->GetServiceCommand());
  std::vector<String> lines = Lines(driver_->GetServiceCommand());
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[1],
            u"  (ID, A_VERY_LONG_COLUMN_NAME_1, A_VERY_LONG_COLUMN_NAME_2, A_VERY_LONG_COLUMN_NAME_3");
  EXPECT_EQ(lines[2], u"   , NAME)");
}

TEST_F(SqlDriverTest, PostgreSQLStatementsReturnTheRowAndGuardAgainstLostUpdates) {
  TPostgreSQLSpecOperationsEh pg;
  TCustomSQLCommandEh* command = driver_->GetServiceCommand();
  TMemoryRecordEh* inserted = store_->GetRecordsList()->NewRecord();
  store_->GetRecordsList()->AddRecord(inserted);
  pg.GenerateDynaSQLCommand(inserted, command);
  EXPECT_EQ(Lines(command).back(), u"returning *");

  TMemoryRecordEh* rec = Fetched();
  rec->Edit();
  rec->SetDataValue(3, dvvValueEh, 3.0);
  rec->Post();
  pg.GenerateDynaSQLCommand(rec, command);
  EXPECT_EQ(Lines(command),
            (std::vector<String>{u"update GOODS", u"set", u" NAME = :NAME,", u" PRICE = :PRICE", u"where",
                                 u" ID = :OLD_ID and", u" NAME is not distinct from :OLD_NAME and",
                                 u" PRICE is not distinct from :OLD_PRICE"}));
}

TEST_F(SqlDriverTest, ServerTypesAreRegisteredOnce) {
  std::vector<String> names = RegisteredServerTypeNames();
  EXPECT_EQ(names, (std::vector<String>{u"AnsiServer", u"Oracle", u"MSSQL", u"Interbase", u"Infromix", u"DB2",
                                        u"Sybase", u"MSAccess", u"PostgreSQL"}));
  try {
    RegisterServerSpecOperations([] { return new TMSSQLSpecOperationsEh(); });
    FAIL() << "a second MSSQL registration must raise";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Server type w ith name: \"MSSQL\" is already registered");
  }
}

TEST_F(SqlDriverTest, MacrosAreSubstitutedOnlyWhereAskedAndValuesStayParameters) {
  driver_->SetSelectSQL(u"select * from GOODS where 1=1 %Filter% /* %Filter% */");
  driver_->ApplyFilterText(u"PRICE > 1");
  EXPECT_FALSE(driver_->FilterTextSupported());
  EXPECT_EQ(driver_->GetMacroVars()->GetSpecMacros()->GetFilterMacroValue(), u"WHERE PRICE > 1");
  EXPECT_NE(driver_->GetFinalSelectSQL().find(u"%Filter%"), String::npos);

  driver_->GetMacroVars()->SetSpecMacrosUsages({smuUseFilterMacroEh, smuFilterWithANDPrecedingEh});
  driver_->ApplyFilterText(u"PRICE > 1");
  EXPECT_EQ(driver_->GetFinalSelectSQL(),
            u"select * from GOODS where 1=1 AND (PRICE > 1) /* AND (PRICE > 1) */\r\n");
  driver_->ApplyFilterText(String());
  EXPECT_EQ(driver_->GetFinalSelectSQL(), u"select * from GOODS where 1=1  /*  */\r\n");

  EXPECT_EQ(SubstituteMacro(u"a %M% b", u"%M%", u"x%M%y"), u"a x%M%y b") << "a value is not scanned again";
  EXPECT_EQ(QuoteSQLLiteralEh(u"it's; --"), u"'it''s; --'");
}

TEST_F(SqlDriverTest, AnUpdateThatChangedNoRowIsAnErrorNotAnApplication) {
  driver_->SetUpdateSQL(u"update GOODS set NAME = :NAME where ID = :OLD_ID");
  auto resolver = std::make_unique<TSQLDataDriverResolver>();
  resolver->OnExecuteCommand = [](TCustomSQLDataDriverEh*, TCustomSQLCommandEh*, TDataSet*& cursor, bool&,
                                  bool& processed) -> Integer {
    cursor = nullptr;
    processed = true;
    return 0;
  };
  auto previous = SetSQLDataDriverResolver(std::move(resolver));
  driver_->SetDeleteSQL(u"delete from GOODS where ID = :OLD_ID");
  TMemoryRecordEh* rec = Fetched();
  rec->Edit();
  rec->SetDataValue(2, dvvValueEh, String(u"bolt"));
  rec->Post();
  EXPECT_THROW(driver_->ApplyUpdates(store_.get()), EDatabaseError);
  EXPECT_EQ(rec->GetUpdateStatus(), usModified) << "the change stays pending";
  store_->GetRecordsList()->DeleteRecord(rec->GetIndex());
  EXPECT_THROW(driver_->ApplyUpdates(store_.get()), EDatabaseError) << "a delete that removed no row";
  EXPECT_EQ(rec->GetUpdateStatus(), usDeleted) << "the deletion stays pending";
  SetSQLDataDriverResolver(std::move(previous));
}

TEST_F(SqlDriverTest, ADesignCopyCarriesTheCommandsSettingsAndMacros) {
  driver_->SetSelectSQL(u"select * from %T% where 1=1");
  driver_->SetUpdateSQL(u"update GOODS set NAME = :NAME where ID = :OLD_ID");
  driver_->SetInsertSQL(u"insert into GOODS (NAME) values (:NAME)");
  driver_->SetDeleteSQL(u"delete from GOODS where ID = :OLD_ID");
  driver_->SetGetrecSQL(u"select * from GOODS where ID = :OLD_ID");
  driver_->GetSpecParams()->SetValue(u"AUTO_INCREMENT_FIELD", u"ID");
  driver_->GetMacroVars()->SetSpecMacrosUsages({smuUseFilterMacroEh});
  driver_->GetMacroVars()->SetMacro(u"%T%", u"GOODS");
  std::unique_ptr<TCustomSQLDataDriverEh> copy(driver_->CreateDesignCopy());
  EXPECT_EQ(copy->GetOwner(), nullptr);
  EXPECT_EQ(copy->GetFinalSelectSQL(), u"select * from GOODS where 1=1\r\n");
  EXPECT_EQ(copy->GetMacroVars()->GetSpecMacrosUsages(), driver_->GetMacroVars()->GetSpecMacrosUsages());
  EXPECT_EQ(copy->GetUpdateSQL(), driver_->GetUpdateSQL());
  EXPECT_EQ(copy->GetFinalInsertSQL(), driver_->GetFinalInsertSQL());
  EXPECT_EQ(copy->GetDeleteSQL(), driver_->GetDeleteSQL());
  EXPECT_EQ(copy->GetGetrecSQL(), driver_->GetGetrecSQL());
  EXPECT_EQ(copy->GetSpecParams()->GetValue(u"AUTO_INCREMENT_FIELD"), u"ID");
  EXPECT_EQ(copy->GetDynaSQLParams()->GetUpdateTable(), u"GOODS");
  // The copy is its own: changing it leaves the original as it was.
  copy->SetSelectSQL(u"select 1");
  EXPECT_NE(driver_->GetSelectSQL(), copy->GetSelectSQL());
  {
    TComponent designDb(nullptr);
    driver_->SetDesignDataBase(&designDb);
    EXPECT_EQ(driver_->GetDesignDataBase(), &designDb);
  }
  EXPECT_EQ(driver_->GetDesignDataBase(), nullptr) << "a freed design database is forgotten";
}

TEST_F(SqlDriverTest, TheResolversUpdateEventTakesOverTheApplication) {
  // Without a connection the driver's own statements would reach nothing; the event applies instead.
  auto resolver = std::make_unique<TSQLDataDriverResolver>();
  std::vector<TUpdateStatus> seen;
  resolver->OnUpdateRecord = [&](TCustomSQLDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh* rec,
                                 bool& processed) -> Integer {
    seen.push_back(rec->GetUpdateStatus());
    processed = true;
    return 1;
  };
  auto previous = SetSQLDataDriverResolver(std::move(resolver));
  TMemoryRecordEh* rec = Fetched();
  rec->Edit();
  rec->SetDataValue(2, dvvValueEh, String(u"bolt"));
  rec->Post();
  EXPECT_EQ(driver_->ApplyUpdates(store_.get()), 1);
  EXPECT_EQ(seen, std::vector<TUpdateStatus>{usModified});
  EXPECT_EQ(rec->GetUpdateStatus(), usUnmodified);
  bool processed = true;
  EXPECT_EQ(GetSQLDataDriverResolver()->GetServerSpecOperations(processed), nullptr);
  EXPECT_FALSE(processed);
  SetSQLDataDriverResolver(std::move(previous));
}

}  // namespace
