// The image control over a blob field: the field's picture is loaded and written back, the zoom keeps
// the placed corner and scales the size, the wheel and dragging move the view, the menu follows the
// right to modify, and the ellipsis button edits the picture through the installed editor.
#include <gtest/gtest.h>

#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/editors/DBImageEh.h"
#include "platform/classes/Streaming.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Images.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

// The file bytes of a small picture of the given format, red on the left and blue on the right.
TBytes SamplePictureBytes(TGraphicClass format, Integer width = 12, Integer height = 8) {
  TBitmap bitmap(width, height);
  bitmap.SetPixelFormat(pf24bit);
  TCanvas* canvas = bitmap.GetCanvas();
  canvas->GetBrush()->SetColor(clRed);
  canvas->FillRect(TRect(0, 0, width / 2, height));
  canvas->GetBrush()->SetColor(clBlue);
  canvas->FillRect(TRect(width / 2, 0, width, height));
  std::unique_ptr<TGraphic> graphic(format->Create<TGraphic>());
  graphic->Assign(&bitmap);
  TBytesStream stream;
  graphic->SaveToStream(&stream);
  return TBytes(stream.GetBytes().begin(), stream.GetBytes().begin() + stream.GetSize());
}

// Exposes the input steps the view reacts to.
class TProbeImageEh : public TDBImageEh {
 public:
  explicit TProbeImageEh(TComponent* owner) : TDBImageEh(owner) {}
  using TCustomDBImageEh::DoMouseWheel;
  using TCustomDBImageEh::EditButtonClick;
};

class ImageControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 400, 300);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"photo", ftBlob);
    data_->AddRow({VarArrayOfBytes(SamplePictureBytes(TPngImage::StaticClass()))});
    data_->AddRow({Variant::Null()});
    data_->Open();
    data_->FieldByName(u"photo")->SetDisplayLabel(u"Фото");
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(data_);
    image_ = new TProbeImageEh(form_.get());
    image_->SetParent(form_.get());
    image_->SetBounds(20, 20, 200, 160);
    image_->SetDataSource(source_);
    image_->SetDataField(u"photo");
    form_->Show();
    ProcessPendingEvents();
  }
  void TearDown() override { form_.reset(); }

  TField* Photo() const { return data_->FieldByName(u"photo"); }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TProbeImageEh* image_ = nullptr;
};

TEST_F(ImageControlTest, ZoomScalesTheSizeAndKeepsThePlacedCorner) {
  struct Case {
    TRect rect;
    Integer zoom;
    TRect expected;
  };
  const Case cases[] = {
      {TRect(100, 100, 200, 200), 150, TRect(100, 100, 250, 250)},
      {TRect(0, 0, 80, 40), 50, TRect(0, 0, 40, 20)},
      {TRect(30, 10, 37, 13), 100, TRect(30, 10, 37, 13)},
      {TRect(10, 20, 30, 60), 0, TRect(10, 20, 10, 20)},
      {TRect(-20, -10, 20, 10), 200, TRect(-20, -10, 60, 30)},
  };
  for (const Case& c : cases) {
    const TRect r = image_->ScaleRect(c.rect, c.zoom);
    EXPECT_EQ(r, c.expected) << c.rect.Left << "," << c.rect.Top << " at " << c.zoom;
  }
}

TEST_F(ImageControlTest, TheRecordsPictureIsShownAndAnEmptyOneShowsTheFieldsLabel) {
  ASSERT_TRUE(image_->GetPictureLoaded());
  EXPECT_TRUE(dynamic_cast<TPngImage*>(image_->GetPicture()->GetGraphic())) << "a PNG blob reads as PNG";
  EXPECT_EQ(image_->GetPicture()->GetWidth(), 12);
  std::unique_ptr<TBitmap> shot = CaptureControl(image_);
  // The 12 x 8 picture is centred in the client area unscaled: red left of the middle, blue right.
  const TRect client = image_->GetClientRect();
  const Integer cx = client.Width() / 2, cy = client.Height() / 2;
  EXPECT_EQ(PixelAt(shot.get(), cx - 3, cy), clRed);
  EXPECT_EQ(PixelAt(shot.get(), cx + 3, cy), clBlue);

  data_->Next();
  EXPECT_TRUE(image_->IsEmpty());
  EXPECT_EQ(image_->GetControlLabelCaption(), u"Фото");

  image_->SetAutoDisplay(false);
  data_->First();
  EXPECT_FALSE(image_->GetPictureLoaded()) << "without AutoDisplay the record's picture waits";
  SendKey(image_, VK_RETURN);
  SendChar(image_, u'\r');
  EXPECT_TRUE(image_->GetPictureLoaded()) << "Enter loads it";
}

