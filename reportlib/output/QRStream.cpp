// Report stream: locked reads, writes and seeks on whichever inner stream holds the bytes, the
// one-way spill from memory to a temporary file, and the saved-report header-size detection.
#include "reportlib/output/QRStream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/classes/SpecialFolders.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "reportlib/output/QRError.h"

TQRStream::TQRStream(Integer memoryLimit)
    : memoryStream_(std::make_unique<TMemoryStream>()), memoryLimit_(memoryLimit) {}

std::unique_ptr<TQRStream> TQRStream::CreateFromFile(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
  const Int64 size = file.GetSize();
  // A report file's offsets are 32-bit: a larger file is no report file, and is not read into memory.
  if (size > std::numeric_limits<Integer>::max() - 1000)
    throw EQRError(u"The file \"" + fileName + u"\" is larger than a report file can be");
  auto stream = std::make_unique<TQRStream>(static_cast<Integer>(size + 1000));
  stream->memoryStream_->LoadFromStream(&file);
  stream->memoryStream_->SetPosition(0);
  return stream;
}

TQRStream::~TQRStream() {
  lock_.Enter();
  auto cleanUp = MakeScopeExit([this] {
    // The temporary file goes even when closing the inner stream failed.
    if (!fileName_.empty() && FileExists(fileName_)) DeleteFile(fileName_);
    lock_.Leave();
  });
  memoryStream_.reset();
  fileStream_.reset();
}

TStream* TQRStream::Inner() const {
  if (inMemory_) return memoryStream_.get();
  return fileStream_.get();
}

Integer TQRStream::Read(void* buffer, Integer count) {
  lock_.Enter();
  auto unlock = MakeScopeExit([this] { lock_.Leave(); });
  return Inner()->Read(buffer, count);
}

Integer TQRStream::Write(const void* buffer, Integer count) {
  lock_.Enter();
  auto unlock = MakeScopeExit([this] { lock_.Leave(); });
  const Integer written = Inner()->Write(buffer, count);
  if (inMemory_ && memoryStream_->GetSize() > static_cast<Int64>(memoryLimit_)) SpillToFile();
  return written;
}

Int64 TQRStream::Seek(Int64 offset, TSeekOrigin origin) {
  lock_.Enter();
  auto unlock = MakeScopeExit([this] { lock_.Leave(); });
  return Inner()->Seek(offset, origin);
}

Int64 TQRStream::GetSize() {
  lock_.Enter();
  auto unlock = MakeScopeExit([this] { lock_.Leave(); });
  return Inner()->GetSize();
}

void TQRStream::SetSize(Int64 newSize) {
  lock_.Enter();
  auto unlock = MakeScopeExit([this] { lock_.Leave(); });
  Inner()->SetSize(newSize);
}

void TQRStream::SpillToFile() {
  fileName_ = GetTempFileName(GetTempPath(), u"QRP");
  fileStream_.reset();
  fileStream_ = std::make_unique<TFileStream>(fileName_, fmCreate);
  memoryStream_->SaveToStream(fileStream_.get());
  // The caller's position survives: the write that spilled ended at the end of the data.
  fileStream_->Seek(memoryStream_->GetPosition(), soBeginning);
  memoryStream_.reset();
  inMemory_ = false;
}

void TQRStream::SaveToStream(TStream* stream) {
  lock_.Enter();
  auto unlock = MakeScopeExit([this] { lock_.Leave(); });
  std::array<Byte, 10240> chunk;
  SetPosition(0);
  for (Integer got; (got = Read(chunk.data(), chunk.size())) > 0;) stream->WriteBuffer(chunk.data(), got);
}

Integer TQRStream::DetectHeaderSize() {
  lock_.Enter();
  const Int64 saved = GetPosition();
  auto restore = MakeScopeExit([this, saved] {
    SetPosition(saved);
    lock_.Leave();
  });
  auto signatureAt = [this](Int64 offset) {
    char sig[3];
    SetPosition(offset);
    ReadBuffer(sig, 3);
    return std::memcmp(sig, "EMF", 3) == 0;
  };
  // The filler of "H" names the two current layouts outright; a coded page shows no metafile
  // signature, so without this a coded file with the 124-byte header would be read as 128.
  auto fillerAt = [this](Int64 offset, Integer count) {
    if (GetSize() < offset + count) return false;
    std::vector<Byte> bytes(count);
    SetPosition(offset);
    ReadBuffer(bytes.data(), count);
    return std::all_of(bytes.begin(), bytes.end(), [](Byte b) { return b == 'H'; });
  };
  if (fillerAt(26, 100)) return 128;
  if (fillerAt(22, 100)) return 124;
  // Older headers, each with the first metafile's signature 49 bytes further on.
  for (const Integer size : {124, 120, 96, 128})
    if (GetSize() >= size + 52 && signatureAt(size + 49)) return size;
  const Int64 last = std::min<Int64>(1001, GetSize() - 4);
  for (Int64 i = 0; i <= last; ++i)
    if (signatureAt(i)) return static_cast<Integer>(i - 49);
  return 128;
}
