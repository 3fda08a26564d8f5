// Image lists: equal-sized glyphs with transparency, drawn normal, disabled or blended, with change
// links for the controls that show them; and the program's own glyph and cursor resources.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/graphics/Graphics.h"

class TCustomImageList;
class TIcon;

// Tells a control that an image list it shows has changed.
class TChangeLink : public TObject {
  KIV_CLASS(TChangeLink, TObject)
 public:
  TChangeLink() = default;
  ~TChangeLink() override;
  TCustomImageList* GetSender() const { return sender_; }
  void SetSender(TCustomImageList* sender) { sender_ = sender; }
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  TCustomImageList* sender_ = nullptr;
};

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent {
  KIV_CLASS(TCustomImageList, TComponent)
 public:
  explicit TCustomImageList(TComponent* owner);
  TCustomImageList(TComponent* owner, Integer width, Integer height);
  ~TCustomImageList() override;
  static void Published(TPropBuilder<TCustomImageList>& p);
  void Assign(TPersistent* source) override;

  Integer GetWidth() const { return width_; }
  // Changing the size empties the list, as the original does.
  void SetWidth(Integer width);
  Integer GetHeight() const { return height_; }
  void SetHeight(Integer height);
  void SetSize(Integer width, Integer height);
  Integer GetCount() const { return static_cast<Integer>(images_.size()); }

  // A bitmap as wide as several images adds them all; the mask's white pixels are transparent.
  // 32-bit bitmaps with alpha keep it. Answers the index of the first image added.
  Integer Add(TBitmap* image, TBitmap* mask);
  // Pixels of maskColor are transparent (clDefault: the bottom-left pixel's colour).
  Integer AddMasked(TBitmap* image, TColor maskColor);
  Integer AddIcon(TIcon* icon);
  // Adds an image from a bitmap resource compiled into the program.
  Integer AddResource(const String& resourceName, TColor maskColor);
  void Replace(Integer index, TBitmap* image, TBitmap* mask);
  void ReplaceMasked(Integer index, TBitmap* image, TColor maskColor);
  void Insert(Integer index, TBitmap* image, TBitmap* mask);
  void Move(Integer from, Integer to);
  // Raises EInvalidOperation "Invalid ImageList Index" out of range.
  void Delete(Integer index);
  void Clear();
  // Copies image index into the bitmap (as a 32-bit bitmap with alpha on BkColor, or white).
  void GetBitmap(Integer index, TBitmap* image);
  void GetIcon(Integer index, TIcon* icon);

  void Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled = true);
  void Draw(TCanvas* canvas, Integer x, Integer y, Integer index, TDrawingStyle style, TImageType type,
            bool enabled = true);
  void StretchDraw(TCanvas* canvas, const TRect& rect, Integer index, bool enabled = true);

  TDrawingStyle GetDrawingStyle() const { return drawingStyle_; }
  void SetDrawingStyle(TDrawingStyle v);
  TColor GetBlendColor() const { return blendColor_; }
  void SetBlendColor(TColor v);
  TColor GetBkColor() const { return bkColor_; }
  void SetBkColor(TColor v);
  TImageType GetImageType() const { return imageType_; }
  void SetImageType(TImageType v) { imageType_ = v; }

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);
  void BeginUpdate();
  void EndUpdate();
  TNotifyEvent OnChange;

 protected:
  virtual void Change();

 private:
  struct Image;
  Integer AddImages(TBitmap* image, TBitmap* mask, const TColor* maskColor, Integer at);
  void CheckIndex(Integer index) const;
  Integer width_ = 16, height_ = 16;
  std::vector<std::unique_ptr<TBitmap>> images_;  // 32-bit, straight alpha
  std::vector<TChangeLink*> links_;
  TDrawingStyle drawingStyle_ = dsNormal;
  TColor blendColor_ = clNone;
  TColor bkColor_ = clNone;
  TImageType imageType_ = itImage;
  Integer updating_ = 0;
  bool changed_ = false;
};

class TImageList : public TCustomImageList {
  KIV_CLASS(TImageList, TCustomImageList)
 public:
  explicit TImageList(TComponent* owner) : TCustomImageList(owner) {}
  TImageList(TComponent* owner, Integer width, Integer height) : TCustomImageList(owner, width, height) {}
};

// The glyphs and cursors the libraries load by name ("DBGARROWEH", "HANDEH" ...), registered with the
// classes layer's resources on first call; safe to call many times.
void RegisterGraphicsResources();
// The hot spot of one of those cursors; false for another name.
bool CursorResourceHotSpot(const String& name, TPoint& hotSpot);
