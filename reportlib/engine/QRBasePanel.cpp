// The panel base of reports and bands: zoom, frame, background and rulers of the design surface.
#include "reportlib/engine/QRBasePanel.h"

#include "platform/graphics/Colors.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QRPrintable.h"

namespace {

const TQRDesignScheme HighColour{psSolid, psSolid,  0xF9F9F9, 0xF0F0F0, 0x707070,
                                 psDot,   0xFF8080, psDot,    0x606060};
const TQRDesignScheme LowColour{psDot,  psSolid,  0xC0C0C0, 0xC0C0C0, 0xC0C0C0,
                                psDash, 0x808080, psSolid,  0x808080};
const TQRDesignScheme* Scheme = &HighColour;

}  // namespace

void ChooseQRDesignScheme(Integer colours) {
  Scheme = (colours > 256 || colours < 0) ? &HighColour : &LowColour;
}
const TQRDesignScheme& QRDesignScheme() { return *Scheme; }

TQRBasePanel::TQRBasePanel(TComponent* owner) : TCustomPanel(owner), frame_(std::make_unique<TQRFrame>()) {
  frame_->SetParent(this);
}

TQRBasePanel::~TQRBasePanel() = default;

void TQRBasePanel::SetZoom(Integer value) {
  if (value == 0) return;
  zoom_ = value;
  for (Integer i = 0; i < GetControlCount(); ++i) {
    TControl* child = GetControl(i);
    if (auto* printable = dynamic_cast<TQRPrintable*>(child))
      printable->SetZoom(value);
    else if (auto* panel = dynamic_cast<TQRBasePanel*>(child))
      panel->SetZoom(value);
  }
}

void TQRBasePanel::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(GetEnabled() ? GetColor() : clSilver);
  canvas->FillRect(GetClientRect());
  canvas->GetBrush()->SetStyle(bsClear);
}

void TQRBasePanel::DrawRuler(TQRUnit units, bool withLabels) {
  if (units == Pixels || units == Native) return;
  TCanvas* canvas = GetCanvas();
  const TQRDesignScheme& s = QRDesignScheme();
  canvas->GetFont()->SetName(u"Small Fonts");
  canvas->GetFont()->SetSize(6);
  canvas->GetFont()->SetColor(s.RulerFontColor);
  canvas->GetPen()->SetWidth(1);
  const Extended ppi = 96;
  const Integer w = GetWidth(), h = GetHeight();
  auto line = [&](bool major, bool vertical, Integer pos, const String& label) {
    canvas->GetPen()->SetColor(major ? s.RulerMajorColor : s.RulerMinorColor);
    canvas->GetPen()->SetStyle(major ? s.RulerMajorStyle : s.RulerMinorStyle);
    if (vertical) {
      canvas->MoveTo(pos, 0);
      canvas->LineTo(pos, h);
      if (withLabels && !label.empty()) canvas->TextOut(pos + 2, 2, label);
    } else {
      canvas->MoveTo(0, pos);
      canvas->LineTo(w, pos);
      if (withLabels && !label.empty()) canvas->TextOut(2, pos + 2, label);
    }
  };
  for (bool vertical : {true, false}) {
    const Integer extent = vertical ? w : h;
    if (units == Inches) {
      const Extended step = ppi / 4 * zoom_ / 100;
      const Integer count = static_cast<Integer>(Round(extent / ppi / zoom_ * 400));
      for (Integer i = 1; i <= count; ++i) {
        const bool major = i % 4 == 0;
        if (!major && zoom_ < 50) continue;
        line(major, vertical, static_cast<Integer>(Round(i * step)), major ? IntToStr(i / 4) : String());
      }
    } else if (units == MM) {
      const Extended step = ppi / 5.08 * zoom_ / 100;
      const Integer count = static_cast<Integer>(Round(extent / step));
      for (Integer i = 1; i <= count; ++i) {
        const bool major = i % 2 == 0;
        if (!major && zoom_ < 60) continue;
        line(major, vertical, static_cast<Integer>(Round(i * step)),
             major && zoom_ >= 60 ? IntToStr(i / 2) : String());
      }
    }
  }
  canvas->GetPen()->SetStyle(psSolid);
}
