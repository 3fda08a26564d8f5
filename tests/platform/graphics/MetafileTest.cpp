// Enhanced metafiles: a page recorded at 600 dpi replays scaled onto a 96 dpi bitmap, survives a
// save and load byte for byte, gives its text records back, refuses damaged bytes with a clear
// error, and LibreOffice draws the same picture from our bytes.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "GraphicsTestSupport.h"
#include "platform/graphics/Images.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/Utf.h"

namespace {

constexpr Integer PageW = 4961, PageH = 7016;  // A4 at 600 dpi
const String Caption = u"Счёт-фактура № 17 от 05.03.2024";
const String LongText = u"Очень длинная строка, которую обрезает прямоугольник отсечения";

// A page as a report writes it: rules, an ellipse, Cyrillic text, a bitmap and clipped text.
void RecordPage(TMetafile& mf) {
  HDC ref = CreateInfoDC(PageW, PageH, 600, 600);
  mf.SetWidth(PageW);
  mf.SetHeight(PageH);
  {
    TMetafileCanvas c(&mf, ref, u"KIV.ERP", u"test page");
    c.GetBrush()->SetColor(clBlack);
    c.FillRect(TRect(600, 600, 4361, 640));  // a thick rule
    c.GetPen()->SetWidth(12);
    c.GetBrush()->SetColor(clSkyBlue);
    c.Ellipse(600, 1200, 1800, 2400);
    c.GetPen()->SetWidth(1);
    c.MoveTo(600, 2600);
    c.LineTo(4361, 2600);
    c.GetFont()->SetName(u"Arial");
    c.GetFont()->SetSize(12);
    c.GetBrush()->SetStyle(bsClear);
    c.TextOut(600, 3000, Caption);
    TBitmap checker(8, 8);
    for (Integer y = 0; y < 8; ++y)
      for (Integer x = 0; x < 8; ++x)
        checker.GetCanvas()->SetPixel(x, y, (x / 4 + y / 4) % 2 ? clBlue : clRed);
    c.StretchDraw(TRect(3000, 1200, 4200, 2400), &checker);
    HDC dc = c.GetHandle();
    SaveDC(dc);
    IntersectClipRect(dc, 600, 4000, 1500, 4300);
    c.TextOut(600, 4000, LongText);
    RestoreDC(dc, -1);
  }
  DeleteDC(ref);
}

std::unique_ptr<TBitmap> Replay(TMetafile& mf, Integer w, Integer h) {
  auto b = GraphicsTest::White(w, h);
  b->GetCanvas()->StretchDraw(TRect(0, 0, w, h), &mf);
  return b;
}

TBytes Bytes(TMetafile& mf) {
  TBytesStream s;
  mf.SaveToStream(&s);
  return TBytes(s.GetBytes().begin(), s.GetBytes().begin() + s.GetSize());
}

void PutU32(TBytes& b, size_t at, Cardinal v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<Byte>(v >> (8 * i));
}

std::string LoadError(const TBytes& bytes) {
  TMetafile mf;
  TBytesStream s(bytes);
  try {
    mf.LoadFromStream(&s);
  } catch (const EInvalidGraphic& e) {
    return e.what();
  }
  return "";
}

// Where the page lies in a picture: scale and offset from recording units to its pixels.
struct Placement {
  double scale, x, y;
};

// Checks the features of the page drawn into a picture with the given placement.
void ExpectPageFeatures(TBitmap* b, const std::string& who, Placement p) {
  auto px = [&](double x) { return static_cast<Integer>(x * p.scale + p.x); };
  auto py = [&](double y) { return static_cast<Integer>(y * p.scale + p.y); };
  auto at = [&](double x, double y) { return GraphicsTest::At(b, px(x), py(y)); };
  EXPECT_TRUE(GraphicsTest::Dark(at(2000, 620))) << who << ": the rule";
  EXPECT_FALSE(GraphicsTest::Dark(at(2000, 540))) << who << ": above the rule";
  const TColor inside = at(1200, 1800);
  EXPECT_NEAR(GetRValue(inside), GetRValue(clSkyBlue), 12) << who << ": the ellipse's fill";
  EXPECT_NEAR(GetBValue(inside), GetBValue(clSkyBlue), 12) << who;
  EXPECT_EQ(at(650, 1250) & 0xFFFFFF, clWhite) << who << ": outside the ellipse";
  const TColor quadrant = at(3300, 1500), other = at(3900, 1500);
  EXPECT_GT(GetRValue(quadrant), 200) << who << ": the bitmap's red quarter";
  EXPECT_GT(GetBValue(other), 200) << who << ": the bitmap's blue quarter";
  EXPECT_FALSE(GraphicsTest::Ink(b, TRect(px(600), py(2980), px(4400), py(3150))).IsEmpty())
      << who << ": the caption";
  const TRect beyond(px(1560), py(3990), px(4400), py(4200));
  EXPECT_TRUE(GraphicsTest::Ink(b, beyond).IsEmpty())
      << who << ": text beyond the clip " << Describe(GraphicsTest::Ink(b, beyond));
  EXPECT_FALSE(GraphicsTest::Ink(b, TRect(px(600), py(3990), px(1500), py(4200))).IsEmpty())
      << who << ": text inside the clip";
}

Placement Fill(TBitmap* b) { return {b->GetWidth() / static_cast<double>(PageW), 0, 0}; }

// Finds the placement from the thick rule, the first long dark run from the top.
Placement FindRule(TBitmap* b) {
  for (Integer y = 0; y < b->GetHeight(); ++y) {
    Integer first = -1, last = -1;
    for (Integer x = 0; x < b->GetWidth(); ++x) {
      if (!GraphicsTest::Dark(GraphicsTest::At(b, x, y))) continue;
      if (first < 0) first = x;
      last = x;
    }
    if (first >= 0 && last - first > b->GetWidth() / 2) {
      const double scale = (last + 1 - first) / double(4361 - 600);
      return {scale, first - 600 * scale, y - 600 * scale};
    }
  }
  return {0, 0, 0};
}

}  // namespace

