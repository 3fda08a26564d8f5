// LZW codec: a greedy longest-match coder over a table that grows by one entry per code and resets
// when it is full, and the matching decoder. Both keep each entry as its prefix code and last byte.
#include "reportlib/output/QRLZW.h"

#include <array>
#include <unordered_map>
#include <vector>

namespace {

constexpr Word ClearCode = 256;
constexpr Word EndCode = 257;
constexpr Word FirstFree = 258;
constexpr Integer TableSize = 4096;

// Codes go out most significant bit first into an 8 KB buffer.
class BitWriter {
 public:
  explicit BitWriter(TMemoryStream* dest) : dest_(dest) {}
  void Put(Word code, Integer width) {
    acc_ = (acc_ << width) | code;
    bits_ += width;
    while (bits_ >= 8) {
      bits_ -= 8;
      buffer_[used_++] = static_cast<Byte>(acc_ >> bits_);
    }
    acc_ &= (1u << bits_) - 1;
    if (used_ > 8186) Flush();
  }
  void Finish() {
    if (bits_ > 0) buffer_[used_++] = static_cast<Byte>(acc_ << (8 - bits_));
    bits_ = 0;
    Flush();
  }

 private:
  void Flush() {
    dest_->WriteBuffer(buffer_.data(), used_);
    used_ = 0;
  }
  TMemoryStream* dest_;
  std::array<Byte, 8192> buffer_;
  Integer used_ = 0;
  Cardinal acc_ = 0;
  Integer bits_ = 0;
};

Integer WidthAfterGrowth(Integer nextFree, Integer width) {
  if (nextFree == 512 || nextFree == 1024 || nextFree == 2048) return width + 1;
  return width;
}

}  // namespace

Integer CompareByteArrays(const Byte* a, const Byte* b, Integer n) {
  for (Integer i = 0; i < n; ++i)
    if (a[i] != b[i]) return static_cast<Integer>(a[i]) - static_cast<Integer>(b[i]);
  return 0;
}

void LZWEncode(TMemoryStream* source, TMemoryStream* dest) {
  const Byte* data = static_cast<const Byte*>(source->Memory());
  const Int64 size = source->GetSize();
  BitWriter out(dest);
  // Entry (prefix code, next byte) -> code; single bytes are their own codes.
  std::unordered_map<Cardinal, Word> children;
  children.reserve(TableSize * 2);
  Integer width = 9;
  Integer nextFree = FirstFree;
  Integer pendingParent = -1;  // the entry last added waits for the next match's first byte
  auto reset = [&] {
    out.Put(ClearCode, width);
    width = 9;
    children.clear();
    nextFree = FirstFree;
    pendingParent = -1;
  };
  reset();
  Int64 pos = 0;
  while (pos < size) {
    if (nextFree > TableSize - 1) {
      reset();
    } else if (pendingParent >= 0) {
      children[(static_cast<Cardinal>(pendingParent) << 8) | data[pos]] = static_cast<Word>(nextFree - 1);
    }
    Word code = data[pos++];
    while (pos < size) {
      auto it = children.find((static_cast<Cardinal>(code) << 8) | data[pos]);
      if (it == children.end()) break;
      code = it->second;
      ++pos;
    }
    out.Put(code, width);
    pendingParent = code;
    ++nextFree;
    width = WidthAfterGrowth(nextFree, width);
  }
  out.Put(EndCode, width);
  out.Finish();
  source->SetPosition(size);
}

void LZWDecode(TMemoryStream* source, TMemoryStream* dest) {
  struct Entry {
    Integer prefix;  // -1 for single bytes
    Byte last;
    Byte first;
    Integer length;
  };
  std::vector<Entry> table(TableSize);
  for (Integer i = 0; i < 258; ++i) table[i] = Entry{-1, static_cast<Byte>(i), static_cast<Byte>(i), 1};
  std::vector<Byte> text;
  Integer width = 9;
  Integer nextFree = FirstFree;
  Integer pending = -1;  // the entry added by the previous code, waiting for its last byte
  Cardinal acc = 0;
  Integer bits = 0;
  source->SetPosition(0);
  auto readCode = [&]() -> Integer {
    while (bits < width) {
      Byte b;
      if (source->Read(&b, 1) != 1) throw Exception(u"LZWDecode: End of stream");
      acc = (acc << 8) | b;
      bits += 8;
    }
    bits -= width;
    const Integer code = static_cast<Integer>((acc >> bits) & ((1u << width) - 1));
    acc &= (1u << bits) - 1;
    return code;
  };
  for (Integer code; (code = readCode()) != EndCode;) {
    if (code == ClearCode) {
      width = 9;
      nextFree = FirstFree;
      pending = -1;
      continue;
    }
    if (code >= nextFree) throw Exception(u"LZWDecode: code>=idxCodeTable");
    // Completing the pending entry first lets a code name the entry it completes.
    if (pending >= 0) table[pending].last = table[code].first;
    pending = -1;
    text.resize(table[code].length);
    for (Integer c = code, i = table[code].length - 1; i >= 0; c = table[c].prefix, --i)
      text[i] = table[c].last;
    dest->WriteBuffer(text.data(), static_cast<Integer>(text.size()));
    // A full table takes no further entries: nothing is written past it.
    if (nextFree < TableSize) {
      table[nextFree] = Entry{code, 0, table[code].first, table[code].length + 1};
      pending = nextFree++;
      width = WidthAfterGrowth(nextFree, width);
    }
  }
}
