// Picture formats: JPEG written by us is read by djpeg and the other way round, BMP and PNG round
// trips, pictures that tell the format by the bytes (blob header included), the format registry.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "GraphicsTestSupport.h"
#include "platform/graphics/Images.h"
#include "platform/rtl/Utf.h"

namespace {

namespace fs = std::filesystem;

fs::path TempDir() {
  const fs::path dir = fs::temp_directory_path() / ("kiv-img-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Left half red, right half blue.
std::unique_ptr<TBitmap> Halves(Integer w, Integer h) {
  auto b = std::make_unique<TBitmap>(w, h);
  b->GetCanvas()->GetBrush()->SetColor(clRed);
  b->GetCanvas()->FillRect(TRect(0, 0, w / 2, h));
  b->GetCanvas()->GetBrush()->SetColor(clBlue);
  b->GetCanvas()->FillRect(TRect(w / 2, 0, w, h));
  return b;
}

}  // namespace

TEST_F(GraphicsTest, JpegWeWriteIsReadByDjpeg) {
  const fs::path dir = TempDir();
  TJPEGImage jpeg;
  auto halves = Halves(64, 32);
  jpeg.Assign(halves.get());
  jpeg.SetCompressionQuality(95);
  jpeg.SaveToFile(Utf8ToString((dir / "ours.jpg").string()));
  const std::string cmd =
      "djpeg -pnm '" + (dir / "ours.jpg").string() + "' > '" + (dir / "ours.ppm").string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string ppm = ReadFile(dir / "ours.ppm");
  int w = 0, h = 0, max = 0, consumed = 0;
  ASSERT_EQ(std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &w, &h, &max, &consumed), 3);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 32);
  const auto* px = reinterpret_cast<const unsigned char*>(ppm.data() + consumed + 1);
  auto pixel = [&](int x, int y) { return px + 3 * (y * w + x); };
  EXPECT_GT(pixel(8, 16)[0], 220);  // red
  EXPECT_LT(pixel(8, 16)[2], 40);
  EXPECT_GT(pixel(56, 16)[2], 220);  // blue
  EXPECT_LT(pixel(56, 16)[0], 40);
  // Lower quality gives fewer bytes.
  TJPEGImage rough;
  rough.Assign(halves.get());
  rough.SetCompressionQuality(10);
  TBytesStream a, b;
  jpeg.SaveToStream(&a);
  rough.SaveToStream(&b);
  EXPECT_LT(b.GetSize(), a.GetSize());
  fs::remove_all(dir);
}

TEST_F(GraphicsTest, JpegFromCjpegIsReadByUs) {
  const fs::path dir = TempDir();
  {
    std::ofstream ppm(dir / "in.ppm", std::ios::binary);
    ppm << "P6 40 20 255\n";
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 40; ++x)
        ppm << (x < 20 ? std::string("\x00\xC8\x00", 3) : std::string("\xFF\xFF\x00", 3));
  }
  const std::string cmd =
      "cjpeg -quality 95 '" + (dir / "in.ppm").string() + "' > '" + (dir / "in.jpg").string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  TPicture picture;
  picture.LoadFromFile(Utf8ToString((dir / "in.jpg").string()));
  auto* jpeg = dynamic_cast<TJPEGImage*>(picture.GetGraphic());
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(jpeg->GetWidth(), 40);
  EXPECT_EQ(jpeg->GetHeight(), 20);
  auto b = White(40, 20);
  b->GetCanvas()->Draw(0, 0, jpeg);
  EXPECT_NEAR(GetGValue(At(b.get(), 5, 10)), 200, 12);
  EXPECT_LT(GetRValue(At(b.get(), 5, 10)), 30);
  EXPECT_GT(GetRValue(At(b.get(), 35, 10)), 235);
  // Scaled and grey decoding.
  jpeg->SetScale(jsHalf);
  EXPECT_EQ(jpeg->GetWidth(), 20);
  jpeg->SetGrayscale(true);
  auto* grey = jpeg->GetBitmap();
  const TColor g = At(grey, 15, 5);
  EXPECT_EQ(GetRValue(g), GetGValue(g));
  EXPECT_EQ(GetGValue(g), GetBValue(g));
  // Damaged bytes are refused, the old picture stays.
  std::string bytes = ReadFile(dir / "in.jpg");
  TBytesStream cut(TBytes(bytes.begin(), bytes.begin() + 40));
  EXPECT_THROW(jpeg->LoadFromStream(&cut), EInvalidGraphic);
  EXPECT_EQ(jpeg->GetWidth(), 20);
  fs::remove_all(dir);
}

