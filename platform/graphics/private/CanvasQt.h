// For platform libraries only: hosting a TCanvas on a QPainter (a widget's paint event) and reaching
// the pixels of a TBitmap as a QImage.
#pragma once

#include <QImage>
#include <QPainter>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/private/DeviceContext.h"

// A canvas whose device is a painter someone else opened; between paint events it still measures
// text. Attach before drawing and detach before the painter ends.
class TPainterCanvas : public TCanvas {
 public:
  TPainterCanvas() = default;
  ~TPainterCanvas() override {
    if (dc_) {
      SetHandle(nullptr);
      DeleteDC(dc_);
    }
  }
  void Attach(QPainter* painter, Integer width, Integer height) {
    if (!dc_)
      dc_ = gdi::CreatePainterDC(painter, width, height);
    else
      gdi::SetDCPainter(dc_, painter, width, height);
    SetHandle(dc_);
  }
  void Detach() {
    if (dc_) gdi::SetDCPainter(dc_, nullptr, dc_->width, dc_->height);
  }

 protected:
  void CreateHandle() override {
    dc_ = gdi::CreatePainterDC(nullptr, 0, 0);
    SetHandle(dc_);
  }

 private:
  HDC dc_ = nullptr;
};

// The pixels of a bitmap (any painter on them closed first).
inline QImage& BitmapImage(TBitmap* bitmap) { return gdi::Pixels(bitmap->GetHandle()); }
