// The clipboard: text, pictures and the libraries' own formats as bytes per format. Formats set
// between Open and Close go onto the system clipboard together; named formats become MIME types.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Object.h"

// Format numbers as the Windows clipboard numbers them; registered names get numbers from 0xC000 up.
using TClipboardFormat = Word;
constexpr TClipboardFormat CF_TEXT = 1;
constexpr TClipboardFormat CF_BITMAP = 2;
constexpr TClipboardFormat CF_METAFILEPICT = 3;
constexpr TClipboardFormat CF_OEMTEXT = 7;
constexpr TClipboardFormat CF_DIB = 8;
constexpr TClipboardFormat CF_UNICODETEXT = 13;
constexpr TClipboardFormat CF_ENHMETAFILE = 14;
constexpr TClipboardFormat CF_HDROP = 15;

// The same name (compared case-insensitively) always gives the same number within the process; the
// names "VCLDBIF", "Csv", "Rich Text Format" and "XML Spreadsheet" have fixed numbers and MIME types
// (application/x-vcldbif, text/csv, text/rtf, application/x-xml-spreadsheet). An empty name raises
// EInvalidOperation.
TClipboardFormat RegisterClipboardFormat(const String& name);
// The MIME type behind a format; "" for a number nobody registered.
String ClipboardFormatMimeType(TClipboardFormat format);
// The registered name of a format ("" for the predefined and unknown ones).
String GetClipboardFormatName(TClipboardFormat format);

class TClipboard : public TPersistent {
  KIV_CLASS(TClipboard, TPersistent)
 public:
  TClipboard();
  ~TClipboard() override;

  // Open/Close nest. While open, every format set goes into one pending set, which Close (the
  // outermost) puts on the system clipboard in one step, replacing what was there. Setting a format
  // with the clipboard closed replaces the clipboard at once, as an open/set/close would.
  void Open();
  void Close();
  bool IsOpen() const;
  // Empties the clipboard (or the pending set while open).
  void Clear();

  // CF_TEXT and CF_UNICODETEXT are two views of the same text (text/plain): CF_TEXT as windows-1251
  // bytes ending in a zero byte, CF_UNICODETEXT as UTF-16 little-endian ending in two zero bytes.
  bool HasFormat(TClipboardFormat format) const;
  String GetAsText() const;
  void SetAsText(const String& text);
  // Copies at most bufSize - 1 characters and a terminating zero; answers the number copied.
  Integer GetTextBuf(Char* buffer, Integer bufSize) const;
  void SetTextBuf(const Char* buffer);

  // The bytes of one format. Setting CF_TEXT or CF_UNICODETEXT sets the text (up to the first
  // terminator); CF_BITMAP takes the bytes of a BMP, PNG or JPEG file; CF_ENHMETAFILE takes the
  // bytes of an enhanced metafile and also offers its picture. Reading a format that is not there
  // gives an empty buffer.
  void SetAsHandle(TClipboardFormat format, const TBytes& data);
  TBytes GetAsHandle(TClipboardFormat format) const;

  // The formats on the clipboard (or pending while open), text first.
  Integer GetFormatCount() const;
  TClipboardFormat GetFormats(Integer index) const;

  // Pictures: a TPicture, TBitmap or TMetafile (or any TGraphic) goes onto the clipboard; assigning
  // the clipboard to a TPicture or TBitmap takes its picture back (a metafile when one is there).
  void Assign(TPersistent* source) override;

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The process-wide clipboard.
TClipboard* Clipboard();
