// Preview control: a scroll box showing one stored page of a report printer at a zoom, following a
// running generation through the printer's messages; and the factory through which the printer
// opens a preview window without knowing its class.
#pragma once

#include <memory>

#include "platform/classes/Delegate.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Metafile.h"
#include "reportlib/output/QRPrinter.h"

using TQRPageAvailableEvent = TDelegate<void(TObject* sender, Integer pageNum)>;
using TQRProgressUpdateEvent = TDelegate<void(TObject* sender, Integer progress)>;

// Draws a page into r (white page, border and shadow); frame draws them without a page too; clip
// keeps the picture inside the white area (the thumbnails ask for it).
void DrawPreviewPage(TCanvas* canvas, const TRect& r, TMetafile* page, bool frame, bool clip);

class TQRPreviewImage : public TGraphicControl {
  KIV_CLASS(TQRPreviewImage, TGraphicControl)
 public:
  explicit TQRPreviewImage(TComponent* owner);
  ~TQRPreviewImage() override;

  TQRPrinter* GetQRPrinter() const { return qrPrinter_; }
  void SetQRPrinter(TQRPrinter* value) { qrPrinter_ = value; }
  Integer GetPageNumber() const { return pageNumber_; }
  // Frees the page held and asks the printer for this one (none while it is not stored yet).
  void SetPageNumber(Integer value);
  TMetafile* GetMetafile() const { return metafile_.get(); }
  bool ImageOK() const { return metafile_ != nullptr; }
  bool HyperlinksOK() const { return hyperlinks_ != nullptr; }
  const THyperlinkList* GetHyperlinks() const { return hyperlinks_.get(); }
  Integer GetZoom() const { return zoom_; }
  void SetZoom(Integer value) { zoom_ = value; }

 protected:
  void Paint() override;

 private:
  TQRPrinter* qrPrinter_ = nullptr;
  Integer pageNumber_ = 1;
  std::unique_ptr<TMetafile> metafile_;
  std::unique_ptr<THyperlinkList> hyperlinks_;
  Integer zoom_ = 100;
};

class TQRPreview : public TScrollBox {
  KIV_CLASS(TQRPreview, TScrollBox)
 public:
  explicit TQRPreview(TComponent* owner);
  ~TQRPreview() override;

  TQRPreviewImage* GetPreviewImage() const { return image_; }
  TQRPrinter* GetQRPrinter() const { return qrPrinter_; }
  // Detaches the old printer (cancelling a run it still makes) and shows page 1 of the new one.
  void SetQRPrinter(TQRPrinter* value);
  // Called by a printer that goes away while it is attached.
  void DetachPrinter(TQRPrinter* printer);
  Integer GetPageNumber() const { return pageNumber_; }
  void SetPageNumber(Integer value);
  Integer GetZoom() const { return zoom_; }
  // 2 .. 2000 percent; other values are ignored.
  void SetZoom(Integer value);
  TQRZoomState GetZoomState() const { return zoomState_; }
  void UpdateImage();
  void UpdateZoom();
  void ZoomToFit();
  void ZoomToWidth();

  TQRPageAvailableEvent OnPageAvailable;
  TQRProgressUpdateEvent OnProgressUpdate;

 protected:
  void WndProc(TMessage& message) override;
  void Resize() override;
  void DoEnter() override;

 private:
  void ApplyZoomState();
  Extended PageWidthPixels() const;
  Extended PageLengthPixels() const;

  TQRPreviewImage* image_ = nullptr;
  Integer pageNumber_ = 1;
  TQRPrinter* qrPrinter_ = nullptr;
  Integer zoom_ = 100;
  TQRZoomState zoomState_ = qrZoomOther;
};

// Opens a preview window for a printer; the base opens none.
class TQRPreviewInterface : public TComponent {
  KIV_CLASS(TQRPreviewInterface, TComponent)
 public:
  explicit TQRPreviewInterface(TComponent* owner) : TComponent(owner) {}
  virtual TWinControl* Show(TQRPrinter*) { return nullptr; }
  virtual TWinControl* ShowModal(TQRPrinter*) { return nullptr; }
};

// An instance of QRPreviewInterfaceClass, or of the standard preview's interface when none is set.
std::unique_ptr<TQRPreviewInterface> CreatePreviewInterface(TComponent* owner);