TEST_F(ImageControlTest, ACopyPaintedForAnotherRecordShowsThatRecordsPicture) {
  // As a control grid paints the control for each of its records: the grid's link makes another
  // buffered record the active one without the control hearing of it, and the copy must show that
  // record's field, not the loaded picture.
  const TRect client = image_->GetClientRect();
  const Integer cx = client.Width() / 2, cy = client.Height() / 2;
  TDataLink rows;
  rows.SetDataSource(source_);
  rows.SetBufferCount(2);
  ASSERT_EQ(rows.GetRecordCount(), 2);
  const auto paintCopyOf = [&](int row) {
    const int here = rows.GetActiveRecord();
    rows.SetActiveRecord(row);
    TControlState state = image_->GetControlState();
    image_->SetControlState(state << csPaintCopy);
    const bool empty = image_->IsEmpty();
    std::unique_ptr<TBitmap> shot = CaptureControl(image_);
    state.Exclude(csPaintCopy);
    image_->SetControlState(state);
    rows.SetActiveRecord(here);
    return std::make_pair(empty, PixelAt(shot.get(), cx - 3, cy));
  };
  ASSERT_TRUE(image_->GetPictureLoaded());
  EXPECT_EQ(paintCopyOf(1), std::make_pair(true, static_cast<TColor>(ColorToRGB(image_->GetColor()))))
      << "the empty record shows nothing";
  data_->Next();
  ASSERT_TRUE(image_->IsEmpty());
  EXPECT_EQ(paintCopyOf(0), std::make_pair(false, clRed)) << "the first record's picture";
  EXPECT_TRUE(image_->IsEmpty()) << "the control itself still shows its own record";
}

TEST_F(ImageControlTest, WheelAndDraggingMoveTheViewAndEscResetsIt) {
  for (int step = 0; step < 5; ++step) image_->DoMouseWheel({}, -120, TPoint(50, 50));
  EXPECT_EQ(image_->GetZoom(), 50);
  EXPECT_TRUE(image_->GetZoomIsTemporary());
  for (int step = 0; step < 7; ++step) image_->DoMouseWheel({}, -120, TPoint(50, 50));
  EXPECT_EQ(image_->GetZoom(), 0) << "the zoom stops at 0";
  image_->SetZoomAllowed(false);
  EXPECT_FALSE(image_->DoMouseWheel({}, 120, TPoint(50, 50)));
  EXPECT_EQ(image_->GetZoom(), 0);

  SendDrag(image_, TPoint(60, 60), image_, TPoint(80, 65));
  EXPECT_EQ(image_->GetImagePos(), TPoint(20, 5));
  SendChar(image_, u'\x1b');
  EXPECT_EQ(image_->GetImagePos(), TPoint(0, 0));
  EXPECT_EQ(image_->GetZoom(), 100);
}

TEST_F(ImageControlTest, TheMenuOffersWhatTheRightToModifyAllows) {
  TGridLibLanguageConsts* t = GetGridLibLanguageConsts();
  const String reset = t->GetPictureEditorDialog_Reset() + u" (Esc)";
  Clipboard()->Clear();
  auto captions = [&] {
    std::vector<String> result;
    TPopupMenu* menu = image_->GetSystemPopupMenu();
    for (Integer i = 0; i < menu->GetItems()->GetCount(); ++i)
      result.push_back(menu->GetItems()->GetItem(i)->GetCaption());
    return result;
  };
  EXPECT_EQ(captions(),
            (std::vector<String>{t->GetPictureEditorDialog_Cut(), t->GetPictureEditorDialog_Copy(),
                                 t->GetPictureEditorDialog_Clear(), u"-", t->GetPictureEditorDialog_Load(),
                                 t->GetPictureEditorDialog_Save(), u"-", reset}));
  image_->CopyToClipboard();
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_EQ(captions()[2], t->GetPictureEditorDialog_Paste()) << "a bitmap on the clipboard can be pasted";

  image_->SetReadOnly(true);
  EXPECT_EQ(captions(), (std::vector<String>{t->GetPictureEditorDialog_Copy(), u"-",
                                             t->GetPictureEditorDialog_Save(), u"-", reset}));
  image_->CutToClipboard();
  EXPECT_FALSE(image_->IsEmpty()) << "read-only: cut leaves the picture";
}

