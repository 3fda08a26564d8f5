// The client-side row store of the ADO datasets: every fetched row packed into one block of an arena,
// with typed slots, so a static cursor can hold a large result cheaply and sort or filter it in place.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

// How a column's values are kept. Decimals stay the server's exact text (ASCII, '.' as separator);
// dates, times and time stamps are TDateTime; booleans and all integers are Int64.
enum class TStoreKind : Byte { Integer, Float, Boolean, Decimal, Date, Time, DateTime, Text, Bytes };

// A row is a pointer into the arena. Layout: null bitmap, padding to 8, one 8-byte slot per column
// (the value itself, or offset and length of variable data stored after the slots).
using TStoreRow = const Byte*;

class TRowStore;

// Collects one row's values, then packs them into the store.
class TRowBuilder {
 public:
  explicit TRowBuilder(const TRowStore& store);

  void Clear();
  void SetNull(int column);
  void SetInteger(int column, Int64 value);
  void SetFloat(int column, double value);
  void SetText(int column, std::u16string_view text);
  // ASCII digits as the server writes them ("-12.50").
  void SetDecimal(int column, std::string_view text);
  void SetBytes(int column, const Byte* data, size_t size);
  // Converts the value to the column's kind; EVariantTypeCastError and friends when it cannot.
  void SetValue(int column, const Variant& value);
  // Starts from a copy of an existing row.
  void Load(TStoreRow row);

 private:
  friend class TRowStore;
  // Variable data of all cells goes into one buffer, so building a row allocates nothing once warm.
  struct Cell {
    bool null = true;
    Int64 bits = 0;  // the value, or for variable data its offset in data_
    std::uint32_t length = 0;
  };
  void SetVariable(int column, const void* data, size_t size);
  const TRowStore& store_;
  std::vector<Cell> cells_;
  std::string data_;
};

class TRowStore {
 public:
  TRowStore();
  ~TRowStore();
  TRowStore(const TRowStore&) = delete;
  TRowStore& operator=(const TRowStore&) = delete;

  // Drops all rows and sets the columns anew.
  void Reset(std::vector<TStoreKind> kinds);
  // Drops all rows, keeps the columns.
  void ClearRows();

  int ColumnCount() const { return static_cast<int>(kinds_.size()); }
  TStoreKind Kind(int column) const { return kinds_[column]; }

  // Packs the builder's values into a new row. The returned pointer stays valid until ClearRows or Reset.
  TStoreRow Add(const TRowBuilder& builder);

  static bool IsNull(TStoreRow row, int column) { return (row[column >> 3] >> (column & 7)) & 1; }
  Int64 GetInteger(TStoreRow row, int column) const;
  double GetFloat(TStoreRow row, int column) const;
  std::u16string_view GetText(TStoreRow row, int column) const;
  std::string_view GetDecimal(TStoreRow row, int column) const;
  std::string_view GetBytes(TStoreRow row, int column) const;
  // The value as a Variant of the column's natural kind; Null for a null cell.
  Variant GetValue(TStoreRow row, int column) const;

  // Bytes held by the arena (for the memory figures of the benchmark).
  size_t ArenaBytes() const;

 private:
  friend class TRowBuilder;
  const Byte* Slot(TStoreRow row, int column) const { return row + slotsOffset_ + 8 * column; }
  Byte* Allocate(size_t size);

  std::vector<TStoreKind> kinds_;
  size_t slotsOffset_ = 0;
  std::vector<std::unique_ptr<Byte[]>> chunks_;
  std::vector<size_t> chunkSizes_;
  Byte* free_ = nullptr;
  size_t freeLeft_ = 0;
};

// Reads the server's decimal text into an exact TBcd, and back.
TBcd DecimalTextToBcd(std::string_view text);
std::string BcdToDecimalText(const TBcd& value);
// Compares two decimal texts by value (-1, 0, 1) without converting them.
int CompareDecimalText(std::string_view a, std::string_view b);
