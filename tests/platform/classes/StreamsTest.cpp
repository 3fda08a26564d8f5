// Streams: short reads and writes, seeking, memory growth and its hook, files and their errors,
// string streams in each encoding, and compiled-in resources.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "platform/classes/Streams.h"
#include "platform/rtl/Utf.h"

namespace {

TEST(StreamsTest, ShortReadsAndWritesRaiseOnlyInTheBufferCalls) {
  TMemoryStream s;
  s.WriteBuffer("abc", 3);
  s.SetPosition(1);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  s.SetPosition(1);
  try {
    s.ReadBuffer(buf, 3);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "Stream read error");
  }
  TResourceStream ro(u"GridTexts");
  try {
    ro.WriteBuffer("x", 1);
    FAIL();
  } catch (const EStreamError&) {
  }
}

TEST(StreamsTest, SeekOriginsAndWritingPastTheEnd) {
  TMemoryStream s;
  s.WriteBuffer("0123456789", 10);
  EXPECT_EQ(s.Seek(-3, soEnd), 7);
  EXPECT_EQ(s.Seek(1, soCurrent), 8);
  EXPECT_EQ(s.Seek(Int64(2), soFromBeginning), 2);
  s.SetPosition(12);
  s.WriteBuffer("X", 1);
  EXPECT_EQ(s.GetSize(), 13);
  const char* m = static_cast<const char*>(s.Memory());
  EXPECT_EQ(std::string(m, 13), std::string("0123456789\0\0X", 13));
  s.SetSize(4);
  EXPECT_EQ(s.GetPosition(), 4);
  s.Clear();
  EXPECT_EQ(s.GetSize(), 0);
  EXPECT_EQ(s.GetCapacity(), 0);
}

class TCountingStream : public TMemoryStream {
 public:
  int reallocs = 0;

 protected:
  void* Realloc(Int64& newCapacity) override {
    ++reallocs;
    return TMemoryStream::Realloc(newCapacity);
  }
};

TEST(StreamsTest, MemoryGrowsInStepsThroughTheReallocHook) {
  TCountingStream s;
  for (int i = 0; i < 3000; ++i) s.WriteBuffer("abcd", 4);
  EXPECT_EQ(s.GetSize(), 12000);
  EXPECT_EQ(s.GetCapacity() % TMemoryStream::MemoryDelta, 0);
  EXPECT_LE(s.reallocs, 3);
  TBytesStream b;
  for (int i = 0; i < 1000; ++i) b.WriteBuffer("xy", 2);
  EXPECT_EQ(b.GetSize(), 2000);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.GetBytes().data()), 4), "xyxy");
}

TEST(StreamsTest, CopyFromCopiesAllOrPart) {
  TMemoryStream a, b, c;
  a.WriteBuffer("hello world", 11);
  a.SetPosition(6);
  EXPECT_EQ(b.CopyFrom(&a, 0), 11);
  EXPECT_EQ(b.GetSize(), 11);
  a.SetPosition(6);
  c.CopyFrom(&a, 5);
  EXPECT_EQ(std::string(static_cast<const char*>(c.Memory()), 5), "world");
  a.SetPosition(8);
  EXPECT_THROW(c.CopyFrom(&a, 5), EReadError);
}

TEST(StreamsTest, FileStreamModesAndErrors) {
  char dir[] = "/tmp/kiv-streams-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  String name = Utf8ToString(dir) + u"/файл.bin";
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("data", 4);
  }
  {
    TFileStream f(name, fmOpenReadWrite | fmShareDenyWrite);
    EXPECT_EQ(f.GetSize(), 4);
    f.Seek(0, soEnd);
    f.WriteBuffer("++", 2);
    f.SetSize(5);
  }
  {
    TFileStream f(name, fmOpenRead);
    char buf[8] = {};
    EXPECT_EQ(f.Read(buf, 8), 5);
    EXPECT_EQ(std::string(buf, 5), "data+");
    EXPECT_EQ(f.Write("x", 1), 0);
  }
  try {
    TFileStream f(Utf8ToString(dir) + u"/missing", fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()),
              std::string("Cannot open file \"") + dir + "/missing\". No such file or directory");
  }
  try {
    TFileStream f(Utf8ToString(dir) + u"/no/such/dir/x", fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()).rfind("Cannot create file \"", 0), 0u);
  }
  EXPECT_THROW(TFileStream(Utf8ToString(dir), fmOpenRead), EFOpenError);
  std::remove(StringToUtf8(name).c_str());
  rmdir(dir);
}

TEST(StreamsTest, StringStreamsEncodeAsAsked) {
  struct Case {
    const TEncoding* encoding;
    std::string bytes;
  };
  const Case cases[] = {
      {TEncoding::Default(), "\xCA\xE8\xE2 1"},
      {TEncoding::UTF8(), "\xD0\x9A\xD0\xB8\xD0\xB2 1"},
      {TEncoding::Unicode(), std::string("\x1A\x04\x38\x04\x32\x04 \0"
                                         "1\0",
                                         10)},
      {TEncoding::BigEndianUnicode(), std::string("\x04\x1A\x04\x38\x04\x32\0 \0"
                                                  "1",
                                                  10)},
  };
  for (const auto& c : cases) {
    TStringStream s(u"Кив 1", c.encoding);
    EXPECT_EQ(std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize())), c.bytes)
        << StringToUtf8(c.encoding->EncodingName());
    EXPECT_EQ(s.GetDataString(), u"Кив 1");
    s.Seek(0, soEnd);
    s.WriteString(u"!");
    EXPECT_EQ(s.DataString(), u"Кив 1!");
  }
  TStringStream reader(u"abcdef", TEncoding::UTF8());
  reader.SetPosition(2);
  EXPECT_EQ(reader.ReadString(3), u"cde");
  EXPECT_EQ(reader.ReadString(10), u"f");
}

TEST(StreamsTest, ResourcesAreFoundByNameInAnyCase) {
  TResourceStream s(u"gridtexts");
  TBytes bytes = s.ReadAllBytes();
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string("not a form, just bytes\0\1\xff", 25));
  EXPECT_TRUE(ResourceExists(u"TTestForm"));
  try {
    TResourceStream missing(0, u"NOSUCHRES", RT_RCDATA);
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "Resource NOSUCHRES not found");
  }
}
}  // namespace