TEST_F(GraphicsTest, MetafileRecordedAt600DpiReplaysScaledTo96Dpi) {
  TMetafile mf;
  RecordPage(mf);
  EXPECT_EQ(mf.GetWidth(), PageW);
  EXPECT_EQ(mf.GetHeight(), PageH);
  EXPECT_EQ(mf.GetMMWidth(), 21002);
  EXPECT_EQ(mf.GetMMHeight(), 29701);
  EXPECT_EQ(mf.GetReferenceDpiX(), 600);
  auto b = Replay(mf, 794, 1123);
  ExpectPageFeatures(b.get(), "replay", Fill(b.get()));
  // Into a smaller rectangle at an offset, the picture stays inside it.
  auto part = White(400, 400);
  part->GetCanvas()->StretchDraw(TRect(100, 100, 300, 383), &mf);
  const TRect ink = Ink(part.get());
  EXPECT_GE(ink.Left, 100);
  EXPECT_LE(ink.Right, 300);
  EXPECT_LE(ink.Bottom, 383);
}

TEST_F(GraphicsTest, MetafileSurvivesSaveAndLoadByteForByte) {
  TMetafile mf;
  RecordPage(mf);
  const TBytes first = Bytes(mf);
  ASSERT_GT(first.size(), 108u);
  EXPECT_EQ(std::string(first.begin() + 40, first.begin() + 44), " EMF");
  // Load from a stream that goes on after the metafile: exactly its bytes are taken.
  TBytesStream s;
  s.WriteBuffer(first.data(), static_cast<Integer>(first.size()));
  s.WriteBuffer("tail", 4);
  s.SetPosition(0);
  TMetafile loaded;
  loaded.LoadFromStream(&s);
  EXPECT_EQ(s.GetPosition(), static_cast<Int64>(first.size()));
  EXPECT_EQ(Bytes(loaded), first);
  EXPECT_EQ(loaded.GetWidth(), PageW);
  EXPECT_EQ(loaded.GetHeight(), PageH);
  EXPECT_EQ(loaded.GetCreatedBy(), u"KIV.ERP");
  EXPECT_EQ(loaded.GetDescription(), u"test page");
  // Through a picture, which tells the format by the bytes.
  TPicture picture;
  TBytesStream again(first);
  picture.LoadFromStream(&again);
  ASSERT_NE(dynamic_cast<TMetafile*>(picture.GetGraphic()), nullptr);
  EXPECT_EQ(picture.GetWidth(), PageW);
}

TEST_F(GraphicsTest, MetafileTextRecordsCarryTextPositionFontAndAdvances) {
  TMetafile mf;
  RecordPage(mf);
  const std::vector<TEmfTextRecord> texts = MetafileTextRecords(&mf);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Text, Caption);
  EXPECT_EQ(texts[0].Position, TPoint(600, 3000));
  EXPECT_EQ(String(texts[0].Font.lfFaceName), u"Arial");
  EXPECT_EQ(texts[0].Font.lfHeight, -100);  // 12 points at 600 dpi
  ASSERT_EQ(texts[0].Advances.size(), Caption.size());
  Integer sum = 0;
  for (Integer a : texts[0].Advances) sum += a;
  TBitmap m(1, 1);
  m.GetCanvas()->GetFont()->SetName(u"Arial");
  m.GetCanvas()->GetFont()->SetHeight(-100);
  EXPECT_EQ(sum, m.GetCanvas()->TextWidth(Caption));
  EXPECT_EQ(texts[1].Text, LongText);
  // The raw enumeration sees the header first and the end record last, and can stop early.
  std::vector<Cardinal> types;
  EXPECT_TRUE(EnumEnhMetaFile(&mf, [&](const TEnhMetaRecord& r) {
    types.push_back(r.Type);
    return true;
  }));
  EXPECT_EQ(types.front(), EMR_HEADER);
  EXPECT_EQ(types.back(), EMR_EOF);
  Integer seen = 0;
  EXPECT_FALSE(EnumEnhMetaFile(&mf, [&](const TEnhMetaRecord&) { return ++seen < 3; }));
  EXPECT_EQ(seen, 3);
}

