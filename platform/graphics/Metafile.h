// Enhanced metafiles: TMetafile holds the bytes of a real EMF, TMetafileCanvas records onto it at a
// reference resolution, and the player and the enumerator walk its records.
#pragma once

#include <functional>

#include "platform/graphics/Graphics.h"

class TMetafile : public TGraphic {
  KIV_CLASS(TMetafile, TGraphic)
 public:
  TMetafile();
  ~TMetafile() override;

  void Assign(TPersistent* source) override;
  bool GetEmpty() const override { return data_.empty(); }
  // In pixels of the reference device the picture was recorded for.
  Integer GetWidth() const override { return width_; }
  Integer GetHeight() const override { return height_; }
  void SetWidth(Integer width) override;
  void SetHeight(Integer height) override;
  // In hundredths of a millimetre.
  Integer GetMMWidth() const { return mmWidth_; }
  Integer GetMMHeight() const { return mmHeight_; }
  void SetMMWidth(Integer value);
  void SetMMHeight(Integer value);
  // Always enhanced: the old format is not written.
  bool GetEnhanced() const { return true; }
  void SetEnhanced(bool) {}
  Integer GetInch() const { return 0; }
  // Pixels per inch of the reference device.
  Integer GetReferenceDpiX() const { return dpiX_; }
  Integer GetReferenceDpiY() const { return dpiY_; }
  const String& GetCreatedBy() const { return createdBy_; }
  const String& GetDescription() const { return description_; }

  void Clear();
  // Reads exactly the byte count the header gives; a stream that is not an EMF, a truncated one or
  // one with a damaged record raises EInvalidGraphic, and the metafile keeps what it had.
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  const TBytes& GetBytes() const { return data_; }

  // Replays the records scaled from the picture's size into the rectangle.
  void Draw(TCanvas* canvas, const TRect& rect) override;

 private:
  friend class TMetafileCanvas;
  void SetData(TBytes data);
  TBytes data_;
  Integer width_ = 0, height_ = 0, mmWidth_ = 0, mmHeight_ = 0;
  Integer dpiX_ = 96, dpiY_ = 96;
  String createdBy_, description_;
};

class TEmfWriter;

// Records the drawing onto the metafile; the picture is complete when the canvas is freed.
class TMetafileCanvas : public TCanvas {
  KIV_CLASS(TMetafileCanvas, TCanvas)
 public:
  // referenceDevice 0: the screen at 96 dpi.
  TMetafileCanvas(TMetafile* metafile, HDC referenceDevice);
  TMetafileCanvas(TMetafile* metafile, HDC referenceDevice, const String& createdBy,
                  const String& description);
  ~TMetafileCanvas() override;

 private:
  TMetafile* metafile_;
  std::unique_ptr<TEmfWriter> writer_;
  HDC recordingDc_ = nullptr;
};

// One record as the enumerator gives it: the type (EMR_xxx), its size and its bytes.
struct TEnhMetaRecord {
  Cardinal Type = 0;
  Cardinal Size = 0;
  const Byte* Data = nullptr;
};
// Return false to stop.
using TEnhMetaEnumProc = std::function<bool(const TEnhMetaRecord& record)>;
bool EnumEnhMetaFile(const TMetafile* metafile, const TEnhMetaEnumProc& proc);

// A text record (EMR_EXTTEXTOUTW, or the 8-bit one) with the font selected when it was drawn.
struct TEmfTextRecord {
  String Text;
  TPoint Position;
  UINT Options = 0;
  TRect Rect;
  std::vector<Integer> Advances;
  LOGFONTW Font;
};
std::vector<TEmfTextRecord> MetafileTextRecords(const TMetafile* metafile);

// Record types this layer writes and reads.
enum : Cardinal {
  EMR_HEADER = 1,
  EMR_POLYBEZIER = 2,
  EMR_POLYGON = 3,
  EMR_POLYLINE = 4,
  EMR_SETWINDOWEXTEX = 9,
  EMR_SETWINDOWORGEX = 10,
  EMR_SETVIEWPORTEXTEX = 11,
  EMR_SETVIEWPORTORGEX = 12,
  EMR_EOF = 14,
  EMR_SETPIXELV = 15,
  EMR_SETMAPMODE = 17,
  EMR_SETBKMODE = 18,
  EMR_SETPOLYFILLMODE = 19,
  EMR_SETROP2 = 20,
  EMR_SETSTRETCHBLTMODE = 21,
  EMR_SETTEXTALIGN = 22,
  EMR_SETTEXTCOLOR = 24,
  EMR_SETBKCOLOR = 25,
  EMR_MOVETOEX = 27,
  EMR_EXCLUDECLIPRECT = 29,
  EMR_INTERSECTCLIPRECT = 30,
  EMR_SAVEDC = 33,
  EMR_RESTOREDC = 34,
  EMR_SETWORLDTRANSFORM = 35,
  EMR_MODIFYWORLDTRANSFORM = 36,
  EMR_SELECTOBJECT = 37,
  EMR_CREATEPEN = 38,
  EMR_CREATEBRUSHINDIRECT = 39,
  EMR_DELETEOBJECT = 40,
  EMR_ELLIPSE = 42,
  EMR_RECTANGLE = 43,
  EMR_ROUNDRECT = 44,
  EMR_ARC = 45,
  EMR_CHORD = 46,
  EMR_PIE = 47,
  EMR_LINETO = 54,
  EMR_EXTSELECTCLIPRGN = 75,
  EMR_BITBLT = 76,
  EMR_STRETCHBLT = 77,
  EMR_STRETCHDIBITS = 81,
  EMR_EXTCREATEFONTINDIRECTW = 82,
  EMR_EXTTEXTOUTA = 83,
  EMR_EXTTEXTOUTW = 84,
  EMR_POLYGON16 = 86,
  EMR_POLYLINE16 = 87,
  EMR_POLYPOLYLINE16 = 90,
  EMR_POLYPOLYGON16 = 91,
  EMR_ALPHABLEND = 114,
  EMR_SETLAYOUT = 115,
};