TEST_F(ImageControlTest, CutAndPasteChangeTheFieldOnlyThroughThePost) {
  const TBytes before = Photo()->GetAsBytes();
  image_->CutToClipboard();
  EXPECT_TRUE(image_->IsEmpty());
  EXPECT_EQ(data_->GetState(), dsEdit);
  data_->Post();
  EXPECT_TRUE(Photo()->IsNull()) << "the cut picture leaves the field empty";

  data_->Next();
  image_->PasteFromClipboard();
  ASSERT_FALSE(image_->IsEmpty());
  data_->Post();
  std::unique_ptr<TPicture> pasted(CreatePictureFromFieldEh(Photo()));
  ASSERT_TRUE(pasted->GetGraphic());
  EXPECT_EQ(pasted->GetWidth(), 12);
  EXPECT_FALSE(before.empty());
}

TEST_F(ImageControlTest, TheEllipsisButtonPostsWhatTheEditorAccepted) {
  image_->GetEditButton()->SetStyle(ebsEllipsisEh);
  image_->GetEditButton()->SetVisible(true);
  const TBytes jpeg = SamplePictureBytes(TJPEGImage::StaticClass(), 20, 10);
  auto saved = DBImagePictureEditRoutineEh;
  bool accept = false;
  DBImagePictureEditRoutineEh = [&](TPicture* picture) {
    TBytesStream stream(jpeg);
    picture->LoadFromStream(&stream);
    return accept;
  };
  image_->EditButtonClick(image_->GetEditButtonControl());
  EXPECT_EQ(image_->GetPicture()->GetWidth(), 12) << "a cancelled edit changes nothing";
  EXPECT_EQ(data_->GetState(), dsBrowse);

  accept = true;
  image_->EditButtonClick(image_->GetEditButtonControl());
  EXPECT_EQ(image_->GetPicture()->GetWidth(), 20);
  EXPECT_EQ(Photo()->GetAsBytes(), jpeg) << "an accepted edit is written at once, the JPEG bytes as they are";

  DBImagePictureEditRoutineEh = nullptr;
  EXPECT_THROW(image_->EditButtonClick(image_->GetEditButtonControl()), EInvalidOperation)
      << "without an installed editor the button says so";
  DBImagePictureEditRoutineEh = saved;
}

TEST_F(ImageControlTest, AnUnboundControlKeepsItsOwnPicture) {
  auto* own = new TDBImageEh(form_.get());
  own->SetParent(form_.get());
  TBytesStream stream(SamplePictureBytes(TPngImage::StaticClass()));
  own->GetPicture()->LoadFromStream(&stream);
  own->GetDataLink()->Reset();
  EXPECT_FALSE(own->IsEmpty()) << "no record change can take an unbound picture away";
  EXPECT_TRUE(own->CanModify());
}

TEST_F(ImageControlTest, AnUnboundControlKeepsItsPictureInTheFormStreamABoundOneDoesNot) {
  RegisterClass(TDBImageEh::StaticClass());
  TForm holder(nullptr, 0);
  holder.SetName(u"Holder");
  auto* own = new TDBImageEh(&holder);
  own->SetName(u"Own");
  own->SetParent(&holder);
  TBytesStream png(SamplePictureBytes(TPngImage::StaticClass(), 14, 6));
  own->GetPicture()->LoadFromStream(&png);
  auto* bound = new TDBImageEh(&holder);
  bound->SetName(u"Bound");
  bound->SetParent(&holder);
  bound->SetDataSource(source_);
  bound->SetDataField(u"photo");
  ASSERT_FALSE(bound->IsEmpty());

  TMemoryStream stream;
  stream.WriteComponent(&holder);
  stream.SetPosition(0);
  TForm copy(nullptr, 0);
  stream.ReadComponent(&copy);
  auto* ownCopy = dynamic_cast<TDBImageEh*>(copy.FindComponent(u"Own"));
  auto* boundCopy = dynamic_cast<TDBImageEh*>(copy.FindComponent(u"Bound"));
  ASSERT_TRUE(ownCopy && boundCopy);
  ASSERT_TRUE(dynamic_cast<TPngImage*>(ownCopy->GetPicture()->GetGraphic()));
  EXPECT_EQ(ownCopy->GetPicture()->GetWidth(), 14);
  EXPECT_FALSE(boundCopy->GetPicture()->GetGraphic()) << "a bound control's picture belongs to the field";
}

}  // namespace
