// LZW codec of the PDF LZWDecode filter (EarlyChange 1): codes 9 to 12 bits wide, most significant
// bit first, clear code 256 and end of data 257.
#pragma once

#include "platform/classes/Streams.h"

// Codes the whole of source (from position 0) onto dest at its position; source ends at its end.
void LZWEncode(TMemoryStream* source, TMemoryStream* dest);
// Decodes source from position 0 up to the end-of-data code onto dest at its position. Raises
// Exception "LZWDecode: End of stream" or "LZWDecode: code>=idxCodeTable"; what was decoded before
// stays in dest. A foreign stream that runs the table full without a clear code adds no further
// entries.
void LZWDecode(TMemoryStream* source, TMemoryStream* dest);
// 0 when the first n bytes agree, otherwise the difference of the first differing pair.
Integer CompareByteArrays(const Byte* a, const Byte* b, Integer n);
