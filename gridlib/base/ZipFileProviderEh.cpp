// The zip file provider over the platform's zip file, and the registered provider class.
#include "gridlib/base/ZipFileProviderEh.h"

namespace {

TFileZipingProviderClassEh& ProviderClass() {
  static TFileZipingProviderClassEh providerClass = nullptr;
  return providerClass;
}

[[noreturn]] void AbstractCall() { throw EAbstractError(u"Abstract Error"); }

}  // namespace

TStream* TCustomFileZipingProviderEh::InitZipFile(const String&) { AbstractCall(); }
void TCustomFileZipingProviderEh::AddFile(TStream*, const String&) { AbstractCall(); }
void TCustomFileZipingProviderEh::FinalizeZipFile() { AbstractCall(); }
void TCustomFileZipingProviderEh::FinalizeZipFile(TStream*) { AbstractCall(); }

TSystemZipFileProviderEh::TSystemZipFileProviderEh() = default;
TSystemZipFileProviderEh::~TSystemZipFileProviderEh() = default;

TStream* TSystemZipFileProviderEh::InitZipFile(const String& fileName) {
  if (stream_ || zipFile_) throw Exception(u"ZipFile is already Initialized.");
  if (!fileName.empty())
    stream_ = std::make_unique<TFileStream>(fileName, fmCreate);
  else
    stream_ = std::make_unique<TMemoryStream>();
  fileName_ = fileName;
  zipFile_ = std::make_unique<TZipFile>();
  zipFile_->Open(stream_.get(), zmWrite);
  return stream_.get();
}

void TSystemZipFileProviderEh::AddFile(TStream* data, const String& filePathAndName) {
  if (!zipFile_) throw Exception(u"ZipFile is not Initialized.");
  zipFile_->Add(data, filePathAndName, zcDeflate);
}

void TSystemZipFileProviderEh::CloseZip() {
  if (!zipFile_) throw Exception(u"ZipFile is not Initialized.");
  zipFile_->Close();
}

void TSystemZipFileProviderEh::FinalizeZipFile() {
  CloseZip();
  zipFile_.reset();
  stream_.reset();
}

void TSystemZipFileProviderEh::FinalizeZipFile(TStream* stream) {
  CloseZip();
  stream->CopyFrom(stream_.get(), 0);
  zipFile_.reset();
  stream_.reset();
}

TFileZipingProviderClassEh RegisterZipFileProviderClassEh(TFileZipingProviderClassEh providerClass) {
  const TFileZipingProviderClassEh previous = ProviderClass();
  ProviderClass() = providerClass;
  return previous;
}

TFileZipingProviderClassEh GetZipFileProviderClassEh() { return ProviderClass(); }

void InitializeZipFileProviderEh() {
  RegisterZipFileProviderClassEh(&TSystemZipFileProviderEh::CreateInstance);
}
