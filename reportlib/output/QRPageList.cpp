// Page store: appending page records under the list lock, walking the record links to a page,
// decoding a record, the 128-byte header, and loading a saved report only after every record of it
// has been read back.
#include "reportlib/output/QRPageList.h"

#include <cstring>
#include <filesystem>
#include <limits>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "reportlib/output/QRCompress.h"
#include "reportlib/output/QRError.h"

namespace {

constexpr Int64 MaxOffset = std::numeric_limits<Integer>::max();
constexpr Integer EmfMinimum = 88;

Integer ReadInt32At(TStream* stream, Int64 position) {
  Byte b[4];
  stream->SetPosition(position);
  stream->ReadBuffer(b, 4);
  return static_cast<Integer>(static_cast<Cardinal>(b[0]) | static_cast<Cardinal>(b[1]) << 8 |
                              static_cast<Cardinal>(b[2]) << 16 | static_cast<Cardinal>(b[3]) << 24);
}

Integer Int32Of(const Byte* b) {
  return static_cast<Integer>(static_cast<Cardinal>(b[0]) | static_cast<Cardinal>(b[1]) << 8 |
                              static_cast<Cardinal>(b[2]) << 16 | static_cast<Cardinal>(b[3]) << 24);
}

void PutInt32(Byte* b, Integer value) {
  const Cardinal v = static_cast<Cardinal>(value);
  b[0] = static_cast<Byte>(v);
  b[1] = static_cast<Byte>(v >> 8);
  b[2] = static_cast<Byte>(v >> 16);
  b[3] = static_cast<Byte>(v >> 24);
}

void WriteInt32(TStream* stream, Integer value) {
  Byte b[4];
  PutInt32(b, value);
  stream->WriteBuffer(b, 4);
}

[[noreturn]] void Damaged(const String& what) { throw EQRError(u"The report data is damaged: " + what); }

struct RecordPos {
  Int64 start = 0;
  Int64 next = 0;
};

// A record's links must stay inside the stream and point back at it.
RecordPos ReadRecord(TStream* stream, Int64 start, Integer expectedPage) {
  const Int64 size = stream->GetSize();
  if (start < 0 || start + 12 > size) Damaged(Format(u"page %d lies outside the data", {expectedPage}));
  if (ReadInt32At(stream, start) != expectedPage)
    Damaged(Format(u"the record of page %d carries another page number", {expectedPage}));
  const Int64 next = ReadInt32At(stream, start + 4);
  if (next < start + 12 || next > size) Damaged(Format(u"the link after page %d is wrong", {expectedPage}));
  if (ReadInt32At(stream, next - 4) != start)
    Damaged(Format(u"the back link of page %d is wrong", {expectedPage}));
  return {start, next};
}

TBytes ReadPayload(TStream* stream, const RecordPos& record) {
  TBytes payload(static_cast<size_t>(record.next - 4 - (record.start + 8)));
  stream->SetPosition(record.start + 8);
  if (!payload.empty()) stream->ReadBuffer(payload.data(), static_cast<Integer>(payload.size()));
  return payload;
}

// The metafile's own header gives its length; it must fit in what is left.
void LoadMetafile(TMetafile* metafile, TCustomMemoryStream* in) {
  const Int64 left = in->GetSize() - in->GetPosition();
  if (left < EmfMinimum) Damaged(u"a page is shorter than a metafile header");
  const Byte* head = static_cast<const Byte*>(in->Memory()) + in->GetPosition();
  if (static_cast<Cardinal>(Int32Of(head + 48)) > static_cast<Cardinal>(left))
    Damaged(u"a page's metafile is longer than its record");
  metafile->LoadFromStream(in);
}

void DecodePayload(const TBytes& payload, bool coded, std::unique_ptr<TMetafile>& metafile,
                   std::unique_ptr<THyperlinkList>* hyperlinks) {
  metafile = std::make_unique<TMetafile>();
  if (coded) {
    if (payload.size() < 4) Damaged(u"a coded page has no length");
    const Integer count = Int32Of(payload.data());
    // No code is shorter than one bit, so a run yields at most eight bytes per coded byte.
    if (count < EmfMinimum || static_cast<Int64>(count) > static_cast<Int64>(payload.size() - 4) * 8)
      Damaged(u"the length of a coded page is impossible");
    TBytesStream codedRun(TBytes(payload.begin() + 4, payload.end()));
    TBytesStream plain;
    plain.SetSize(count);
    Byte* out = static_cast<Byte*>(plain.Memory());
    TQRCompress decoder(&codedRun, false);
    for (Integer i = 0; i < count; ++i) decoder.Expand(out[i]);
    plain.SetPosition(0);
    LoadMetafile(metafile.get(), &plain);
    if (plain.GetPosition() != count) Damaged(u"a coded page holds more than its metafile");
    return;
  }
  TBytesStream in(payload);
  LoadMetafile(metafile.get(), &in);
  const Int64 left = in.GetSize() - in.GetPosition();
  if (left == 0) return;
  // A link block follows the metafile.
  const Byte* p = static_cast<const Byte*>(in.Memory()) + in.GetPosition();
  const Byte* end = p + left;
  if (left < 4) Damaged(u"a page's link block is cut short");
  const Integer links = Int32Of(p);
  p += 4;
  if (links < 0 || links > left / 20) Damaged(u"a page's link count is impossible");
  auto list = std::make_unique<THyperlinkList>();
  for (Integer i = 0; i < links; ++i) {
    if (end - p < 20) Damaged(u"a page's link block is cut short");
    THyperlink link;
    link.Area = TRect(Int32Of(p), Int32Of(p + 4), Int32Of(p + 8), Int32Of(p + 12));
    const Integer length = Int32Of(p + 16);
    p += 20;
    if (length < 0 || length > (end - p) / 2) Damaged(u"a page's link text is cut short");
    link.Link.resize(length);
    for (Integer c = 0; c < length; ++c, p += 2) link.Link[c] = static_cast<Char>(p[0] | p[1] << 8);
    list->push_back(std::move(link));
  }
  if (p != end) Damaged(u"a page's link block has bytes left over");
  if (hyperlinks && links > 0) *hyperlinks = std::move(list);
}

}  // namespace

