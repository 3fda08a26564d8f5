// Preview control: page drawing with border and shadow, zooming and fitting against the printer's
// paper, and the page and progress messages of a running generation.
#include "reportlib/output/QRPreview.h"

#include "platform/graphics/Gdi.h"
#include "platform/rtl/RtlMath.h"
#include "reportlib/output/QRStandardPreview.h"

void DrawPreviewPage(TCanvas* canvas, const TRect& r, TMetafile* page, bool frame, bool clip) {
  if (!page && !frame) return;
  const Integer w = r.Width(), h = r.Height();
  const TRect white(r.Left + 1, r.Top + 1, r.Left + w - 3, r.Top + h - 3);
  canvas->GetPen()->SetColor(clWhite);
  canvas->GetBrush()->SetColor(clWhite);
  canvas->FillRect(white);
  if (page) {
    // The page's records select their own objects: the canvas gets its state back afterwards.
    HDC dc = canvas->GetHandle();
    const Integer saved = SaveDC(dc);
    if (clip) IntersectClipRect(dc, white.Left, white.Top, white.Right, white.Bottom);
    canvas->StretchDraw(r, page);
    RestoreDC(dc, saved);
    canvas->Refresh();
  }
  canvas->GetPen()->SetColor(clBlack);
  canvas->GetPen()->SetWidth(1);
  canvas->MoveTo(r.Left, r.Top);
  canvas->LineTo(r.Left, r.Top + h - 3);
  canvas->LineTo(r.Left + w - 3, r.Top + h - 3);
  canvas->LineTo(r.Left + w - 3, r.Top);
  canvas->LineTo(r.Left, r.Top);
  canvas->GetBrush()->SetColor(clBlack);
  canvas->FillRect(TRect(r.Left + w - 2, r.Top + 2, r.Right, r.Bottom));
  canvas->FillRect(TRect(r.Left + 2, r.Top + h - 2, r.Right, r.Bottom));
}

// ---- TQRPreviewImage ----

TQRPreviewImage::TQRPreviewImage(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 100, 50); }

TQRPreviewImage::~TQRPreviewImage() = default;

void TQRPreviewImage::SetPageNumber(Integer value) {
  metafile_.reset();
  hyperlinks_.reset();
  pageNumber_ = value;
  if (qrPrinter_) metafile_ = qrPrinter_->GetPage(value);
  Invalidate();
}

void TQRPreviewImage::Paint() {
  DrawPreviewPage(GetCanvas(), GetClientRect(), metafile_.get(), GetComponentState().Contains(csDesigning),
                  false);
}

// ---- TQRPreview ----

TQRPreview::TQRPreview(TComponent* owner) : TScrollBox(owner) {
  image_ = new TQRPreviewImage(this);
  image_->SetParent(this);
  image_->SetBounds(0, 0, 100, 50);
  SetBounds(GetLeft(), GetTop(), 250, 250);
}

TQRPreview::~TQRPreview() { SetQRPrinter(nullptr); }

void TQRPreview::DetachPrinter(TQRPrinter* printer) {
  if (qrPrinter_ != printer) return;
  qrPrinter_ = nullptr;
  image_->SetQRPrinter(nullptr);
  image_->SetPageNumber(pageNumber_);
}

void TQRPreview::SetQRPrinter(TQRPrinter* value) {
  if (qrPrinter_ && qrPrinter_->GetClient() == this) {
    qrPrinter_->SetShowingPreview(false);
    qrPrinter_->SetClient(nullptr);
  }
  qrPrinter_ = value;
  image_->SetQRPrinter(value);
  if (value) {
    value->SetClient(this);
    value->SetShowingPreview(true);
  }
  pageNumber_ = 1;
  image_->SetPageNumber(1);
  // The owner hears the page image's mouse with coordinates on the page.
  image_->OnClick = OnClick;
  image_->OnDblClick = OnDblClick;
  image_->OnDragDrop = OnDragDrop;
  image_->OnDragOver = OnDragOver;
  image_->OnEndDrag = OnEndDrag;
  image_->OnMouseDown = OnMouseDown;
  image_->OnMouseMove = OnMouseMove;
  image_->OnMouseUp = OnMouseUp;
  Invalidate();
}

