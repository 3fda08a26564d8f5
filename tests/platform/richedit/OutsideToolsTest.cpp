// The rich edit against outside tools: RTF that LibreOffice writes loads with its formatting, RTF we
// write reads back in LibreOffice with the same text, and Print makes a PDF that poppler reads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/controls/RichEdit.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Output(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    lines.push_back(line);
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    dir = fs::temp_directory_path() / ("kiv-richedit-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir);
  }
  fs::path dir;
};

class LibreOfficeTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "soffice is not installed";
  }
  // Converts file with soffice in its own profile; answers the output file.
  fs::path Convert(const fs::path& file, const std::string& filter, const std::string& extension) {
    const fs::path profile = dir / "profile";
    const std::string cmd = "cd '" + dir.string() +
                            "' && soffice --headless --norestore -env:UserInstallation=file://" +
                            profile.string() + " --convert-to '" + filter + "' --outdir '" + dir.string() +
                            "' '" + file.string() + "' >/dev/null 2>&1";
    const int rc = std::system(cmd.c_str());
    EXPECT_EQ(rc, 0) << cmd;
    return dir / (file.stem().string() + "." + extension);
  }
};

TEST_F(LibreOfficeTest, ItsRtfLoadsWithFormatting) {
  const fs::path fodt = dir / "in.fodt";
  std::ofstream(fodt) << R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:automatic-styles>
  <style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
  <style:style style:name="T2" style:family="text"><style:text-properties fo:font-style="italic"/></style:style>
  <style:style style:name="T3" style:family="text"><style:text-properties fo:color="#ff0000"/></style:style>
  <style:style style:name="P1" style:family="paragraph"><style:paragraph-properties fo:text-align="center"/></style:style>
  <style:style style:name="P2" style:family="paragraph"><style:paragraph-properties fo:text-align="end"/></style:style>
 </office:automatic-styles>
 <office:body><office:text>
  <text:p><text:span text:style-name="T1">Жирный</text:span> <text:span text:style-name="T2">курсив</text:span> <text:span text:style-name="T3">красный</text:span> обычный</text:p>
  <text:p text:style-name="P1">По центру</text:p>
  <text:p text:style-name="P2">Справа</text:p>
 </office:text></office:body>
</office:document>
)";
  const fs::path rtf = Convert(fodt, "rtf", "rtf");
  ASSERT_TRUE(fs::exists(rtf));
  TRichEdit edit(nullptr);
  edit.GetLines()->LoadFromFile(Utf8ToString(rtf.string()));
  ASSERT_GE(edit.GetLines()->GetCount(), 3) << ReadFile(rtf);
  EXPECT_EQ(StringToUtf8(edit.GetLines()->Get(0)), "Жирный курсив красный обычный");
  EXPECT_EQ(StringToUtf8(edit.GetLines()->Get(1)), "По центру");
  EXPECT_EQ(StringToUtf8(edit.GetLines()->Get(2)), "Справа");
  auto at = [&](const String& word) {
    const Integer pos = edit.FindText(word, 0, -1, {stMatchCase});
    EXPECT_GE(pos, 0) << StringToUtf8(word);
    edit.SetSelStart(pos + 1);
    edit.SetSelLength(1);
    return edit.GetSelAttributes()->GetFormat();
  };
  EXPECT_TRUE(at(u"Жирный").Style.Contains(fsBold));
  EXPECT_FALSE(at(u"Жирный").Style.Contains(fsItalic));
  EXPECT_TRUE(at(u"курсив").Style.Contains(fsItalic));
  EXPECT_FALSE(at(u"курсив").Style.Contains(fsBold));
  EXPECT_EQ(at(u"красный").Color, static_cast<TColor>(0x0000FF));
  EXPECT_EQ(at(u"обычный").Style, TFontStyles());
  EXPECT_NE(at(u"обычный").Color, static_cast<TColor>(0x0000FF));
  at(u"Жирный");
  EXPECT_EQ(edit.GetParagraph()->GetAlignment(), taLeftJustify);
  at(u"центру");
  EXPECT_EQ(edit.GetParagraph()->GetAlignment(), taCenter);
  at(u"Справа");
  EXPECT_EQ(edit.GetParagraph()->GetAlignment(), taRightJustify);
}

TEST_F(LibreOfficeTest, OurRtfReadsBackWithTheSameText) {
  TRichEdit edit(nullptr);
  edit.GetLines()->Add(u"Первая строка: жирная");
  edit.GetLines()->Add(u"Вторая — € и 中文 ёЁ");
  edit.GetLines()->Add(u"Third line\twith a tab");
  edit.SetSelStart(0);
  edit.SetSelLength(6);
  edit.GetSelAttributes()->SetStyle({fsBold});
  edit.GetSelAttributes()->SetColor(static_cast<TColor>(0x0000FF));
  edit.SetSelStart(25);
  edit.GetParagraph()->SetAlignment(taCenter);
  const fs::path rtf = dir / "ours.rtf";
  edit.GetLines()->SaveToFile(Utf8ToString(rtf.string()));
  const fs::path txt = Convert(rtf, "txt:Text (encoded):UTF8", "txt");
  ASSERT_TRUE(fs::exists(txt));
  const std::vector<std::string> lines = Lines(ReadFile(txt));
  ASSERT_EQ(lines.size(), 3u) << ReadFile(txt);
  EXPECT_EQ(lines[0], "Первая строка: жирная");
  EXPECT_EQ(lines[1], "Вторая — € и 中文 ёЁ");
  EXPECT_EQ(lines[2], "Third line\twith a tab");
}

class PrintTest : public TempDirTest {};

TEST_F(PrintTest, PrintWritesEveryLineOnceToThePdfPrinter) {
  TPrinter* printer = Printer();
  if (!printer->IsPdfPrinter()) GTEST_SKIP() << "a real printer is installed here";
  TRichEdit edit(nullptr);
  TFont font;
  font.SetName(u"Arial");
  font.SetSize(12);
  edit.GetDefAttributes()->Assign(&font);
  for (int i = 1; i <= 120; ++i) edit.GetLines()->Add(u"Строка номер " + Utf8ToString(std::to_string(i)));
  const fs::path pdf = dir / "printed.pdf";
  printer->SetOutputFileName(Utf8ToString(pdf.string()));
  edit.Print(u"Документ");
  ASSERT_TRUE(fs::exists(pdf));
  const std::string info = Output("pdfinfo '" + pdf.string() + "'");
  const size_t pages = info.find("Pages:");
  ASSERT_NE(pages, std::string::npos) << info;
  EXPECT_GE(std::stoi(info.substr(pages + 6)), 2) << info;
  EXPECT_NE(info.find("Документ"), std::string::npos) << info;
  std::map<std::string, int> seen;
  for (const std::string& line : Lines(Output("pdftotext '" + pdf.string() + "' -"))) {
    std::string t = line;
    t.erase(0, t.find_first_not_of(" \f"));
    if (!t.empty()) ++seen[t];
  }
  for (int i = 1; i <= 120; ++i) {
    const std::string expected = "Строка номер " + std::to_string(i);
    EXPECT_EQ(seen[expected], 1) << expected;
  }
}

}  // namespace
