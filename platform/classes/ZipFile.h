// Writing zip archives into a stream, over libzip: entries are added from streams under archive paths
// (UTF-8 names, so Cyrillic names survive) and the archive is complete when it is closed.
#pragma once

#include <memory>

#include "platform/classes/Object.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exception.h"

KIV_DECLARE_EXCEPTION(EZipException, Exception);

enum TZipMode { zmClosed, zmRead, zmReadWrite, zmWrite };
enum TZipCompression { zcStored, zcDeflate };

class TZipFile : public TObject {
  KIV_CLASS(TZipFile, TObject)
 public:
  TZipFile();
  ~TZipFile() override;

  TZipMode GetMode() const { return mode_; }
  // Only writing is offered: the archive goes into the stream, which the caller keeps owning.
  void Open(TStream* stream, TZipMode mode);
  // Adds the whole contents of data (from its start) under the path; raises EZipException on a
  // closed archive or a name the archive already holds.
  void Add(TStream* data, const String& archiveFileName, TZipCompression compression = zcDeflate);
  Integer GetFileCount() const;
  // Writes the central directory and the archive into the stream at its position.
  void Close();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
  TZipMode mode_ = zmClosed;
};
