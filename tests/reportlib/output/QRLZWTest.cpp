// The LZW codec: the PDF filter's exact codes, round trips across table resets, a PDF reader's view
// of the encoder's output, and streams that are cut short or foreign.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "reportlib/output/QRLZW.h"
#include "tests/reportlib/output/OutputTestSupport.h"

namespace {

TBytes Bytes(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return TBytes(p, p + s.GetSize());
}

TBytes Encode(const TBytes& plain) {
  TBytesStream in(plain), out;
  LZWEncode(&in, &out);
  EXPECT_EQ(in.GetPosition(), in.GetSize());
  return Bytes(out);
}

TBytes Decode(const TBytes& coded) {
  TBytesStream in(coded), out;
  LZWDecode(&in, &out);
  return Bytes(out);
}

// Codes at the widths a reader expects, most significant bit first.
TBytes PackCodes(const std::vector<Integer>& codes) {
  TBytes out;
  Cardinal acc = 0;
  Integer bits = 0, width = 9, next = 258;
  for (Integer code : codes) {
    acc = (acc << width) | static_cast<Cardinal>(code);
    bits += width;
    while (bits >= 8) out.push_back(static_cast<Byte>(acc >> (bits -= 8)));
    if (code == 256) {
      width = 9, next = 258;
    } else if (next < 4096) {
      ++next;
      if (next == 512 || next == 1024 || next == 2048) ++width;
    }
  }
  if (bits > 0) out.push_back(static_cast<Byte>(acc << (8 - bits)));
  return out;
}

TEST(LZWTest, GivesThePdfFiltersCodes) {
  EXPECT_EQ(Encode({}), (TBytes{0x80, 0x40, 0x40}));
  const TBytes example{45, 45, 45, 45, 45, 65, 45, 45, 45, 66};
  const TBytes coded{0x80, 0x0B, 0x60, 0x50, 0x22, 0x0C, 0x0C, 0x85, 0x01};
  EXPECT_EQ(Encode(example), coded);
  EXPECT_EQ(Decode(coded), example);
  EXPECT_EQ(Decode(Encode({})), TBytes{});
}

TEST(LZWTest, RoundTripsAcrossTableResets) {
  TBytes text;
  for (int i = 0; i < 40000; ++i) text.push_back(static_cast<Byte>("Отчёт за период "[i % 16] + i / 997));
  // A real page: metafile records, as the report documents embed them.
  TBytesStream page;
  MakePage(3)->SaveToStream(&page);
  const TBytes real(page.GetBytes().begin(), page.GetBytes().begin() + page.GetSize());
  for (const TBytes& plain :
       {RandomBytes(1, 1), RandomBytes(100000, 2), RandomBytes(3000000, 3), text, TBytes(200000, 'A'), real})
    EXPECT_EQ(Decode(Encode(plain)), plain) << plain.size();
}

TEST(LZWTest, APdfReaderDecodesTheEncodersOutput) {
  const TBytes plain = RandomBytes(100000, 4);
  const TBytes coded = Encode(plain);
  const std::string dir = ::testing::TempDir();
  const std::string pdf = dir + "lzw.pdf", data = dir + "lzw.bin";
  {
    std::string body =
        "%PDF-1.3\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
        "2 0 obj << /Type /Pages /Kids [] /Count 0 >> endobj\n"
        "3 0 obj << /Length " +
        std::to_string(coded.size()) + " /Filter /LZWDecode >>\nstream\n";
    body.append(coded.begin(), coded.end());
    body += "\nendstream\nendobj\ntrailer << /Root 1 0 R /Size 4 >>\n%%EOF\n";
    std::ofstream(pdf, std::ios::binary) << body;
  }
  const std::string command =
      "qpdf --show-object=3 --filtered-stream-data " + pdf + " > " + data + " 2>/dev/null";
  const int status = std::system(command.c_str()) >> 8;
  ASSERT_TRUE(status == 0 || status == 3) << "qpdf (3 means warnings about the bare file) ran: " << status;
  std::ifstream in(data, std::ios::binary);
  const TBytes decoded((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(decoded, plain);
}

TEST(LZWTest, BadStreamsFailWithTheirMessagesOrDecodeWithoutOverrunningTheTable) {
  TBytes cut = Encode(RandomBytes(5000, 5));
  cut.resize(cut.size() / 2);
  try {
    Decode(cut);
    FAIL() << "a short stream decoded";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"LZWDecode: End of stream");
  }
  try {
    Decode(PackCodes({256, 65, 300, 257}));
    FAIL() << "an undefined code decoded";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"LZWDecode: code>=idxCodeTable");
  }
  // A foreign stream that never clears: the table fills at 4096 codes and decoding goes on.
  std::vector<Integer> codes{256};
  codes.insert(codes.end(), 6000, 'A');
  codes.push_back(257);
  EXPECT_EQ(Decode(PackCodes(codes)), TBytes(6000, 'A'));
}

}  // namespace
