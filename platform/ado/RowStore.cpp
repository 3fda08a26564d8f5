// The client-side row store: packing rows into arena blocks and reading typed values back.
#include "platform/ado/RowStore.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/Bcd.h"
#include "platform/rtl/Utf.h"

namespace {

constexpr size_t kChunkSize = 256 * 1024;

bool IsVariable(TStoreKind kind) {
  return kind == TStoreKind::Text || kind == TStoreKind::Decimal || kind == TStoreKind::Bytes;
}

Int64 DoubleBits(double v) {
  Int64 bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

}  // namespace

// ---- TRowBuilder ----

TRowBuilder::TRowBuilder(const TRowStore& store) : store_(store), cells_(store.ColumnCount()) {}

void TRowBuilder::Clear() {
  cells_.assign(store_.ColumnCount(), Cell());
  data_.clear();
}

void TRowBuilder::SetNull(int column) {
  Cell& c = cells_[column];
  c.null = true;
  c.bits = 0;
  c.length = 0;
}

// A cell set twice leaves its first bytes behind unused; rows are built once or twice, so that is cheap.
void TRowBuilder::SetVariable(int column, const void* data, size_t size) {
  Cell& c = cells_[column];
  c.null = false;
  c.bits = static_cast<Int64>(data_.size());
  c.length = static_cast<std::uint32_t>(size);
  data_.append(static_cast<const char*>(data), size);
}

void TRowBuilder::SetInteger(int column, Int64 value) {
  cells_[column].null = false;
  cells_[column].bits = value;
}

void TRowBuilder::SetFloat(int column, double value) {
  cells_[column].null = false;
  cells_[column].bits = DoubleBits(value);
}

void TRowBuilder::SetText(int column, std::u16string_view text) {
  SetVariable(column, text.data(), text.size() * sizeof(Char));
}

void TRowBuilder::SetDecimal(int column, std::string_view text) {
  SetVariable(column, text.data(), text.size());
}

void TRowBuilder::SetBytes(int column, const Byte* data, size_t size) { SetVariable(column, data, size); }

void TRowBuilder::SetValue(int column, const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) {
    SetNull(column);
    return;
  }
  switch (store_.Kind(column)) {
    case TStoreKind::Integer:
      SetInteger(column, value.AsInt64());
      break;
    case TStoreKind::Boolean:
      SetInteger(column, value.AsBoolean() ? 1 : 0);
      break;
    case TStoreKind::Float:
      SetFloat(column, value.AsDouble());
      break;
    case TStoreKind::Decimal:
      SetDecimal(column, BcdToDecimalText(VarToBcd(value)));
      break;
    case TStoreKind::Date:
    case TStoreKind::Time:
    case TStoreKind::DateTime:
      SetFloat(column, VarToDateTime(value));
      break;
    case TStoreKind::Text:
      SetText(column, value.AsString());
      break;
    case TStoreKind::Bytes: {
      const TBytes bytes = VarToBytes(value);
      SetBytes(column, bytes.data(), bytes.size());
      break;
    }
  }
}

void TRowBuilder::Load(TStoreRow row) {
  Clear();
  for (int i = 0; i < store_.ColumnCount(); ++i) {
    if (TRowStore::IsNull(row, i)) continue;
    if (IsVariable(store_.Kind(i))) {
      const std::string_view raw = store_.GetBytes(row, i);
      SetVariable(i, raw.data(), raw.size());
    } else {
      cells_[i].null = false;
      std::memcpy(&cells_[i].bits, store_.Slot(row, i), 8);
    }
  }
}

// ---- TRowStore ----

TRowStore::TRowStore() = default;
TRowStore::~TRowStore() = default;

void TRowStore::Reset(std::vector<TStoreKind> kinds) {
  ClearRows();
  kinds_ = std::move(kinds);
  slotsOffset_ = ((kinds_.size() + 7) / 8 + 7) / 8 * 8;
}

void TRowStore::ClearRows() {
  chunks_.clear();
  chunkSizes_.clear();
  free_ = nullptr;
  freeLeft_ = 0;
}

Byte* TRowStore::Allocate(size_t size) {
  size = (size + 7) / 8 * 8;
  if (size > freeLeft_) {
    const size_t chunk = std::max(size, kChunkSize);
    chunks_.push_back(std::make_unique_for_overwrite<Byte[]>(chunk));
    chunkSizes_.push_back(chunk);
    free_ = chunks_.back().get();
    freeLeft_ = chunk;
  }
  Byte* p = free_;
  free_ += size;
  freeLeft_ -= size;
  return p;
}

TStoreRow TRowStore::Add(const TRowBuilder& builder) {
  const int n = ColumnCount();
  size_t size = slotsOffset_ + 8 * static_cast<size_t>(n);
  // Text is read in place as UTF-16: it starts at an even offset (rows start 8-aligned), one byte
  // of padding at most after odd-length decimals or bytes.
  for (int i = 0; i < n; ++i)
    if (!builder.cells_[i].null && IsVariable(kinds_[i]))
      size += builder.cells_[i].length + (kinds_[i] == TStoreKind::Text ? 1 : 0);
  Byte* row = Allocate(size);
  std::memset(row, 0, slotsOffset_);
  size_t varAt = slotsOffset_ + 8 * static_cast<size_t>(n);
  for (int i = 0; i < n; ++i) {
    const TRowBuilder::Cell& c = builder.cells_[i];
    Byte* slot = row + slotsOffset_ + 8 * i;
    if (c.null) {
      row[i >> 3] |= static_cast<Byte>(1u << (i & 7));
      std::memset(slot, 0, 8);
    } else if (IsVariable(kinds_[i])) {
      if (kinds_[i] == TStoreKind::Text) varAt += varAt & 1;
      const std::uint32_t at = static_cast<std::uint32_t>(varAt);
      std::memcpy(slot, &at, 4);
      std::memcpy(slot + 4, &c.length, 4);
      if (c.length) std::memcpy(row + varAt, builder.data_.data() + c.bits, c.length);
      varAt += c.length;
    } else {
      std::memcpy(slot, &c.bits, 8);
    }
  }
  return row;
}

