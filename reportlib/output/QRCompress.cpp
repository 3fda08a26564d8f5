// Splay-tree compressor: coding walks from the leaf to the root and emits the path backwards, both
// sides then splay the leaf up by half its depth, so frequent bytes get short codes.
#include "reportlib/output/QRCompress.h"

#include "reportlib/output/QRError.h"

namespace {
constexpr Byte BitMask[8] = {1, 2, 4, 8, 16, 32, 64, 128};
constexpr Word Root = 0;
constexpr Word FirstLeaf = 256;
}  // namespace

TQRCompress::TQRCompress(TStream* stream, bool compressData)
    : bitPos_(compressData ? 0 : 7), compressFlag_(compressData), stream_(stream) {
  up_[0] = 0;
  for (Word n = 1; n <= 512; ++n) up_[n] = static_cast<Byte>((n - 1) / 2);
  for (Word i = 0; i < 256; ++i) {
    left_[i] = static_cast<Word>(2 * i + 1);
    right_[i] = static_cast<Word>(2 * i + 2);
  }
}

void TQRCompress::Splay(CodeType plain) {
  Word a = FirstLeaf + plain;
  do {
    const Word c = up_[a];
    if (c == Root) return;
    const Word d = up_[c];
    Word b = left_[d];
    if (b == c) {
      b = right_[d];
      right_[d] = a;
    } else {
      left_[d] = a;
    }
    if (a == left_[c])
      left_[c] = b;
    else
      right_[c] = b;
    up_[a] = static_cast<Byte>(d);
    up_[b] = static_cast<Byte>(c);
    a = d;
  } while (a != Root);
}

void TQRCompress::Compress(CodeType plain) {
  // The path of a leaf is at most 256 turns deep.
  std::array<bool, 257> path;
  Integer depth = 0;
  Word a = FirstLeaf + plain;
  do {
    const Word p = up_[a];
    path[depth++] = a == right_[p];
    a = p;
  } while (a != Root);
  while (depth > 0) {
    if (path[--depth]) outByte_ |= BitMask[bitPos_];
    if (bitPos_ == 7) {
      const Byte out = static_cast<Byte>(outByte_);
      stream_->WriteBuffer(&out, 1);
      bitPos_ = 0;
      outByte_ = 0;
    } else {
      ++bitPos_;
    }
  }
  Splay(plain);
}

void TQRCompress::Expand(Byte& expanded) {
  Word a = Root;
  while (a < FirstLeaf) {
    if (bitPos_ == 7) {
      Byte in;
      stream_->ReadBuffer(&in, 1);
      inByte_ = in;
      bitPos_ = 0;
    } else {
      ++bitPos_;
    }
    a = (inByte_ & BitMask[bitPos_]) ? right_[a] : left_[a];
  }
  if (a - FirstLeaf > 255) throw EQRError(u"The compressed page data is damaged");
  expanded = static_cast<Byte>(a - FirstLeaf);
  Splay(expanded);
}

void TQRCompress::Finish() {
  if (!compressFlag_ || bitPos_ == 0) return;
  const Byte out = static_cast<Byte>(outByte_);
  stream_->WriteBuffer(&out, 1);
  bitPos_ = 0;
  outByte_ = 0;
}