void TQRPreview::SetPageNumber(Integer value) {
  if ((value == pageNumber_ && image_->ImageOK()) || value <= 0 || !qrPrinter_ ||
      value > qrPrinter_->GetPageCount())
    return;
  pageNumber_ = value;
  image_->SetPageNumber(value);
  GetHorzScrollBar()->SetPosition(0);
  GetVertScrollBar()->SetPosition(0);
}

void TQRPreview::UpdateImage() {
  if (image_->ImageOK() || !qrPrinter_ || qrPrinter_->GetAvailablePages() < image_->GetPageNumber()) return;
  if (qrPrinter_->GetParentReport() && qrPrinter_->GetParentReport()->GetPrevInitialZoom() == qrZoomToWidth)
    ZoomToWidth();
  image_->SetPageNumber(image_->GetPageNumber());
}

void TQRPreview::SetZoom(Integer value) {
  if (value < 2 || value > 2000) return;
  zoom_ = value;
  zoomState_ = qrZoomOther;
  UpdateZoom();
}

Extended TQRPreview::PageWidthPixels() const {
  return qrPrinter_ ? qrPrinter_->XSize(qrPrinter_->GetPaperWidthValue()) : 215.9;
}

Extended TQRPreview::PageLengthPixels() const {
  return qrPrinter_ ? qrPrinter_->YSize(qrPrinter_->GetPaperLengthValue()) : 279.4;
}

void TQRPreview::UpdateZoom() {
  Integer width, height;
  if (qrPrinter_) {
    width = RoundInt(qrPrinter_->XSize(qrPrinter_->GetPaperWidthValue() / 100.0 * zoom_)) + 4;
    height = RoundInt(qrPrinter_->YSize(qrPrinter_->GetPaperLengthValue() / 100.0 * zoom_)) + 4;
  } else {
    width = RoundInt(215.9 / 100 * zoom_) + 4;
    height = RoundInt(279.4 / 100 * zoom_) + 4;
  }
  const Integer boxW = GetClientWidth(), boxH = GetClientHeight();
  const Integer left = width < boxW ? (boxW - width) / 2 : 0;
  const Integer top = height < boxH ? (boxH - height) / 2 : 0;
  GetHorzScrollBar()->SetPosition(0);
  GetVertScrollBar()->SetPosition(0);
  image_->SetBounds(left, top, width, height);
  image_->SetZoom(zoom_);
  UpdateScrollBars();
}

void TQRPreview::ZoomToFit() {
  const Integer a = RoundInt(GetClientWidth() / PageWidthPixels() * 95);
  const Integer b = RoundInt(GetClientHeight() / PageLengthPixels() * 95);
  SetZoom(std::min(a, b));
  UpdateZoom();
  zoomState_ = qrZoomToFit;
}

void TQRPreview::ZoomToWidth() {
  const Integer factor = qrPrinter_ ? 90 : 95;
  SetZoom(RoundInt(GetClientWidth() / PageWidthPixels() * factor));
  UpdateZoom();
  zoomState_ = qrZoomToWidth;
}

void TQRPreview::ApplyZoomState() {
  if (!image_) return;
  if (zoomState_ == qrZoomToFit) ZoomToFit();
  if (zoomState_ == qrZoomToWidth) ZoomToWidth();
  UpdateZoom();
}

void TQRPreview::Resize() {
  TScrollBox::Resize();
  ApplyZoomState();
}

void TQRPreview::DoEnter() {
  TScrollBox::DoEnter();
  ApplyZoomState();
}

void TQRPreview::WndProc(TMessage& message) {
  switch (message.Msg) {
    case QRM_PROGRESS:
      if (OnProgressUpdate) OnProgressUpdate(this, static_cast<Integer>(message.WParam));
      return;
    case QRM_PAGEAVAILABLE: {
      // The whole parameter: page numbers do not stop at 65535.
      const Integer pages = static_cast<Integer>(message.WParam);
      if (pages == pageNumber_) UpdateImage();
      if (OnPageAvailable) OnPageAvailable(this, pages);
      return;
    }
    default:
      TScrollBox::WndProc(message);
  }
}

std::unique_ptr<TQRPreviewInterface> CreatePreviewInterface(TComponent* owner) {
  if (QRPreviewInterfaceClass) return QRPreviewInterfaceClass(owner);
  return std::make_unique<TQRStandardPreviewInterface>(owner);
}