TEST_F(GraphicsTest, BitmapAndPngRoundTripsKeepPixels) {
  auto halves = Halves(10, 6);
  TBytesStream bmp;
  halves->SaveToStream(&bmp);
  EXPECT_EQ(bmp.GetBytes()[0], 'B');
  bmp.SetPosition(0);
  TBitmap back;
  back.LoadFromStream(&bmp);
  EXPECT_EQ(back.GetWidth(), 10);
  EXPECT_EQ(At(&back, 1, 1), clRed);
  EXPECT_EQ(At(&back, 9, 5), clBlue);

  TPngImage png;
  png.Assign(halves.get());
  TBytesStream bytes;
  png.SaveToStream(&bytes);
  bytes.SetPosition(0);
  TPngImage again;
  again.LoadFromStream(&bytes);
  EXPECT_EQ(At(again.GetBitmap(), 8, 3), clBlue);

  // pf24bit rows are three bytes a pixel, B G R.
  TBitmap rgb;
  rgb.SetPixelFormat(pf24bit);
  rgb.SetSize(4, 2);
  auto* row = static_cast<Byte*>(rgb.GetScanLine(1));
  row[3] = 0x10, row[4] = 0x20, row[5] = 0x30;
  EXPECT_EQ(rgb.GetCanvas()->GetPixel(1, 1), TColor(RGB(0x30, 0x20, 0x10)));
  EXPECT_THROW(rgb.GetScanLine(2), EInvalidGraphicOperation);

  TBitmap bad;
  TBytesStream junk(TBytes{'B', 'M', 1, 2, 3});
  EXPECT_THROW(bad.LoadFromStream(&junk), EInvalidGraphic);
}

TEST_F(GraphicsTest, PictureTellsTheFormatFromTheBytesAndSkipsTheBlobHeader) {
  auto halves = Halves(6, 4);
  TBytesStream bmp;
  halves->SaveToStream(&bmp);
  TBytesStream blob;
  WriteGraphicHeader(&blob, static_cast<Integer>(bmp.GetSize()));
  blob.WriteBuffer(bmp.GetBytes().data(), static_cast<Integer>(bmp.GetSize()));
  blob.SetPosition(0);
  TPicture picture;
  Integer changes = 0;
  picture.OnChange = TNotifyEvent([&](TObject*) { ++changes; });
  picture.LoadFromStream(&blob);
  EXPECT_GT(changes, 0);
  ASSERT_NE(dynamic_cast<TBitmap*>(picture.GetGraphic()), nullptr);
  EXPECT_EQ(picture.GetWidth(), 6);

  TPngImage png;
  png.Assign(halves.get());
  TBytesStream pngBytes;
  png.SaveToStream(&pngBytes);
  pngBytes.SetPosition(0);
  picture.LoadFromStream(&pngBytes);
  EXPECT_NE(dynamic_cast<TPngImage*>(picture.GetGraphic()), nullptr);
  // Asking for the bitmap of a picture holding something else gives an empty bitmap.
  EXPECT_TRUE(picture.GetBitmap()->GetEmpty());

  TBytesStream junk(TBytes{1, 2, 3, 4, 5, 6, 7, 8, 9});
  try {
    picture.LoadFromStream(&junk);
    FAIL() << "junk was taken";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Unsupported picture format");
  }
  EXPECT_THROW(picture.LoadFromFile(u"/tmp/x.unknownext"), EInvalidGraphic);
}

TEST_F(GraphicsTest, GraphicRegistryAnswersExtensionsAndFilters) {
  EXPECT_EQ(GraphicExtension(TBitmap::StaticClass()), u"bmp");
  EXPECT_EQ(GraphicExtension(TJPEGImage::StaticClass()), u"jpg");
  EXPECT_EQ(GraphicClassOfExtension(u".JPEG"), TJPEGImage::StaticClass());
  const String mask = GraphicFileMask(TGraphic::StaticClass());
  EXPECT_NE(mask.find(u"*.png"), String::npos);
  EXPECT_NE(mask.find(u"*.emf"), String::npos);
  EXPECT_EQ(GraphicFilter(TBitmap::StaticClass()), u"Bitmaps (*.bmp)|*.bmp");
  const String all = GraphicFilter(TGraphic::StaticClass());
  EXPECT_EQ(all.rfind(u"All (", 0), 0u);
  EXPECT_NE(all.find(u"|JPEG Image File (*.jpg)|*.jpg"), String::npos);
}

TEST_F(GraphicsTest, TransparentBitmapsLeaveTheirKeyColourOut) {
  TBitmap glyph(4, 4);
  glyph.GetCanvas()->GetBrush()->SetColor(clFuchsia);
  glyph.GetCanvas()->FillRect(TRect(0, 0, 4, 4));
  glyph.GetCanvas()->GetBrush()->SetColor(clGreen);
  glyph.GetCanvas()->FillRect(TRect(1, 1, 3, 3));
  glyph.SetTransparent(true);
  EXPECT_EQ(glyph.GetTransparentColor(), clFuchsia);  // the bottom-left pixel
  auto b = White(4, 4);
  b->GetCanvas()->Draw(0, 0, &glyph);
  EXPECT_EQ(At(b.get(), 0, 0), clWhite);
  EXPECT_EQ(At(b.get(), 1, 1), clGreen);
  glyph.SetTransparentColor(clGreen);
  auto c = White(4, 4);
  c->GetCanvas()->Draw(0, 0, &glyph);
  EXPECT_EQ(At(c.get(), 0, 0), clFuchsia);
  EXPECT_EQ(At(c.get(), 1, 1), clWhite);
}
