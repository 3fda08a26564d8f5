// A card with the image control and the rich-edit control bound to a table of the real server: a JPEG
// and a PNG loaded through the control come back from the server as they went (the JPEG byte for byte,
// the PNG pixel for pixel), and formatted Cyrillic text typed into the rich edit comes back as RTF that
// LibreOffice opens. On a desktop (KIV_DESKTOP_TESTS=1) the card and the picture editor are shown and,
// with KIV_SCREENSHOT_DIR set, photographed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "gridlib/base/PictureEditFormsEh.h"
#include "gridlib/base/RichEditFormsEh.h"
#include "gridlib/editors/DBImageEh.h"
#include "gridlib/editors/DBRichEditEh.h"
#include "platform/ado/ADODB.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Images.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/ado/AdoFixture.h"
#include "tests/platform/controls/Later.h"

namespace fs = std::filesystem;

namespace {

TBytes FromHex(const String& hex) {
  const std::string text = StringToUtf8(hex);
  TBytes bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2)
    bytes.push_back(static_cast<Byte>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::string ReadFileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A picture with a gradient, so that a lossy or reordered write shows in its pixels.
void PaintSample(TBitmap* bitmap, Integer width, Integer height) {
  bitmap->SetSize(width, height);
  bitmap->SetPixelFormat(pf24bit);
  for (Integer y = 0; y < height; ++y)
    for (Integer x = 0; x < width; ++x)
      bitmap->GetCanvas()->SetPixel(x, y, RGB(x * 255 / width, y * 255 / height, 128));
}

class ImagingCardTest : public AdoTest {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeToolCtrlsEh();
    InitializeRichEditFormsEh();
    InitializePictureEditFormsEh();
    AdoTest::SetUp();
    dir_ = fs::temp_directory_path() / ("kiv-imaging-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    Exec(u"CREATE TABLE t.card (id int PRIMARY KEY, photo bytea, notes bytea)");
    Exec(u"INSERT INTO t.card VALUES (1, NULL, NULL)");
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetCaption(u"Карточка изделия");
    form_->SetBounds(60, 60, 560, 330);
    card_ = Query(u"SELECT id, photo, notes FROM t.card WHERE id = 1");
    card_->Open();
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(card_);
    image_ = new TDBImageEh(form_.get());
    image_->SetParent(form_.get());
    image_->SetBounds(20, 30, 220, 180);
    image_->SetDataSource(source_);
    image_->SetDataField(u"photo");
    image_->GetControlLabel()->SetCaption(u"Фото");
    image_->GetControlLabel()->SetVisible(true);
    image_->GetEditButton()->SetStyle(ebsEllipsisEh);
    image_->GetEditButton()->SetVisible(true);
    rich_ = new TDBRichEditEh(form_.get());
    rich_->SetParent(form_.get());
    rich_->SetBounds(260, 30, 270, 180);
    rich_->SetDataSource(source_);
    rich_->SetDataField(u"notes");
    rich_->GetControlLabel()->SetCaption(u"Примечание");
    rich_->GetControlLabel()->SetVisible(true);
    rich_->GetEditButtons()->Add()->SetStyle(ebsDropDownEh);
    other_ = new TEdit(form_.get());
    other_->SetParent(form_.get());
    other_->SetBounds(20, 250, 120, 24);
    form_->Show();
    ProcessPendingEvents();
  }
  void TearDown() override {
    form_.reset();
    fs::remove_all(dir_);
    AdoTest::TearDown();
  }

  void Focus(TWinControl* control) {
    control->SetFocus();
    ProcessPendingEvents();
  }
  TBytes StoredPhoto() { return FromHex(Scalar(u"SELECT encode(photo, 'hex') FROM t.card WHERE id = 1")); }
  TBytes StoredNotes() { return FromHex(Scalar(u"SELECT encode(notes, 'hex') FROM t.card WHERE id = 1")); }

  // Loads the file through the control's menu item as a user picks it in the open dialog.
  void LoadThroughMenu(const fs::path& file) {
    TDialogRecorder dialogs;
    dialogs.Answer(TDialogAnswer::Accept(Utf8ToString(file.string())));
    image_->MenuItemLoad(image_);
    card_->Post();
  }

  // Types the notes: a bold word, an italic one and a plain tail, all Cyrillic.
  void TypeFormattedNotes() {
    Focus(rich_);
    rich_->SelectAll();
    TypeText(rich_, u"Жирный курсив обычный");
    rich_->SetSelStart(0);
    rich_->SetSelLength(6);
    rich_->GetSelAttributes()->SetStyle(TFontStyles{fsBold});
    rich_->SetSelStart(7);
    rich_->SetSelLength(6);
    rich_->GetSelAttributes()->SetStyle(TFontStyles{fsItalic});
    Focus(other_);
    card_->Post();
  }

  fs::path dir_;
  std::unique_ptr<TForm> form_;
  TADOQuery* card_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBImageEh* image_ = nullptr;
  TDBRichEditEh* rich_ = nullptr;
  TEdit* other_ = nullptr;
};

TEST_F(ImagingCardTest, AJpegComesBackByteForByteAndAPngPixelForPixel) {
  TBitmap sample;
  PaintSample(&sample, 40, 24);
  TJPEGImage jpeg;
  jpeg.Assign(&sample);
  jpeg.SaveToFile(Utf8ToString((dir_ / "photo.jpg").string()));
  TPngImage png;
  png.Assign(&sample);
  png.SaveToFile(Utf8ToString((dir_ / "photo.png").string()));

  LoadThroughMenu(dir_ / "photo.jpg");
  const std::string jpegFile = ReadFileText(dir_ / "photo.jpg");
  const TBytes storedJpeg = StoredPhoto();
  ASSERT_EQ(storedJpeg.size(), jpegFile.size());
  EXPECT_TRUE(std::equal(storedJpeg.begin(), storedJpeg.end(), jpegFile.begin(), [](Byte a, char b) {
    return a == static_cast<Byte>(b);
  })) << "the server holds the JPEG file as it was";

  LoadThroughMenu(dir_ / "photo.png");
  const TBytes storedPng = StoredPhoto();
  ASSERT_GE(storedPng.size(), 8u);
  EXPECT_EQ(storedPng[1], 'P') << "a PNG stays a PNG";
  TPicture back;
  TBytesStream stream(storedPng);
  back.LoadFromStream(&stream);
  ASSERT_EQ(back.GetWidth(), 40);
  ASSERT_EQ(back.GetHeight(), 24);
  auto* decoded = dynamic_cast<TPngImage*>(back.GetGraphic());
  ASSERT_TRUE(decoded);
  TBitmap* pixels = decoded->GetBitmap();
  for (Integer y = 0; y < 24; y += 5)
    for (Integer x = 0; x < 40; x += 7)
      EXPECT_EQ(pixels->GetCanvas()->GetPixel(x, y), sample.GetCanvas()->GetPixel(x, y)) << x << "," << y;

  // A fresh query shows what the server holds.
  card_->Close();
  card_->Open();
  ASSERT_FALSE(image_->IsEmpty());
  EXPECT_TRUE(dynamic_cast<TPngImage*>(image_->GetPicture()->GetGraphic()));
}

TEST_F(ImagingCardTest, FormattedCyrillicNotesComeBackAsRtfThatLibreOfficeOpens) {
  TypeFormattedNotes();
  const TBytes stored = StoredNotes();
  const std::string rtf(stored.begin(), stored.end());
  ASSERT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf;
  EXPECT_NE(rtf.find("\\b"), std::string::npos);
  EXPECT_NE(rtf.find("\\i"), std::string::npos);

  // Read back into a fresh control: the words and their formatting are there.
  card_->Close();
  card_->Open();
  EXPECT_EQ(StringToUtf8(TrimRight(rich_->GetLines()->GetText())), "Жирный курсив обычный");
  rich_->SetSelStart(1);
  rich_->SetSelLength(1);
  EXPECT_TRUE(rich_->GetSelAttributes()->GetStyle().Contains(fsBold));
  rich_->SetSelStart(8);
  rich_->SetSelLength(1);
  EXPECT_TRUE(rich_->GetSelAttributes()->GetStyle().Contains(fsItalic));

  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "soffice is not installed";
  std::ofstream(dir_ / "notes.rtf", std::ios::binary) << rtf;
  const std::string cmd = "cd '" + dir_.string() +
                          "' && soffice --headless --norestore -env:UserInstallation=file://" +
                          (dir_ / "profile").string() + " --convert-to 'txt:Text (encoded):UTF8' --outdir '" +
                          dir_.string() + "' notes.rtf >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  const std::string text = ReadFileText(dir_ / "notes.txt");
  EXPECT_NE(text.find("Жирный курсив обычный"), std::string::npos) << text;
}

// The card on a real desktop: the rich text typed through the X server, the picture editor opened from
// the image's ellipsis button; pictures of both when KIV_SCREENSHOT_DIR is set.
class ImagingDesktopTest : public ImagingCardTest {
 protected:
  void SetUp() override {
    if (!DesktopTestsEnabled()) GTEST_SKIP() << "needs an X desktop: KIV_DESKTOP_TESTS=1 tools/desktop ...";
    ImagingCardTest::SetUp();
    ProcessEventsFor(300);
  }
  void Picture(const std::string& name) {
    const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
    if (!dir) return;
    ProcessEventsFor(500);
    RunDesktopCommand("import -window root " + std::string(dir) + "/" + name + ".png");
  }
};

TEST_F(ImagingDesktopTest, TheCardAndThePictureEditorOnTheDesktop) {
  TBitmap sample;
  PaintSample(&sample, 160, 100);
  TJPEGImage jpeg;
  jpeg.Assign(&sample);
  jpeg.SaveToFile(Utf8ToString((dir_ / "photo.jpg").string()));
  LoadThroughMenu(dir_ / "photo.jpg");
  TypeFormattedNotes();
  Focus(image_);
  Picture("imaging-card");

  // The editor opened from the ellipsis button: zoomed in, then Cancel keeps the field as it was.
  const TBytes before = StoredPhoto();
  auto* dialog = dynamic_cast<TPictureEditorDialog*>(PictureEditorDialogEh());
  ASSERT_TRUE(dialog);
  TLater later(
      [&] {
        dialog->bZoomInClick(dialog->bZoomIn);
        dialog->bZoomInClick(dialog->bZoomIn);
        Picture("imaging-picture-editor");
        dialog->SetModalResult(mrCancel);
      },
      300);
  TEditButtonControlEh* button = image_->GetEditButtonControl();
  SendClick(button, TPoint(button->GetWidth() / 2, button->GetHeight() / 2));
  ProcessPendingEvents();
  EXPECT_EQ(StoredPhoto(), before);
  EXPECT_EQ(card_->GetState(), dsBrowse);
}

}  // namespace
