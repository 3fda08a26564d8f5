// Fuzz target for the saved-report loader: any bytes either load, with every page, its links and its
// text readable, or are refused with EQRError; nothing else may escape, crash, hang or allocate
// without bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/graphics/Metafile.h"
#include "reportlib/output/QRError.h"
#include "reportlib/output/QRPageList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBytesStream in(TBytes(data, data + size));
  TQRPageList list;
  try {
    list.LoadFromStream(&in);
  } catch (const EQRError&) {
    return 0;  // refused, as damaged input must be
  }
  for (Integer n = 1; n <= list.GetPageCount(); ++n) {
    std::unique_ptr<TMetafile> page;
    std::unique_ptr<THyperlinkList> links;
    list.GetPageEx(n, page, links);
    if (!page) std::abort();
    MetafileTextRecords(page.get());
  }
  return 0;
}
