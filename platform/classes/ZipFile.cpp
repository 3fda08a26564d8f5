// The zip archive writer over libzip: the archive is built in libzip's memory source and copied into
// the caller's stream when it is closed.
#include "platform/classes/ZipFile.h"

#include <zip.h>

#include <cstdlib>
#include <cstring>

#include "platform/rtl/Utf.h"

struct TZipFile::TImpl {
  zip_source_t* source = nullptr;
  zip_t* archive = nullptr;
  TStream* stream = nullptr;
  Integer count = 0;

  [[noreturn]] static void Raise(const char* what, zip_error_t* error) {
    throw EZipException(Utf8ToString(std::string(what) + ": " + zip_error_strerror(error)));
  }

  void Discard() {
    if (archive) zip_discard(archive);
    if (source) zip_source_free(source);
    archive = nullptr;
    source = nullptr;
  }
};

TZipFile::TZipFile() : impl_(std::make_unique<TImpl>()) {}

TZipFile::~TZipFile() { impl_->Discard(); }

void TZipFile::Open(TStream* stream, TZipMode mode) {
  if (mode != zmWrite) throw EZipException(u"Only writing of zip archives is supported");
  if (mode_ != zmClosed) throw EZipException(u"The zip archive is already open");
  zip_error_t error;
  zip_error_init(&error);
  impl_->source = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (!impl_->source) TImpl::Raise("zip buffer", &error);
  // The archive's close frees its source; kept, it can be read back afterwards.
  zip_source_keep(impl_->source);
  impl_->archive = zip_open_from_source(impl_->source, ZIP_TRUNCATE, &error);
  if (!impl_->archive) {
    impl_->Discard();
    TImpl::Raise("zip open", &error);
  }
  impl_->stream = stream;
  impl_->count = 0;
  mode_ = mode;
}

void TZipFile::Add(TStream* data, const String& archiveFileName, TZipCompression compression) {
  if (mode_ != zmWrite) throw EZipException(u"The zip archive is not open for writing");
  data->SetPosition(0);
  const TBytes bytes = data->ReadAllBytes();
  // libzip reads the data when the archive is closed: it gets its own copy, which it frees. It never
  // frees the data of an empty buffer, so an empty entry gets none.
  void* copy = nullptr;
  if (!bytes.empty()) {
    copy = std::malloc(bytes.size());
    if (!copy) throw EZipException(u"zip entry: out of memory");
    std::memcpy(copy, bytes.data(), bytes.size());
  }
  zip_source_t* entry = zip_source_buffer(impl_->archive, copy, bytes.size(), copy ? 1 : 0);
  if (!entry) {
    std::free(copy);
    TImpl::Raise("zip entry", zip_get_error(impl_->archive));
  }
  const std::string name = StringToUtf8(archiveFileName);
  const zip_int64_t index = zip_file_add(impl_->archive, name.c_str(), entry, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(entry);
    TImpl::Raise("zip add", zip_get_error(impl_->archive));
  }
  zip_set_file_compression(impl_->archive, static_cast<zip_uint64_t>(index),
                           compression == zcDeflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
  ++impl_->count;
}

Integer TZipFile::GetFileCount() const { return impl_->count; }

void TZipFile::Close() {
  if (mode_ == zmClosed) return;
  mode_ = zmClosed;
  if (zip_close(impl_->archive) < 0) {
    zip_error_t* error = zip_get_error(impl_->archive);
    const std::string text = std::string("zip close: ") + zip_error_strerror(error);
    impl_->Discard();
    throw EZipException(Utf8ToString(text));
  }
  impl_->archive = nullptr;
  zip_source_t* src = impl_->source;
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_source_stat(src, &stat) < 0 || zip_source_open(src) < 0) {
    impl_->Discard();
    throw EZipException(u"zip close: the archive cannot be read back");
  }
  TBytes bytes(static_cast<size_t>(stat.size));
  const zip_int64_t read = bytes.empty() ? 0 : zip_source_read(src, bytes.data(), bytes.size());
  zip_source_close(src);
  impl_->Discard();
  if (read != static_cast<zip_int64_t>(bytes.size()))
    throw EZipException(u"zip close: short read of the archive");
  if (!bytes.empty()) impl_->stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}
