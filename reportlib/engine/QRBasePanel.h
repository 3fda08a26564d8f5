// The panel that reports and bands derive from: zoom, frame, the page's rulers and the common
// background of the design surface.
#pragma once

#include <memory>

#include "platform/controls/ExtCtrls.h"
#include "reportlib/engine/QRUnits.h"

// Colours and styles of the design surface, chosen once at start-up by the screen's colour depth.
struct TQRDesignScheme {
  TPenStyle RulerMinorStyle, RulerMajorStyle;
  TColor RulerMinorColor, RulerMajorColor, RulerFontColor;
  TPenStyle MarginStyle;
  TColor MarginColor;
  TPenStyle BandOutlineStyle;
  TColor BandOutlineColor;
};
// colours: the screen's colour count (negative for "more than can be counted").
void ChooseQRDesignScheme(Integer colours);
const TQRDesignScheme& QRDesignScheme();

class TQRBasePanel : public TCustomPanel {
  KIV_CLASS(TQRBasePanel, TCustomPanel)
 public:
  explicit TQRBasePanel(TComponent* owner);
  ~TQRBasePanel() override;

  Integer GetZoom() const { return zoom_; }
  // 0 is ignored; printable children and child panels take the zoom too.
  virtual void SetZoom(Integer value);
  TQRFrame* GetFrame() const { return frame_.get(); }
  void SetFrame(TQRFrame* value) { frame_->Assign(value); }
  Integer GetFontSize() const { return fontSize_; }

 protected:
  void Paint() override;
  // Draws the ruler of the unit over the whole panel; labels only when withLabels.
  void DrawRuler(TQRUnit units, bool withLabels);

  Integer fontSize_ = 12;
  Integer zoom_ = 100;
  std::unique_ptr<TQRFrame> frame_;
};