TQRPageList::TQRPageList() = default;

TQRPageList::~TQRPageList() = default;

void TQRPageList::Clear() { pageCount_ = 0; }

void TQRPageList::SetStream(std::unique_ptr<TQRStream> stream) { stream_ = std::move(stream); }

void TQRPageList::WriteHeader() {
  Byte header[HeaderSize] = {};
  header[0] = 3;
  header[2] = 60;
  PutInt32(header + 8, pageCount_);
  const double now = Now();
  std::memcpy(header + 16, &now, 8);
  header[25] = compression_ ? 1 : 0;
  std::memset(header + 26, 'H', 100);
  stream_->SetPosition(0);
  stream_->WriteBuffer(header, HeaderSize);
}

void TQRPageList::AddPage(TMetafile* metafile) { AddRecord(metafile, nullptr, false); }

void TQRPageList::AddPageEx(TMetafile* metafile, const THyperlinkList* hyperlinks) {
  AddRecord(metafile, hyperlinks, true);
}

void TQRPageList::AddRecord(TMetafile* metafile, const THyperlinkList* hyperlinks, bool withLinks) {
  if (!stream_) throw EQRError(u"The page store has no stream");
  TBytesStream page;
  metafile->SaveToStream(&page);
  TBytesStream payload;
  if (compression_) {
    WriteInt32(&payload, static_cast<Integer>(page.GetSize()));
    TQRCompress coder(&payload, true);
    const Byte* bytes = static_cast<const Byte*>(page.Memory());
    for (Int64 i = 0; i < page.GetSize(); ++i) coder.Compress(bytes[i]);
    coder.Finish();
  } else {
    payload.WriteBuffer(page.Memory(), static_cast<Integer>(page.GetSize()));
    if (withLinks) {
      const Integer count = hyperlinks ? static_cast<Integer>(hyperlinks->size()) : 0;
      WriteInt32(&payload, count);
      for (Integer i = 0; i < count; ++i) {
        const THyperlink& link = (*hyperlinks)[i];
        for (Integer v : {link.Area.Left, link.Area.Top, link.Area.Right, link.Area.Bottom})
          WriteInt32(&payload, v);
        WriteInt32(&payload, static_cast<Integer>(link.Link.size()));
        for (Char c : link.Link) {
          const Byte b[2] = {static_cast<Byte>(c), static_cast<Byte>(c >> 8)};
          payload.WriteBuffer(b, 2);
        }
      }
    }
  }

  LockList();
  auto unlock = MakeScopeExit([this] { UnlockList(); });
  stream_->LockStream();
  auto unlockStream = MakeScopeExit([this] { stream_->UnlockStream(); });
  const Int64 start = pageCount_ == 0 ? HeaderSize : stream_->GetSize();
  // The format's offsets are signed 32-bit: a record past them would corrupt every later link.
  if (start + 12 + payload.GetSize() > MaxOffset)
    throw EQRError(u"The report is too large: its pages would pass the 2 GB a report file can hold");
  const Integer oldCount = pageCount_;
  bool stored = false;
  auto rollBack = MakeScopeExit([&] {
    if (stored) return;
    // A failed write (a full disk) leaves no half record behind.
    pageCount_ = oldCount;
    try {
      if (oldCount > 0) stream_->SetSize(start);
      stream_->SetPosition(stream_->GetSize());
    } catch (const Exception&) {
      // The stream refuses even that: the caller already has the first error, and the pages stored
      // before stay reachable from the header through their forward links.
    }
  });
  ++pageCount_;
  if (pageCount_ == 1) {
    stream_->SetSize(0);
    WriteHeader();
  }
  stream_->SetPosition(start);
  WriteInt32(stream_.get(), pageCount_);
  WriteInt32(stream_.get(), static_cast<Integer>(start + 4));
  stream_->WriteBuffer(payload.Memory(), static_cast<Integer>(payload.GetSize()));
  WriteInt32(stream_.get(), static_cast<Integer>(start));
  const Int64 next = stream_->GetPosition();
  stream_->SetPosition(start + 4);
  WriteInt32(stream_.get(), static_cast<Integer>(next));
  stream_->SetPosition(next);
  stored = true;
}

