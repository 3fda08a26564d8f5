// Streams: the abstract TStream with its buffer and copy helpers, memory, file, string and byte
// streams, and TResourceStream over the resources compiled into the program.
#pragma once

#include <string_view>
#include <vector>

#include "platform/classes/Encoding.h"
#include "platform/classes/Object.h"

class TComponent;

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
constexpr Word soFromBeginning = 0;
constexpr Word soFromCurrent = 1;
constexpr Word soFromEnd = 2;

class TStream : public TObject {
  KIV_CLASS(TStream, TObject)
 public:
  // Both answer how many bytes were moved; a short count is not an error here.
  virtual Integer Read(void* buffer, Integer count) = 0;
  virtual Integer Write(const void* buffer, Integer count) = 0;
  virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;
  Int64 Seek(Int64 offset, Word origin) { return Seek(offset, static_cast<TSeekOrigin>(origin)); }

  // Raise EReadError "Stream read error" / EWriteError "Stream write error" on a short count.
  void ReadBuffer(void* buffer, Integer count);
  void WriteBuffer(const void* buffer, Integer count);

  Int64 GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(Int64 position) { Seek(position, soBeginning); }
  virtual Int64 GetSize();
  virtual void SetSize(Int64 newSize);

  // Copies count bytes from source's position; count 0 copies the whole source from its start.
  Int64 CopyFrom(TStream* source, Int64 count);

  // Component streaming in the binary form (Streaming.cpp).
  TComponent* ReadComponent(TComponent* instance);
  void WriteComponent(TComponent* instance);
  void WriteDescendent(TComponent* instance, TComponent* ancestor);

  TBytes ReadAllBytes();
};

class TCustomMemoryStream : public TStream {
  KIV_CLASS(TCustomMemoryStream, TStream)
 public:
  using TStream::Seek;
  Integer Read(void* buffer, Integer count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 GetSize() override { return size_; }
  void* GetMemory() const { return memory_; }
  void* Memory() const { return memory_; }
  void SaveToStream(TStream* stream);
  void SaveToFile(const String& fileName);

 protected:
  void SetPointer(void* memory, Int64 size);
  void* memory_ = nullptr;
  Int64 size_ = 0;
  Int64 position_ = 0;
};

class TMemoryStream : public TCustomMemoryStream {
  KIV_CLASS(TMemoryStream, TCustomMemoryStream)
 public:
  static constexpr Int64 MemoryDelta = 0x2000;

  TMemoryStream() = default;
  ~TMemoryStream() override;

  Integer Write(const void* buffer, Integer count) override;
  void SetSize(Int64 newSize) override;
  void Clear();
  void LoadFromStream(TStream* stream);
  void LoadFromFile(const String& fileName);
  Int64 GetCapacity() const { return capacity_; }
  void SetCapacity(Int64 newCapacity);

 protected:
  // Answers the block for at least newCapacity bytes, keeping the old contents, and may round
  // newCapacity up (the growth step). Descendants that keep their bytes elsewhere override it and
  // clear the pointer (SetPointer(nullptr, 0)) in their destructor.
  virtual void* Realloc(Int64& newCapacity);

 private:
  Int64 capacity_ = 0;
};

class TBytesStream : public TMemoryStream {
  KIV_CLASS(TBytesStream, TMemoryStream)
 public:
  TBytesStream() = default;
  explicit TBytesStream(const TBytes& bytes);
  ~TBytesStream() override;
  // The bytes, sized to the capacity; the first GetSize() of them are the data.
  const TBytes& GetBytes() const { return bytes_; }

 protected:
  void* Realloc(Int64& newCapacity) override;

 private:
  TBytes bytes_;
};

class TStringStream : public TBytesStream {
  KIV_CLASS(TStringStream, TBytesStream)
 public:
  TStringStream() : TStringStream(String()) {}
  explicit TStringStream(const String& text, const TEncoding* encoding = TEncoding::Default());
  explicit TStringStream(const TBytes& bytes, const TEncoding* encoding = TEncoding::Default());

  // The whole content decoded with the stream's encoding.
  String GetDataString() const;
  String DataString() const { return GetDataString(); }
  const TEncoding* GetEncoding() const { return encoding_; }
  void WriteString(const String& text);
  // count bytes from the position, decoded.
  String ReadString(Integer count);

 private:
  const TEncoding* encoding_;
};

enum : Word {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,
};

// Share modes are accepted and not enforced: Linux has no mandatory locks.
class TFileStream : public TStream {
  KIV_CLASS(TFileStream, TStream)
 public:
  // Raises EFCreateError "Cannot create file \"%s\". %s" or EFOpenError "Cannot open file \"%s\". %s".
  TFileStream(const String& fileName, Word mode);
  ~TFileStream() override;

  Integer Read(void* buffer, Integer count) override;
  using TStream::Seek;
  Integer Write(const void* buffer, Integer count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  void SetSize(Int64 newSize) override;
  const String& GetFileName() const { return fileName_; }

 private:
  String fileName_;
  int fd_ = -1;
};

// ---- Resources compiled into the program ----

struct TResourceBlob {
  String Name;
  const Byte* Data;
  size_t Size;
};

// Case-insensitive names; a second registration of a name replaces the first.
void RegisterResource(const String& name, const Byte* data, size_t size);
const TResourceBlob* FindResourceBlob(const String& name);
bool ResourceExists(const String& name);
std::vector<String> ResourceNames();

// Read-only stream over a registered resource; raises EResNotFound "Resource %s not found".
class TResourceStream : public TCustomMemoryStream {
  KIV_CLASS(TResourceStream, TCustomMemoryStream)
 public:
  explicit TResourceStream(const String& resourceName);
  // The module handle and resource type of the class library's form; both are ignored.
  TResourceStream(NativeInt instance, const String& resourceName, const Char* resourceType);
  Integer Write(const void* buffer, Integer count) override;
};

constexpr const Char* RT_RCDATA = u"RCDATA";
