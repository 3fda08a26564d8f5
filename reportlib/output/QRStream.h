// Report stream: the locked byte store of a generated report, held in memory until it passes its
// limit and then in a temporary file ("QRP…") that lives exactly as long as the stream.
#pragma once

#include <memory>

#include "platform/classes/Streams.h"
#include "platform/classes/Thread.h"

class TQRPageList;

class TQRStream : public TStream {
  KIV_CLASS(TQRStream, TStream)
 public:
  explicit TQRStream(Integer memoryLimit);
  // Reads the whole file into memory (the file is never written through this stream); raises
  // EFOpenError for a missing or unreadable file, EQRError for one past 2 GB.
  static std::unique_ptr<TQRStream> CreateFromFile(const String& fileName);
  ~TQRStream() override;

  using TStream::Seek;
  Integer Read(void* buffer, Integer count) override;
  Integer Write(const void* buffer, Integer count) override;
  // Positions are 64-bit throughout, so a stream past 2 GiB keeps its place.
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 GetSize() override;
  void SetSize(Int64 newSize) override;

  // Re-entrant for the thread that holds it; makes a sequence of calls atomic.
  void LockStream() { lock_.Enter(); }
  void UnlockStream() { lock_.Leave(); }
  // Copies the whole stream from its start in 10240-byte chunks; the position ends at the end.
  void SaveToStream(TStream* stream);

  bool GetInMemory() const { return inMemory_; }
  Integer GetMemoryLimit() const { return memoryLimit_; }
  // The temporary file after the spill; empty before.
  const String& GetFileName() const { return fileName_; }

 private:
  friend class TQRPageList;
  // The size of the saved-report header in front of the first page, found from where the first
  // metafile's signature lies; the position is kept.
  Integer DetectHeaderSize();
  TStream* Inner() const;
  void SpillToFile();

  TCriticalSection lock_;
  std::unique_ptr<TMemoryStream> memoryStream_;
  String fileName_;
  std::unique_ptr<TFileStream> fileStream_;
  bool inMemory_ = true;
  Integer memoryLimit_;
};
