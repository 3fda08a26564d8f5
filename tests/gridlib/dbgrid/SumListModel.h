// The sum list against a recomputation: random inserts, edits and deletes on any dataset with an
// "AMOUNT" money field, the aggregates compared with a fresh walk over the records after every step.
#pragma once

#include <gtest/gtest.h>

#include <random>

#include "gridlib/dbgrid/DBSumListEh.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace sumlist_model {

struct Expected {
  Currency sum;
  Currency avg;
  Integer notNull = 0;
  Integer records = 0;
};

// A walk of its own over the records, with the position put back.
inline Expected Recompute(TDataSet* ds) {
  Expected e;
  TBookmark place = ds->GetBookmark();
  ds->DisableControls();
  for (ds->First(); !ds->Eof(); ds->Next()) {
    ++e.records;
    TField* f = ds->FieldByName(u"AMOUNT");
    if (f->GetIsNull()) continue;
    ++e.notNull;
    e.sum += f->GetAsCurrency();
  }
  if (!place.empty()) ds->GotoBookmark(place);
  ds->EnableControls();
  e.avg = e.notNull ? e.sum / e.notNull : Currency();
  return e;
}

// Sum, average and count of AMOUNT, and the count of records.
inline void AddSums(TDBSumListProducer& producer) {
  TDBSumCollection* sums = producer.GetSumCollection();
  sums->BeginUpdate();
  for (auto [op, field] :
       {std::pair{goSum, u"AMOUNT"}, {goAvg, u"amount"}, {goCount, u"AMOUNT"}, {goCount, u""}}) {
    TDBSum* sum = sums->Add();
    sum->SetGroupOperation(op);
    sum->SetFieldName(field);
  }
  sums->EndUpdate();
}

inline void ExpectAgrees(TDBSumListProducer& producer, TDataSet* ds, const std::string& where) {
  Expected e = Recompute(ds);
  TDBSumCollection* sums = producer.GetSumCollection();
  ASSERT_EQ(sums->GetItem(0)->SumValue, e.sum)
      << where << ": sum " << StringToUtf8(CurrToStr(sums->GetItem(0)->SumValue));
  ASSERT_EQ(sums->GetItem(1)->SumValue, e.avg)
      << where << ": avg " << StringToUtf8(CurrToStr(sums->GetItem(1)->SumValue));
  ASSERT_EQ(sums->GetItem(2)->SumValue, Currency(e.notNull)) << where << ": count of values";
  ASSERT_EQ(sums->GetItem(3)->SumValue, Currency(e.records)) << where << ": count of records";
}

// An amount of four decimals, or null now and then.
inline Variant RandomAmount(std::mt19937& rng) {
  if (rng() % 6 == 0) return Variant::Null();
  Int64 raw = static_cast<Int64>(rng() % 2000000001) - 1000000000;
  return Variant(Currency::FromRaw(raw));
}

inline void GoToRandomRecord(TDataSet* ds, std::mt19937& rng) {
  Integer count = Recompute(ds).records;
  ds->First();
  if (count > 0) ds->MoveBy(static_cast<int>(rng() % static_cast<unsigned>(count)));
}

inline void SetAmount(TDataSet* ds, const Variant& value) {
  TField* f = ds->FieldByName(u"AMOUNT");
  if (VarIsNull(value))
    f->Clear();
  else
    f->SetAsCurrency(value.AsCurrency());
}

// steps random changes, each checked; a record deleted in the middle of its edit now and then.
inline void RunRandomChanges(TDBSumListProducer& producer, TDataSet* ds, int steps, unsigned seed) {
  std::mt19937 rng(seed);
  ExpectAgrees(producer, ds, "at the start");
  for (int step = 0; step < steps; ++step) {
    unsigned kind = rng() % 100;
    std::string what;
    if (kind < 30) {
      what = "insert";
      GoToRandomRecord(ds, rng);
      if (rng() % 2)
        ds->Insert();
      else
        ds->Append();
      SetAmount(ds, RandomAmount(rng));
      if (rng() % 8 == 0)
        ds->Cancel();
      else
        ds->Post();
    } else if (kind < 65) {
      what = "edit";
      GoToRandomRecord(ds, rng);
      if (ds->IsEmpty()) continue;
      ds->Edit();
      SetAmount(ds, RandomAmount(rng));
      unsigned end = rng() % 10;
      if (end == 0)
        ds->Cancel();
      else if (end == 1)
        ds->Delete();
      else
        ds->Post();
    } else if (kind < 85) {
      what = "delete";
      GoToRandomRecord(ds, rng);
      if (ds->IsEmpty()) continue;
      ds->Delete();
    } else {
      what = "scroll";
      GoToRandomRecord(ds, rng);
    }
    ExpectAgrees(producer, ds, "step " + std::to_string(step) + " (" + what + ")");
    if (::testing::Test::HasFatalFailure()) return;
  }
}

}  // namespace sumlist_model