TQRPageList::Record TQRPageList::SeekToPage(Integer pageNumber) {
  TStream* s = stream_.get();
  if (pageNumber == 1) {
    const RecordPos r = ReadRecord(s, headerSize_, 1);
    return {r.start, r.next};
  }
  const Int64 size = s->GetSize();
  Int64 pos = s->GetPosition();
  if (pos < headerSize_ || pos + 12 > size) pos = ReadInt32At(s, size - 4);
  // Each step must move the right way; a file whose links run in a circle is refused, not followed.
  for (Integer steps = 0;; ++steps) {
    if (pos < headerSize_ || pos + 12 > size || steps > pageCount_)
      Damaged(Format(u"the links do not lead to page %d", {pageNumber}));
    const Integer p = ReadInt32At(s, pos);
    if (p == pageNumber) break;
    if (p < pageNumber) {
      const Int64 next = ReadInt32At(s, pos + 4);
      if (next <= pos) Damaged(Format(u"the links do not lead to page %d", {pageNumber}));
      pos = next;
    } else {
      const Int64 back = ReadInt32At(s, pos - 4);
      if (back >= pos) Damaged(Format(u"the links do not lead to page %d", {pageNumber}));
      pos = back;
    }
  }
  const RecordPos r = ReadRecord(s, pos, pageNumber);
  return {r.start, r.next};
}

std::unique_ptr<TMetafile> TQRPageList::GetPage(Integer pageNumber) {
  std::unique_ptr<TMetafile> metafile;
  std::unique_ptr<THyperlinkList> ignored;
  GetPageEx(pageNumber, metafile, ignored);
  return metafile;
}

void TQRPageList::GetPageEx(Integer pageNumber, std::unique_ptr<TMetafile>& metafile,
                            std::unique_ptr<THyperlinkList>& hyperlinks) {
  metafile.reset();
  hyperlinks.reset();
  if (pageNumber > pageCount_ || pageNumber < 1 || !stream_) return;
  LockList();
  auto unlock = MakeScopeExit([this] { UnlockList(); });
  stream_->LockStream();
  bool done = false;
  auto unlockStream = MakeScopeExit([&] {
    // After a failure the next walk starts from the end again, never from inside a record.
    if (!done) stream_->SetPosition(stream_->GetSize());
    stream_->UnlockStream();
  });
  try {
    const Record record = SeekToPage(pageNumber);
    const TBytes payload = ::ReadPayload(stream_.get(), RecordPos{record.start, record.next});
    stream_->SetPosition(record.next);
    DecodePayload(payload, compression_, metafile, &hyperlinks);
  } catch (const EQRError&) {
    throw;
  } catch (const Exception& e) {
    throw EQRError(Format(u"Page %d cannot be read: %s", {pageNumber, e.Message()}));
  }
  done = true;
}