TEST_F(GraphicsTest, DamagedMetafilesAreRefusedWithAClearMessage) {
  TMetafile mf;
  RecordPage(mf);
  const TBytes good = Bytes(mf);
  TBytes badSignature = good;
  badSignature[41] = 'X';
  EXPECT_NE(LoadError(badSignature).find("signature"), std::string::npos) << LoadError(badSignature);
  TBytes truncated(good.begin(), good.end() - 100);
  EXPECT_NE(LoadError(truncated).find("truncated"), std::string::npos) << LoadError(truncated);
  TBytes badRecord = good;
  const Cardinal headerSize = good[4] | (good[5] << 8);
  PutU32(badRecord, headerSize + 4, 6);  // a record size below the minimum
  EXPECT_NE(LoadError(badRecord).find("bad size"), std::string::npos) << LoadError(badRecord);
  TBytes tiny(good.begin(), good.begin() + 20);
  EXPECT_NE(LoadError(tiny).find("Metafile is not valid"), std::string::npos);
  // The metafile that refused keeps its picture.
  TBytesStream s(badSignature);
  EXPECT_THROW(mf.LoadFromStream(&s), EInvalidGraphic);
  EXPECT_EQ(Bytes(mf), good);
}

TEST_F(GraphicsTest, PlayerSkipsRecordsItDoesNotKnow) {
  TMetafile mf;
  RecordPage(mf);
  TBytes bytes = Bytes(mf);
  // An unknown record of 12 bytes just before the end record.
  const size_t eofAt = bytes.size() - 20;
  const Byte unknown[12] = {0x77, 0x77, 0, 0, 12, 0, 0, 0, 1, 2, 3, 4};
  bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(eofAt), unknown, unknown + 12);
  PutU32(bytes, 48, static_cast<Cardinal>(bytes.size()));
  TMetafile patched;
  TBytesStream s(bytes);
  patched.LoadFromStream(&s);
  auto b = Replay(patched, 794, 1123);
  ExpectPageFeatures(b.get(), "patched", Fill(b.get()));
}

TEST_F(GraphicsTest, LibreOfficeDrawsThePageWeWrote) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    if (std::getenv("CI")) FAIL() << "soffice is missing; tools/setup installs it";
    GTEST_SKIP() << "soffice is not installed";
  }
  TMetafile mf;
  RecordPage(mf);
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("kiv-emf-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  mf.SaveToFile(Utf8ToString((dir / "page.emf").string()));
  const std::string cmd = "cd '" + dir.string() + "' && HOME='" + dir.string() +
                          "' timeout 240 soffice --headless --norestore --convert-to png --outdir '" +
                          dir.string() + "' page.emf >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  TPngImage png;
  png.LoadFromFile(Utf8ToString((dir / "page.png").string()));
  ASSERT_GT(png.GetWidth(), 100);
  // The page keeps its proportions there.
  EXPECT_NEAR(static_cast<double>(png.GetHeight()) / png.GetWidth(), static_cast<double>(PageH) / PageW,
              0.02);
  // Flattened onto white, their picture shows the features where the page lies in it (LibreOffice
  // fits the page into its own with a margin).
  auto theirs = White(png.GetWidth(), png.GetHeight());
  theirs->GetCanvas()->Draw(0, 0, &png);
  const Placement placed = FindRule(theirs.get());
  ASSERT_GT(placed.scale, 0.1) << "no rule found";
  ExpectPageFeatures(theirs.get(), "LibreOffice", placed);
  // Our replay at the same place agrees with theirs cell by cell: the same things at the same places.
  auto ours = White(png.GetWidth(), png.GetHeight());
  ours->GetCanvas()->StretchDraw(
      Bounds(static_cast<Integer>(std::lround(placed.x)), static_cast<Integer>(std::lround(placed.y)),
             static_cast<Integer>(std::lround(PageW * placed.scale)),
             static_cast<Integer>(std::lround(PageH * placed.scale))),
      &mf);
  const Integer cells = 24;
  Integer differing = 0;
  for (Integer cy = 0; cy < cells; ++cy)
    for (Integer cx = 0; cx < cells; ++cx) {
      const TRect cell(cx * png.GetWidth() / cells, cy * png.GetHeight() / cells,
                       (cx + 1) * png.GetWidth() / cells, (cy + 1) * png.GetHeight() / cells);
      if (Ink(theirs.get(), cell).IsEmpty() != Ink(ours.get(), cell).IsEmpty()) ++differing;
    }
  EXPECT_LE(differing, cells * cells / 50) << "cells with ink on one side only";
  if (!HasFailure()) fs::remove_all(dir);
}
