// Splay-tree compressor: the adaptive prefix coder of the page store. One object codes or decodes
// the bytes of one page, starting from the fixed initial tree, bits packed least significant first.
#pragma once

#include <array>

#include "platform/classes/Streams.h"

class TQRCompress {
 public:
  using CodeType = Byte;

  // compressData true: codes into the stream; false: decodes from it.
  TQRCompress(TStream* stream, bool compressData);

  void Compress(CodeType plain);
  // Reads bytes from the stream as needed; a stream that ends early raises EReadError, and a code
  // for the never-coded 257th symbol raises EQRError.
  void Expand(Byte& expanded);
  // Writes the partly filled last byte of a coder; call it once when the page is done. (Not in the
  // destructor, which must not throw.)
  void Finish();

 private:
  void Splay(CodeType plain);

  Byte bitPos_;
  bool compressFlag_;
  Word inByte_ = 0;
  std::array<Word, 256> left_;
  std::array<Word, 256> right_;
  Word outByte_ = 0;
  TStream* stream_;
  std::array<Byte, 513> up_;
};
