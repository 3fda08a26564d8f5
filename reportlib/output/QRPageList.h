// Page store and saved-report file: the pages of a generated report as linked records of enhanced
// metafiles (plain, with links, or splay-coded) in a report stream, whose bytes are the saved file.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Metafile.h"
#include "reportlib/output/QRStream.h"

class THyperlink {
 public:
  THyperlink() = default;
  THyperlink(const TRect& area, const String& link) : Area(area), Link(link) {}
  bool operator==(const THyperlink&) const = default;
  TRect Area;
  String Link;
};
using THyperlinkList = std::vector<THyperlink>;

class TQRPageList : public TObject {
  KIV_CLASS(TQRPageList, TObject)
 public:
  static constexpr Integer HeaderSize = 128;

  TQRPageList();
  ~TQRPageList() override;

  // Sets the page count to 0 and keeps the stream.
  void Clear();
  void LockList() { lock_.Enter(); }
  void UnlockList() { lock_.Leave(); }

  // Append one page; the caller keeps the metafile. A page that would carry the file past the
  // 32-bit offsets of the format raises EQRError and leaves the store as it was.
  void AddPage(TMetafile* metafile);
  // With the link block (a plain store only; a coded store writes the page without links).
  void AddPageEx(TMetafile* metafile, const THyperlinkList* hyperlinks);
  // A new metafile of page pageNumber (1-based), or null above the page count. Damaged data raises
  // EQRError.
  std::unique_ptr<TMetafile> GetPage(Integer pageNumber);
  // The page and, for a record with links, its list (null when the page has none).
  void GetPageEx(Integer pageNumber, std::unique_ptr<TMetafile>& metafile,
                 std::unique_ptr<THyperlinkList>& hyperlinks);
  // Outline entries are accepted and not kept.
  void AddOutline(Integer level, const String& caption, const TRect& target, Integer pageNumber);
  // Rewrites the header with the final page count.
  void Finish();

  // The saved file is written beside the target and then renamed over it, so a failed save leaves
  // the old file whole.
  void SaveToFile(const String& fileName);
  void SaveToStream(TMemoryStream* stream);
  // Both check the whole file before taking it: every record, its links and its page must read
  // back, else EQRError says what is wrong and the store keeps what it had.
  void LoadFromFile(const String& fileName);
  void LoadFromStream(TMemoryStream* stream);

  Integer GetPageCount() const { return pageCount_; }
  bool GetCompression() const { return compression_; }
  void SetCompression(bool value) { compression_ = value; }
  TQRStream* GetStream() const { return stream_.get(); }
  // Takes the stream over (null frees the one held).
  void SetStream(std::unique_ptr<TQRStream> stream);

 private:
  struct Record {
    Int64 start = 0;  // page number field
    Int64 next = 0;   // first byte of the following record
  };
  void WriteHeader();
  void AddRecord(TMetafile* metafile, const THyperlinkList* hyperlinks, bool withLinks);
  Record SeekToPage(Integer pageNumber);
  void Adopt(std::unique_ptr<TQRStream> stream);

  TCriticalSection lock_;
  bool compression_ = false;
  // Read without the lock by the preview while the generating thread adds pages.
  std::atomic<Integer> pageCount_ = 0;
  Integer headerSize_ = HeaderSize;
  std::unique_ptr<TQRStream> stream_;
};
