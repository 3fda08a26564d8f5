// The report stream: the spill to a temporary file at the limit, loading a file, copying out, and
// positions past 2 GiB.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/classes/SpecialFolders.h"
#include "platform/rtl/Utf.h"
#include "reportlib/output/QRStream.h"
#include "tests/reportlib/output/OutputTestSupport.h"

namespace {

TBytes ReadAll(TQRStream& stream) {
  TBytes bytes(static_cast<size_t>(stream.GetSize()));
  stream.SetPosition(0);
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  return bytes;
}

TEST(QRStreamTest, SpillsToATemporaryFileOnlyAboveTheLimitAndKeepsEveryByte) {
  const TBytes first = RandomBytes(100, 1), second = RandomBytes(50, 2);
  String fileName;
  {
    TQRStream stream(100);
    stream.WriteBuffer(first.data(), 100);
    EXPECT_TRUE(stream.GetInMemory()) << "a size equal to the limit stays in memory";
    EXPECT_TRUE(stream.GetFileName().empty());
    stream.WriteBuffer(second.data(), 1);
    ASSERT_FALSE(stream.GetInMemory());
    fileName = stream.GetFileName();
    const std::filesystem::path path(StringToUtf8(fileName));
    EXPECT_EQ(path.filename().string().rfind("QRP", 0), 0u) << path;
    EXPECT_EQ(path.parent_path(), std::filesystem::path(StringToUtf8(GetTempPath())).parent_path());
    EXPECT_EQ(stream.GetPosition(), 101) << "the position survives the spill";
    stream.WriteBuffer(second.data() + 1, 49);
    TBytes expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(ReadAll(stream), expected);
  }
  EXPECT_FALSE(FileExists(fileName)) << "destroying the stream removes its file";
}

TEST(QRStreamTest, CreateFromFileReadsEverythingAndNeverWritesTheFile) {
  const String name = GetTempFileName(GetTempPath(), u"qrs");
  const TBytes bytes = RandomBytes(5000, 3);
  {
    TFileStream file(name, fmCreate);
    file.WriteBuffer(bytes.data(), 5000);
  }
  {
    auto stream = TQRStream::CreateFromFile(name);
    EXPECT_TRUE(stream->GetInMemory());
    EXPECT_EQ(stream->GetSize(), 5000);
    EXPECT_EQ(stream->GetMemoryLimit(), 6000);
    EXPECT_EQ(stream->GetPosition(), 0);
    EXPECT_EQ(ReadAll(*stream), bytes);
    // Growing it past its limit spills to a new file, never into the loaded one.
    const TBytes more = RandomBytes(2000, 4);
    stream->SetPosition(5000);
    stream->WriteBuffer(more.data(), 2000);
    EXPECT_FALSE(stream->GetInMemory());
    EXPECT_NE(stream->GetFileName(), name);
  }
  TFileStream file(name, fmOpenRead);
  EXPECT_EQ(file.ReadAllBytes(), bytes);
  DeleteFile(name);
  EXPECT_THROW(TQRStream::CreateFromFile(name), EFOpenError);
}

TEST(QRStreamTest, SaveToStreamCopiesFromTheStartInChunks) {
  TQRStream empty(1000);
  TMemoryStream out;
  empty.SaveToStream(&out);
  EXPECT_EQ(out.GetSize(), 0);

  const TBytes bytes = RandomBytes(25000, 5);
  TQRStream stream(1000);  // spilled: the copy reads the file
  stream.WriteBuffer(bytes.data(), 25000);
  stream.SetPosition(77);
  stream.SaveToStream(&out);
  EXPECT_EQ(TBytes(static_cast<Byte*>(out.Memory()), static_cast<Byte*>(out.Memory()) + out.GetSize()),
            bytes);
  EXPECT_EQ(stream.GetPosition(), 25000);
}

TEST(QRStreamTest, PositionsPastTwoGigabytesStayExact) {
  TQRStream stream(0);
  stream.WriteBuffer("x", 1);
  ASSERT_FALSE(stream.GetInMemory());
  const Int64 far = (Int64{1} << 32) + 12345;  // a sparse file: no disk is used for the gap
  stream.SetSize(far);
  stream.SetPosition(far);
  stream.WriteBuffer("tail", 4);
  EXPECT_EQ(stream.GetSize(), far + 4);
  char back[4];
  stream.Seek(-4, soEnd);
  EXPECT_EQ(stream.GetPosition(), far);
  stream.ReadBuffer(back, 4);
  EXPECT_EQ(std::string(back, 4), "tail");
}

}  // namespace
