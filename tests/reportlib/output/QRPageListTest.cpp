// The page store and the saved-report file: the file layout, walking the links, coded pages, links,
// older headers, and damaged or oversized files refused with an error instead of a crash or a hang.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <thread>

#include "platform/classes/SpecialFolders.h"
#include "reportlib/output/QRError.h"
#include "reportlib/output/QRPageList.h"
#include "tests/reportlib/output/OutputTestSupport.h"

namespace {

Integer Int32At(const TBytes& b, size_t at) {
  Integer v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

TBytes PageBytes(TMetafile* page) {
  TBytesStream s;
  page->SaveToStream(&s);
  return TBytes(s.GetBytes().begin(), s.GetBytes().begin() + s.GetSize());
}

// A finished store of count pages, as the report printer leaves it.
std::unique_ptr<TQRPageList> MakeStore(Integer count, bool coded, bool withLinks = false) {
  auto list = std::make_unique<TQRPageList>();
  list->SetCompression(coded);
  list->SetStream(std::make_unique<TQRStream>(1000000));
  for (Integer i = 1; i <= count; ++i) {
    auto page = MakePage(i);
    if (withLinks) {
      THyperlinkList links{{TRect(i, 2, 30, 40), u"https://example.org/стр/" + IntToStr(i)}};
      list->AddPageEx(page.get(), i % 2 ? &links : nullptr);
    } else {
      list->AddPage(page.get());
    }
  }
  list->Finish();
  return list;
}

TBytes StoreBytes(TQRPageList& list) {
  TMemoryStream out;
  list.SaveToStream(&out);
  const Byte* p = static_cast<const Byte*>(out.Memory());
  return TBytes(p, p + out.GetSize());
}

void LoadBytes(TQRPageList& list, const TBytes& bytes) {
  TBytesStream in(bytes);
  list.LoadFromStream(&in);
}

TEST(QRPageListTest, OnePagePlainFileHasTheHeaderAndOneLinkedRecord) {
  auto list = MakeStore(1, false);
  const String name = GetTempFileName(GetTempPath(), u"qrp");
  list->SaveToFile(name);
  TFileStream file(name, fmOpenRead);
  const TBytes bytes = file.ReadAllBytes();
  DeleteFile(name);
  ASSERT_GT(bytes.size(), 180u);
  EXPECT_EQ(bytes[0], 3);
  EXPECT_EQ(bytes[2], 60);
  EXPECT_EQ(Int32At(bytes, 8), 1);
  EXPECT_EQ(bytes[25], 0);
  for (size_t i = 26; i <= 125; ++i) ASSERT_EQ(bytes[i], 'H') << i;
  EXPECT_EQ(Int32At(bytes, 128), 1);
  EXPECT_EQ(Int32At(bytes, 132), static_cast<Integer>(bytes.size()));
  EXPECT_EQ(Int32At(bytes, bytes.size() - 4), 128);
  EXPECT_EQ(std::string(bytes.begin() + 177, bytes.begin() + 180), "EMF");
}

TEST(QRPageListTest, LoadingAMissingOrOversizedFileFailsAndKeepsTheStore) {
  auto list = MakeStore(2, false);
  EXPECT_THROW(list->LoadFromFile(GetTempPath() + u"no-such-report.qrp"), EQRError);
  const String huge = GetTempFileName(GetTempPath(), u"qrp");
  {
    TFileStream file(huge, fmOpenReadWrite);
    file.SetSize(Int64{3} << 30);  // sparse: refused before a byte is read
  }
  EXPECT_THROW(list->LoadFromFile(huge), EQRError);
  DeleteFile(huge);
  EXPECT_EQ(list->GetPageCount(), 2);
  EXPECT_EQ(PageText(list->GetPage(2).get()), u"Страница 2");
}

TEST(QRPageListTest, WalksTheLinksBothWaysToAnyPage) {
  auto list = MakeStore(10, false);
  for (Integer n : {5, 2, 7, 10, 1, 9, 3})
    EXPECT_EQ(PageText(list->GetPage(n).get()), u"Страница " + IntToStr(n)) << n;
  EXPECT_EQ(list->GetPage(11), nullptr);
  EXPECT_EQ(list->GetPage(0), nullptr);
}

TEST(QRPageListTest, HundredsOfPagesSaveAndLoadByteIdentical) {
  for (bool coded : {false, true}) {
    auto list = MakeStore(300, coded);
    const TBytes saved = StoreBytes(*list);
    EXPECT_EQ(saved[25], coded ? 1 : 0);
    TQRPageList loaded;
    LoadBytes(loaded, saved);
    ASSERT_EQ(loaded.GetPageCount(), 300);
    EXPECT_EQ(loaded.GetCompression(), coded);
    for (Integer n = 1; n <= 300; ++n) {
      auto expected = MakePage(n);
      ASSERT_EQ(PageBytes(loaded.GetPage(n).get()), PageBytes(expected.get())) << coded << " " << n;
    }
    EXPECT_EQ(StoreBytes(loaded), saved) << "a loaded report saves as the same file";
  }
}

TEST(QRPageListTest, CodedPagesAreSmallerAndEqualToPlainOnes) {
  auto plain = MakeStore(20, false), coded = MakeStore(20, true);
  EXPECT_LT(StoreBytes(*coded).size(), StoreBytes(*plain).size());
  for (Integer n = 1; n <= 20; ++n)
    EXPECT_EQ(PageBytes(coded->GetPage(n).get()), PageBytes(plain->GetPage(n).get())) << n;
}

TEST(QRPageListTest, LinksComeBackWholeAndPlainReadersSkipThem) {
  auto list = MakeStore(4, false, true);
  TQRPageList loaded;
  LoadBytes(loaded, StoreBytes(*list));
  for (Integer n = 1; n <= 4; ++n) {
    std::unique_ptr<TMetafile> page;
    std::unique_ptr<THyperlinkList> links;
    loaded.GetPageEx(n, page, links);
    EXPECT_EQ(PageText(page.get()), u"Страница " + IntToStr(n));
    if (n % 2) {
      ASSERT_TRUE(links);
      EXPECT_EQ(*links, (THyperlinkList{{TRect(n, 2, 30, 40), u"https://example.org/стр/" + IntToStr(n)}}));
    } else {
      EXPECT_FALSE(links);
    }
    // GetPage on a store with link blocks still finds every page after it.
    EXPECT_EQ(PageText(loaded.GetPage(n).get()), u"Страница " + IntToStr(n));
  }
}

// Rewrites a 128-byte header into the older 4-byte-aligned 124-byte layout.
TBytes ToHeader124(const TBytes& file) {
  TBytes out(124, 0);
  std::memcpy(out.data(), file.data(), 8);
  std::memcpy(out.data() + 8, file.data() + 8, 4);
  std::memcpy(out.data() + 12, file.data() + 16, 8);
  out[21] = file[25];
  std::memset(out.data() + 22, 'H', 100);
  // Every offset in the records moves 4 bytes down.
  TBytes records(file.begin() + 128, file.end());
  for (size_t pos = 0; pos < records.size();) {
    const Integer next = Int32At(records, pos + 4) - 128;
    const Integer moved = next + 124;
    std::memcpy(records.data() + pos + 4, &moved, 4);
    const Integer back = static_cast<Integer>(pos) + 124;
    std::memcpy(records.data() + next - 4, &back, 4);
    pos = static_cast<size_t>(next);
  }
  out.insert(out.end(), records.begin(), records.end());
  return out;
}

TEST(QRPageListTest, OlderHeadersLoadPlainAndCoded) {
  for (bool coded : {false, true}) {
    auto list = MakeStore(3, coded);
    TQRPageList loaded;
    LoadBytes(loaded, ToHeader124(StoreBytes(*list)));
    EXPECT_EQ(loaded.GetPageCount(), 3) << coded;
    EXPECT_EQ(loaded.GetCompression(), coded);
    EXPECT_EQ(PageText(loaded.GetPage(3).get()), u"Страница 3");
    EXPECT_EQ(PageText(loaded.GetPage(1).get()), u"Страница 1");
  }
}

TEST(QRPageListTest, EveryTruncationIsRefusedWithAnError) {
  for (bool coded : {false, true}) {
    const TBytes whole = StoreBytes(*MakeStore(2, coded));
    for (size_t size = 0; size < whole.size(); ++size) {
      TQRPageList list;
      try {
        LoadBytes(list, TBytes(whole.begin(), whole.begin() + size));
        ADD_FAILURE() << "a file cut to " << size << " bytes loaded";
      } catch (const EQRError& e) {
        EXPECT_FALSE(e.Message().empty());
      }
      EXPECT_EQ(list.GetPageCount(), 0);
    }
  }
}

TEST(QRPageListTest, FlippedBytesNeverCrashOrHang) {
  for (bool coded : {false, true}) {
    const TBytes whole = StoreBytes(*MakeStore(3, coded));
    std::mt19937 gen(coded ? 7 : 8);
    for (int round = 0; round < 400; ++round) {
      TBytes bytes = whole;
      for (int flips = 1 + round % 4; flips > 0; --flips)
        bytes[gen() % bytes.size()] ^= static_cast<Byte>(1 + gen() % 255);
      TQRPageList list;
      try {
        LoadBytes(list, bytes);
      } catch (const EQRError&) {
        continue;  // refused: the expected answer for most flips
      }
      // Accepted: the flips hit bytes nothing checks (the date, a colour); every page still reads.
      for (Integer n = list.GetPageCount(); n >= 1; --n) EXPECT_NE(list.GetPage(n), nullptr);
    }
  }
}

TEST(QRPageListTest, AMetafileFrameThatOverflowsIsRefused) {
  TBytes bytes = StoreBytes(*MakeStore(1, false));
  // The first page's metafile starts at 136; its frame's left edge sits 24 bytes in.
  const Integer lowest = std::numeric_limits<Integer>::min();
  std::memcpy(bytes.data() + 136 + 24, &lowest, 4);
  TQRPageList list;
  EXPECT_THROW(LoadBytes(list, bytes), EQRError);
}

TEST(QRPageListTest, LengthsBeyondTheFileAreRefusedWithoutAllocatingThem) {
  const TBytes plain = StoreBytes(*MakeStore(2, false)), coded = StoreBytes(*MakeStore(2, true)),
               linked = StoreBytes(*MakeStore(1, false, true));
  const Integer emfSize = Int32At(plain, 136 + 48);
  const Integer linkBlock = 136 + Int32At(linked, 136 + 48);
  const Integer huge = std::numeric_limits<Integer>::max();
  struct Case {
    const char* what;
    const TBytes* file;
    size_t at;
    Integer value;
  };
  const Case cases[] = {
      {"page count in the header", &plain, 8, huge},
      {"next record", &plain, 132, huge},
      {"next record before its own", &plain, 132, 100},
      {"metafile length", &plain, 136 + 48, huge - 8},
      {"metafile length past its record", &plain, 136 + 48, emfSize + 64},
      {"coded length", &coded, 136, huge},
      {"coded length below a metafile", &coded, 136, 10},
      {"link count", &linked, static_cast<size_t>(linkBlock), huge},
      {"negative link count", &linked, static_cast<size_t>(linkBlock), -1},
      {"link text length", &linked, static_cast<size_t>(linkBlock) + 4 + 16, huge},
      {"back link", &plain, static_cast<size_t>(Int32At(plain, 132)) - 4, 0},
  };
  for (const Case& c : cases) {
    TBytes bytes = *c.file;
    std::memcpy(bytes.data() + c.at, &c.value, 4);
    TQRPageList list;
    try {
      LoadBytes(list, bytes);
      ADD_FAILURE() << c.what << ": loaded";
    } catch (const EQRError& e) {
      EXPECT_NE(e.Message().find(u"damaged"), String::npos) << c.what;
    }
  }
}

TEST(QRPageListTest, LinksThatRunInACircleAreRefused) {
  TBytes bytes = StoreBytes(*MakeStore(3, false));
  // Page 2's forward link points back at page 1's record.
  const Integer second = Int32At(bytes, 132);
  const Integer first = 128;
  std::memcpy(bytes.data() + second + 4, &first, 4);
  TQRPageList list;
  EXPECT_THROW(LoadBytes(list, bytes), EQRError);

  // In a store already loaded, a walk over a broken link stops with an error as well.
  auto live = MakeStore(3, false);
  TQRStream* s = live->GetStream();
  s->SetPosition(second + 4);
  s->WriteBuffer(&first, 4);
  s->SetPosition(128);
  EXPECT_THROW(live->GetPage(3), EQRError);
}

TEST(QRPageListTest, APageThatWouldPassTwoGigabytesIsRefusedAndTheStoreStaysWhole) {
  TQRPageList list;
  list.SetStream(std::make_unique<TQRStream>(0));  // in a file at once, so the gap below is sparse
  auto first = MakePage(1), second = MakePage(2);
  list.AddPage(first.get());
  const Int64 nearLimit = 0x7FFFFF00;
  list.GetStream()->SetSize(nearLimit);
  EXPECT_THROW(list.AddPage(second.get()), EQRError);
  EXPECT_EQ(list.GetPageCount(), 1);
  EXPECT_EQ(list.GetStream()->GetSize(), nearLimit);
  EXPECT_EQ(PageText(list.GetPage(1).get()), u"Страница 1");
}

TEST(QRPageListTest, ReadsPagesWhileAnotherThreadAddsThem) {
  TQRPageList list;
  list.SetStream(std::make_unique<TQRStream>(20000));  // spills to a file on the way
  std::vector<std::unique_ptr<TMetafile>> pages;
  for (Integer i = 1; i <= 120; ++i) pages.push_back(MakePage(i));
  std::thread writer([&] {
    for (auto& p : pages) list.AddPage(p.get());
  });
  std::mt19937 gen(9);
  for (Integer reads = 0; reads < 400;) {
    const Integer count = list.GetPageCount();
    if (count == 0) continue;
    const Integer n = 1 + static_cast<Integer>(gen() % count);
    auto page = list.GetPage(n);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(PageText(page.get()), u"Страница " + IntToStr(n));
    ++reads;
  }
  writer.join();
  EXPECT_EQ(list.GetPageCount(), 120);
}

}  // namespace