Int64 TRowStore::GetInteger(TStoreRow row, int column) const {
  Int64 v;
  std::memcpy(&v, Slot(row, column), 8);
  return v;
}

double TRowStore::GetFloat(TStoreRow row, int column) const {
  double v;
  std::memcpy(&v, Slot(row, column), 8);
  return v;
}

std::string_view TRowStore::GetBytes(TStoreRow row, int column) const {
  std::uint32_t at, len;
  std::memcpy(&at, Slot(row, column), 4);
  std::memcpy(&len, Slot(row, column) + 4, 4);
  return std::string_view(reinterpret_cast<const char*>(row + at), len);
}

std::u16string_view TRowStore::GetText(TStoreRow row, int column) const {
  const std::string_view raw = GetBytes(row, column);
  return std::u16string_view(reinterpret_cast<const Char*>(raw.data()), raw.size() / sizeof(Char));
}

std::string_view TRowStore::GetDecimal(TStoreRow row, int column) const { return GetBytes(row, column); }

Variant TRowStore::GetValue(TStoreRow row, int column) const {
  if (IsNull(row, column)) return Variant::Null();
  switch (kinds_[column]) {
    case TStoreKind::Integer:
      return Variant(GetInteger(row, column));
    case TStoreKind::Boolean:
      return Variant(GetInteger(row, column) != 0);
    case TStoreKind::Float:
      return Variant(GetFloat(row, column));
    case TStoreKind::Decimal:
      return VarFMTBcdCreate(DecimalTextToBcd(GetDecimal(row, column)));
    case TStoreKind::Date:
    case TStoreKind::Time:
    case TStoreKind::DateTime:
      return VarFromDateTime(GetFloat(row, column));
    case TStoreKind::Text:
      return Variant(String(GetText(row, column)));
    case TStoreKind::Bytes: {
      const std::string_view b = GetBytes(row, column);
      return VarArrayOfBytes(TBytes(b.begin(), b.end()));
    }
  }
  return Variant::Null();
}

size_t TRowStore::ArenaBytes() const {
  size_t total = 0;
  for (size_t s : chunkSizes_) total += s;
  return total - freeLeft_;
}

// ---- Decimal text ----

TBcd DecimalTextToBcd(std::string_view text) {
  TBcd out;
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  while (i + 1 < text.size() && text[i] == '0' && text[i + 1] != '.') ++i;
  int digits = 0;
  int scale = 0;
  bool point = false;
  bool ok = i < text.size();
  for (; i < text.size() && ok; ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      if (digits == MaxBcdDigits) {
        ok = false;
        break;
      }
      out.Digits[digits++] = static_cast<Byte>(c - '0');
      if (point) ++scale;
    } else {
      ok = false;
    }
  }
  // Long or unusual text (NaN, more than 32 digits) goes the general way, which rounds or raises.
  if (!ok || digits == 0) return StrToBcd(Utf8ToString(text));
  out.Precision = static_cast<Byte>(digits);
  out.Scale = static_cast<Byte>(scale);
  bool zero = true;
  for (int d = 0; d < digits; ++d) zero = zero && out.Digits[d] == 0;
  out.Negative = negative && !zero;
  return out;
}

std::string BcdToDecimalText(const TBcd& value) { return StringToUtf8(BcdToSqlStr(value)); }

namespace {

struct DecimalParts {
  bool negative = false;
  std::string_view integer;   // without leading zeros
  std::string_view fraction;  // without trailing zeros
  bool nan = false;
};

DecimalParts SplitDecimal(std::string_view s) {
  DecimalParts p;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    p.negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || !((s[0] >= '0' && s[0] <= '9') || s[0] == '.')) {
    p.nan = true;
    return p;
  }
  const size_t dot = s.find('.');
  p.integer = s.substr(0, dot);
  if (dot != std::string_view::npos) p.fraction = s.substr(dot + 1);
  while (!p.integer.empty() && p.integer[0] == '0') p.integer.remove_prefix(1);
  while (!p.fraction.empty() && p.fraction.back() == '0') p.fraction.remove_suffix(1);
  if (p.integer.empty() && p.fraction.empty()) p.negative = false;
  return p;
}

int CompareMagnitude(const DecimalParts& a, const DecimalParts& b) {
  if (a.integer.size() != b.integer.size()) return a.integer.size() < b.integer.size() ? -1 : 1;
  if (const int c = a.integer.compare(b.integer)) return c < 0 ? -1 : 1;
  const int c = a.fraction.compare(b.fraction);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

int CompareDecimalText(std::string_view a, std::string_view b) {
  const DecimalParts pa = SplitDecimal(a);
  const DecimalParts pb = SplitDecimal(b);
  // The server orders NaN above every number.
  if (pa.nan || pb.nan) return pa.nan == pb.nan ? 0 : (pa.nan ? 1 : -1);
  if (pa.negative != pb.negative) return pa.negative ? -1 : 1;
  const int m = CompareMagnitude(pa, pb);
  return pa.negative ? -m : m;
}
