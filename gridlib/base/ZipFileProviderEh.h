// The grid library's service for writing zip archives (exports that pack several files use it), with
// one implementation over the platform's zip file; the provider class in use is registered at start-up.
#pragma once

#include <memory>

#include "gridlib/base/GridLibCore.h"
#include "platform/classes/Streams.h"
#include "platform/classes/ZipFile.h"

class TCustomFileZipingProviderEh;
// What the library registers: a way to make a provider.
using TFileZipingProviderClassEh = TCustomFileZipingProviderEh* (*)();

class TCustomFileZipingProviderEh : public TObject {
  KIV_CLASS(TCustomFileZipingProviderEh, TObject)
 public:
  static TCustomFileZipingProviderEh* CreateInstance() { return nullptr; }
  // A file when fileName is not empty, else a memory stream; the provider owns it.
  virtual TStream* InitZipFile(const String& fileName);
  virtual void AddFile(TStream* data, const String& filePathAndName);
  virtual void FinalizeZipFile();
  // Copies the whole archive into stream.
  virtual void FinalizeZipFile(TStream* stream);
};

class TSystemZipFileProviderEh : public TCustomFileZipingProviderEh {
  KIV_CLASS(TSystemZipFileProviderEh, TCustomFileZipingProviderEh)
 public:
  TSystemZipFileProviderEh();
  ~TSystemZipFileProviderEh() override;
  static TCustomFileZipingProviderEh* CreateInstance() { return new TSystemZipFileProviderEh(); }

  TStream* GetStream() const { return stream_.get(); }
  TStream* InitZipFile(const String& fileName) override;
  void AddFile(TStream* data, const String& filePathAndName) override;
  void FinalizeZipFile() override;
  void FinalizeZipFile(TStream* stream) override;

 private:
  void CloseZip();

  std::unique_ptr<TStream> stream_;
  String fileName_;
  std::unique_ptr<TZipFile> zipFile_;
};

// Stores the provider class and answers the previous one.
TFileZipingProviderClassEh RegisterZipFileProviderClassEh(TFileZipingProviderClassEh providerClass);
TFileZipingProviderClassEh GetZipFileProviderClassEh();
// Registers the system provider; the program calls it at start-up.
void InitializeZipFileProviderEh();
