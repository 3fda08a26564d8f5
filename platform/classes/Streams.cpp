// Streams over memory, files, strings and compiled-in resources.
#include "platform/classes/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

// ---- TStream ----

void TStream::ReadBuffer(void* buffer, Integer count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError(u"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, Integer count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count)) throw EWriteError(u"Stream write error");
}

Int64 TStream::GetSize() {
  Int64 pos = Seek(0, soCurrent);
  Int64 size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(Int64) { throw EStreamError(u"Stream size cannot be changed"); }

Int64 TStream::CopyFrom(TStream* source, Int64 count) {
  if (count == 0) {
    source->SetPosition(0);
    count = source->GetSize();
  }
  constexpr Integer kBuffer = 0xF000;
  std::vector<Byte> buffer(static_cast<size_t>(std::min<Int64>(std::max<Int64>(count, 1), kBuffer)));
  Int64 left = count;
  while (left > 0) {
    Integer n = static_cast<Integer>(std::min<Int64>(left, static_cast<Int64>(buffer.size())));
    source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return count;
}

TBytes TStream::ReadAllBytes() {
  Int64 left = GetSize() - GetPosition();
  TBytes bytes(static_cast<size_t>(std::max<Int64>(left, 0)));
  if (!bytes.empty()) ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  return bytes;
}

// ---- TCustomMemoryStream ----

void TCustomMemoryStream::SetPointer(void* memory, Int64 size) {
  memory_ = memory;
  size_ = size;
}

Integer TCustomMemoryStream::Read(void* buffer, Integer count) {
  if (position_ < 0 || count <= 0) return 0;
  Int64 available = size_ - position_;
  if (available <= 0) return 0;
  Integer n = static_cast<Integer>(std::min<Int64>(available, count));
  std::memcpy(buffer, static_cast<const Byte*>(memory_) + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

Int64 TCustomMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
  switch (origin) {
    case soBeginning:
      position_ = offset;
      break;
    case soCurrent:
      position_ += offset;
      break;
    case soEnd:
      position_ = size_ + offset;
      break;
  }
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) {
  if (size_ > 0) stream->WriteBuffer(memory_, static_cast<Integer>(size_));
}

void TCustomMemoryStream::SaveToFile(const String& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(&file);
}

// ---- TMemoryStream ----

// A descendant that keeps its bytes elsewhere clears the pointer in its own destructor.
TMemoryStream::~TMemoryStream() { std::free(memory_); }

void TMemoryStream::SetCapacity(Int64 newCapacity) {
  void* block = Realloc(newCapacity);
  SetPointer(block, size_);
  capacity_ = newCapacity;
}

void* TMemoryStream::Realloc(Int64& newCapacity) {
  if (newCapacity > 0 && newCapacity != size_)
    newCapacity = (newCapacity + (MemoryDelta - 1)) & ~(MemoryDelta - 1);
  if (newCapacity == capacity_) return memory_;
  if (newCapacity == 0) {
    std::free(memory_);
    return nullptr;
  }
  void* block = std::realloc(memory_, static_cast<size_t>(newCapacity));
  if (!block) throw EStreamError(u"Out of memory while expanding memory stream");
  return block;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  size_ = 0;
  position_ = 0;
}

void TMemoryStream::SetSize(Int64 newSize) {
  if (newSize < 0) throw EStreamError(u"Stream size cannot be negative");
  Int64 oldPosition = position_;
  Int64 oldSize = size_;
  SetCapacity(newSize);
  size_ = newSize;
  if (newSize > oldSize)
    std::memset(static_cast<Byte*>(memory_) + oldSize, 0, static_cast<size_t>(newSize - oldSize));
  if (oldPosition > newSize) Seek(0, soEnd);
}

Integer TMemoryStream::Write(const void* buffer, Integer count) {
  if (position_ < 0 || count <= 0) return 0;
  Int64 end = position_ + count;
  if (end > size_) {
    if (end > capacity_) SetCapacity(end);
    // A gap left by seeking past the end reads as zeros, not as stale memory.
    if (position_ > size_)
      std::memset(static_cast<Byte*>(memory_) + size_, 0, static_cast<size_t>(position_ - size_));
    size_ = end;
  }
  std::memcpy(static_cast<Byte*>(memory_) + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::LoadFromStream(TStream* stream) {
  stream->SetPosition(0);
  Int64 count = stream->GetSize();
  SetSize(count);
  if (count != 0) stream->ReadBuffer(memory_, static_cast<Integer>(count));
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

// ---- TBytesStream ----

TBytesStream::TBytesStream(const TBytes& bytes) : bytes_(bytes) {
  SetPointer(bytes_.data(), static_cast<Int64>(bytes_.size()));
  Int64 capacity = static_cast<Int64>(bytes_.size());
  SetCapacity(capacity);
}

TBytesStream::~TBytesStream() { SetPointer(nullptr, 0); }

void* TBytesStream::Realloc(Int64& newCapacity) {
  if (newCapacity == static_cast<Int64>(bytes_.size())) return bytes_.empty() ? nullptr : bytes_.data();
  // Grow by a quarter at least, so appending byte by byte stays linear.
  if (newCapacity > static_cast<Int64>(bytes_.size()) && newCapacity > 64)
    newCapacity = std::max<Int64>(newCapacity, static_cast<Int64>(bytes_.size()) * 5 / 4);
  bytes_.resize(static_cast<size_t>(newCapacity));
  return bytes_.empty() ? nullptr : bytes_.data();
}

// ---- TStringStream ----

TStringStream::TStringStream(const String& text, const TEncoding* encoding)
    : TBytesStream(encoding->GetBytes(text)), encoding_(encoding) {}

TStringStream::TStringStream(const TBytes& bytes, const TEncoding* encoding)
    : TBytesStream(bytes), encoding_(encoding) {}

String TStringStream::GetDataString() const {
  return encoding_->GetString(
      std::string_view(static_cast<const char*>(memory_), static_cast<size_t>(size_)));
}

void TStringStream::WriteString(const String& text) {
  TBytes b = encoding_->GetBytes(text);
  if (!b.empty()) WriteBuffer(b.data(), static_cast<Integer>(b.size()));
}

String TStringStream::ReadString(Integer count) {
  Int64 available = std::max<Int64>(0, size_ - position_);
  Integer n = static_cast<Integer>(std::min<Int64>(std::max(count, 0), available));
  std::string_view bytes(static_cast<const char*>(memory_) + position_, static_cast<size_t>(n));
  position_ += n;
  return encoding_->GetString(bytes);
}

// ---- TFileStream ----

TFileStream::TFileStream(const String& fileName, Word mode) : fileName_(fileName) {
  std::string path = StringToUtf8(fileName);
  if ((mode & fmCreate) == fmCreate) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0)
      throw EFCreateError(u"Cannot create file \"" + fileName + u"\". " + Utf8ToString(std::strerror(errno)));
    return;
  }
  int flags = O_CLOEXEC;
  switch (mode & 3) {
    case fmOpenWrite:
      flags |= O_WRONLY;
      break;
    case fmOpenReadWrite:
      flags |= O_RDWR;
      break;
    default:
      flags |= O_RDONLY;
  }
  fd_ = ::open(path.c_str(), flags);
  int error = errno;
  if (fd_ >= 0) {
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd_);
      fd_ = -1;
      error = EISDIR;
    }
  }
  if (fd_ < 0)
    throw EFOpenError(u"Cannot open file \"" + fileName + u"\". " + Utf8ToString(std::strerror(error)));
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

Integer TFileStream::Read(void* buffer, Integer count) {
  if (count <= 0) return 0;
  Integer done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, static_cast<Byte*>(buffer) + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<Integer>(n);
  }
  return done;
}

Integer TFileStream::Write(const void* buffer, Integer count) {
  if (count <= 0) return 0;
  Integer done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, static_cast<const Byte*>(buffer) + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<Integer>(n);
  }
  return done;
}

Int64 TFileStream::Seek(Int64 offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
  return r < 0 ? -1 : static_cast<Int64>(r);
}

void TFileStream::SetSize(Int64 newSize) {
  Int64 pos = GetPosition();
  if (::ftruncate(fd_, static_cast<off_t>(newSize)) != 0) throw EStreamError(u"Stream write error");
  if (pos > newSize) Seek(0, soEnd);
}

// ---- Resources ----

namespace {
struct ResourceTable {
  std::mutex mutex;
  std::map<String, std::unique_ptr<TResourceBlob>, CompareTextLess> byName;
};
ResourceTable& Resources() {
  static ResourceTable table;
  return table;
}
}  // namespace

void RegisterResource(const String& name, const Byte* data, size_t size) {
  ResourceTable& t = Resources();
  std::lock_guard lock(t.mutex);
  t.byName[name] = std::make_unique<TResourceBlob>(TResourceBlob{name, data, size});
}

const TResourceBlob* FindResourceBlob(const String& name) {
  ResourceTable& t = Resources();
  std::lock_guard lock(t.mutex);
  auto it = t.byName.find(name);
  return it == t.byName.end() ? nullptr : it->second.get();
}

bool ResourceExists(const String& name) { return FindResourceBlob(name) != nullptr; }

std::vector<String> ResourceNames() {
  ResourceTable& t = Resources();
  std::lock_guard lock(t.mutex);
  std::vector<String> names;
  for (auto& [name, blob] : t.byName) names.push_back(name);
  return names;
}

// Called by the code that kiv_resources() generates.
extern "C" void kiv_register_resource(const char* nameUtf8, const unsigned char* data, unsigned long size) {
  RegisterResource(Utf8ToString(nameUtf8), data, size);
}

TResourceStream::TResourceStream(const String& resourceName) {
  const TResourceBlob* blob = FindResourceBlob(resourceName);
  if (!blob) throw EResNotFound(u"Resource " + resourceName + u" not found");
  SetPointer(const_cast<Byte*>(blob->Data), static_cast<Int64>(blob->Size));
}

TResourceStream::TResourceStream(NativeInt, const String& resourceName, const Char*)
    : TResourceStream(resourceName) {}

Integer TResourceStream::Write(const void*, Integer) {
  throw EStreamError(u"Can't write to a read-only resource stream");
}
