// The speed button (a flat tool button drawn on its parent, alone or in an exclusive group) and the
// bitmap button (a push button with a glyph and a kind that gives caption and modal result).
#pragma once

#include <memory>

#include "platform/controls/StdCtrls.h"

class TBitmap;

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
using TNumGlyphs = Integer;

class TSpeedButton : public TGraphicControl {
  KIV_CLASS(TSpeedButton, TGraphicControl)
 public:
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;
  static void Published(TPropBuilder<TSpeedButton>& p);

  // Buttons of one parent with the same GroupIndex (not 0) are exclusive: one down raises the others.
  // With AllowAllUp the down one may be raised too; without it, raising it is refused.
  bool GetDown() const { return down_; }
  void SetDown(bool value);
  Integer GetGroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer value);
  bool GetAllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);
  bool GetFlat() const { return flat_; }
  void SetFlat(bool value);
  // The glyph holds NumGlyphs pictures side by side: up, disabled, clicked, down.
  TBitmap* GetGlyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* value);
  TNumGlyphs GetNumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(TNumGlyphs value);
  TButtonLayout GetLayout() const { return layout_; }
  void SetLayout(TButtonLayout value);
  Integer GetMargin() const { return margin_; }
  void SetMargin(Integer value);
  Integer GetSpacing() const { return spacing_; }
  void SetSpacing(Integer value);
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool value);
  // What the button shows now.
  TButtonState GetState() const { return state_; }
  void Click() override;

 protected:
  void Paint() override;
  void Dispatch(TMessage& message) override;
  void Loaded() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;

 private:
  void UpdateExclusive();
  void GlyphChanged(TObject* sender);
  void DrawGlyphAndCaption(TCanvas* canvas, const TRect& client, bool pressed);

  std::unique_ptr<TBitmap> glyph_;
  TButtonState state_ = bsUp;
  bool down_ = false;
  bool dragging_ = false;
  bool mouseInControl_ = false;
  Integer groupIndex_ = 0;
  bool allowAllUp_ = false;
  bool flat_ = false;
  TNumGlyphs numGlyphs_ = 1;
  TButtonLayout layout_ = blGlyphLeft;
  Integer margin_ = -1;
  Integer spacing_ = 4;
  bool transparent_ = true;
};

enum TBitBtnKind {
  bkCustom,
  bkOK,
  bkCancel,
  bkHelp,
  bkYes,
  bkNo,
  bkClose,
  bkAbort,
  bkRetry,
  bkIgnore,
  bkAll
};

class TBitBtn : public TButton {
  KIV_CLASS(TBitBtn, TButton)
 public:
  explicit TBitBtn(TComponent* owner);
  ~TBitBtn() override;
  static void Published(TPropBuilder<TBitBtn>& p);

  // A kind sets the caption, the modal result, Default (OK, Yes) or Cancel (Cancel, No) and a stock
  // glyph; the caption and result stay those of the kind until changed.
  TBitBtnKind GetKind() const;
  void SetKind(TBitBtnKind value);
  TBitmap* GetGlyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* value);
  TNumGlyphs GetNumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(TNumGlyphs value);
  TButtonLayout GetLayout() const { return layout_; }
  void SetLayout(TButtonLayout value);
  Integer GetMargin() const { return margin_; }
  void SetMargin(Integer value) { margin_ = value; }
  Integer GetSpacing() const { return spacing_; }
  void SetSpacing(Integer value) { spacing_ = value; }
  void Click() override;

 protected:
  void InitQtWidget(QWidget* widget) override;

 private:
  void GlyphChanged(TObject* sender);
  void SyncIcon();
  bool IsCaptionStored() const;
  bool IsModalResultStored() const;

  std::unique_ptr<TBitmap> glyph_;
  TBitBtnKind kind_ = bkCustom;
  TNumGlyphs numGlyphs_ = 1;
  TButtonLayout layout_ = blGlyphLeft;
  Integer margin_ = -1;
  Integer spacing_ = 4;
};