void TQRPageList::AddOutline(Integer, const String&, const TRect&, Integer) {}

void TQRPageList::Finish() {
  if (!stream_ || pageCount_ == 0) return;
  LockList();
  auto unlock = MakeScopeExit([this] { UnlockList(); });
  stream_->LockStream();
  auto unlockStream = MakeScopeExit([this] { stream_->UnlockStream(); });
  WriteHeader();
  stream_->SetPosition(stream_->GetSize());
}

void TQRPageList::SaveToFile(const String& fileName) {
  if (!stream_) throw EQRError(u"There are no pages to save");
  const String partial = fileName + u".partial";
  auto removePartial = MakeScopeExit([&] {
    if (FileExists(partial)) DeleteFile(partial);
  });
  {
    TFileStream file(partial, fmCreate);
    LockList();
    auto unlock = MakeScopeExit([this] { UnlockList(); });
    stream_->SaveToStream(&file);
  }
  std::error_code error;
  std::filesystem::rename(StringToUtf8(partial), StringToUtf8(fileName), error);
  if (error)
    throw EQRError(
        Format(u"Cannot save the report to \"%s\": %s", {fileName, Utf8ToString(error.message())}));
}

void TQRPageList::SaveToStream(TMemoryStream* stream) {
  if (!stream_) throw EQRError(u"There are no pages to save");
  LockList();
  auto unlock = MakeScopeExit([this] { UnlockList(); });
  stream_->SaveToStream(stream);
}

void TQRPageList::LoadFromFile(const String& fileName) {
  std::unique_ptr<TQRStream> stream;
  try {
    stream = TQRStream::CreateFromFile(fileName);
  } catch (const EStreamError& e) {
    throw EQRError(e.Message());
  }
  Adopt(std::move(stream));
}

void TQRPageList::LoadFromStream(TMemoryStream* stream) {
  auto copy =
      std::make_unique<TQRStream>(static_cast<Integer>(std::min<Int64>(stream->GetSize(), MaxOffset)));
  stream->SaveToStream(copy.get());
  Adopt(std::move(copy));
}

void TQRPageList::Adopt(std::unique_ptr<TQRStream> stream) {
  const Int64 size = stream->GetSize();
  if (size > MaxOffset) throw EQRError(u"The report file is larger than 2 GB and cannot be a report file");
  Integer headerSize = 0, headerCount = -1;
  bool coded = false;
  Integer records = 0;
  try {
    if (size < 96 + 12 + EmfMinimum) Damaged(u"the file is too short to hold a header and a page");
    headerSize = stream->DetectHeaderSize();
    if (headerSize < 0 || headerSize > HeaderSize) Damaged(u"the header is not recognised");
    Byte header[HeaderSize] = {};
    stream->SetPosition(0);
    stream->ReadBuffer(header, headerSize);
    if (headerSize == 128 || headerSize == 124) headerCount = Int32Of(header + 8);
    if (headerSize == 120) headerCount = Int32Of(header + 5);
    coded = header[headerSize == 124 ? 21 : 25] == 1;
    // Every record is read back now, so that a damaged file fails before a page is shown.
    for (Int64 pos = headerSize; pos < size;) {
      const RecordPos record = ReadRecord(stream.get(), pos, records + 1);
      std::unique_ptr<TMetafile> metafile;
      std::unique_ptr<THyperlinkList> links;
      DecodePayload(::ReadPayload(stream.get(), record), coded, metafile, &links);
      ++records;
      pos = record.next;
    }
    if (records == 0) Damaged(u"it holds no pages");
    if (headerCount >= 0 && headerCount != records)
      Damaged(Format(u"the header counts %d pages, the file holds %d", {headerCount, records}));
  } catch (const EQRError&) {
    throw;
  } catch (const Exception& e) {
    throw EQRError(u"The report data is damaged: " + e.Message());
  }
  LockList();
  auto unlock = MakeScopeExit([this] { UnlockList(); });
  stream_ = std::move(stream);
  stream_->SetPosition(size);
  headerSize_ = headerSize;
  compression_ = coded;
  pageCount_ = records;
}
