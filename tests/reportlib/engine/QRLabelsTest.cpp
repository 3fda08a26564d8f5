// Text layout and printing: wrapping keeps every character and ends for any width, line ends make
// paragraphs, and a stretching memo continues on the next pages with nothing lost or repeated.
#include "platform/rtl/RtlMath.h"
#include "tests/reportlib/engine/ReportTestSupport.h"

namespace {

String Joined(TStrings* lines) {
  String all;
  for (int i = 0; i < lines->GetCount(); ++i) all += lines->Strings(i);
  return all;
}

String WithoutLineEnds(const String& text) {
  String out;
  for (Char c : text)
    if (c != u'\r' && c != u'\n') out += c;
  return out;
}

String Trimmed(String s) {
  while (!s.empty() && s.back() == u' ') s.pop_back();
  return s;
}

}  // namespace

TEST_F(ReportTest, MemoWrapKeepsEveryCharacterAndEndsForAnyWidth) {
  TQRBand* band = Band(rbDetail, 10);
  const String texts[] = {
      u"Короткий текст",
      u"Длинный текст из многих слов, которые должны переноситься на следующие строки без потерь",
      u"Сверхдлинноесловокотороененаходитместаниводнойстроке и потом ещё слова",
      u"пере-нос по-де-фи-сам и пробелам",
      u"первая строка\r\nвторая строка\r\n\r\nчетвёртая",
      u"lone\nfeeds\nare\nignored",
      u"   ведущие и хвостовые пробелы   ",
      u"Ш",
  };
  const Extended widths[] = {0, 0.3, 2, 10, 35, 120};
  for (const String& text : texts) {
    for (Extended width : widths) {
      auto* memo = Control<TQRMemo>(band, 0, 0, width);
      memo->GetLines()->SetText(text);
      memo->BuildFormattedLines();
      TStrings* lines = memo->GetFormattedLines();
      const std::string where = U8(text) + " at " + std::to_string(width) + " mm";
      EXPECT_EQ(U8(Joined(lines)), U8(WithoutLineEnds(text))) << where;
      const Integer pixels = static_cast<Integer>(Round(width * 10 * 96 / 254));
      for (int i = 0; i < lines->GetCount(); ++i) {
        const String line = Trimmed(lines->Strings(i));
        if (line.size() > 1) {
          EXPECT_LE(report_->TextWidth(memo->GetFont(), line), pixels) << where << ", line " << U8(line);
        }
      }
      delete memo;
    }
  }
}

TEST_F(ReportTest, LineEndsMakeParagraphsByWrapStyle) {
  TQRBand* band = Band(rbDetail, 10);
  struct Case {
    TWrapStyle style;
    bool autoSize;
    int lines;
  } cases[] = {{BreakOnSpaces, false, 4}, {BreakAnywhere, false, 3}, {BreakOnSpaces, true, 4}};
  for (const Case& c : cases) {
    auto* label = Control<TQRLabel>(band, 0, 0, 100);
    label->SetAutoSize(c.autoSize);
    label->SetWrapStyle(c.style);
    label->SetCaption(u"один\r\nдва\r\n\r\nчетыре");
    EXPECT_EQ(label->GetFormattedLines()->GetCount(), c.lines) << c.style << " " << c.autoSize;
    delete label;
  }
}

TEST_F(ReportTest, StretchingMemoContinuesOnNextPagesWithEveryLineOnce) {
  Field(u"id", ftInteger);
  data_->AddRow({1});
  data_->Open();
  report_->SetDataSet(data_);
  TQRBand* detail = Band(rbDetail, 5);
  auto* memo = Control<TQRMemo>(detail, 0, 0, 150);
  memo->SetAutoStretch(true);
  String text;
  for (int i = 1; i <= 180; ++i) text += u"Строка " + IntToStr(i) + u"\r\n";
  memo->GetLines()->SetText(text);
  Label(Band(rbSummary, 5), u"Конец");
  report_->Prepare();
  const auto pages = Pages();
  ASSERT_GE(pages.size(), 3u);
  std::vector<std::string> expected;
  for (int i = 1; i <= 180; ++i) expected.push_back("Строка " + std::to_string(i));
  expected.push_back("Конец");
  std::vector<std::string> printed;
  for (const auto& page : pages)
    for (const TPageText& t : page) printed.push_back(t.Text);
  EXPECT_EQ(printed, expected);
}

TEST_F(ReportTest, NonStretchingLabelPrintsWhatFitsAndFinishes) {
  Field(u"id", ftInteger);
  data_->AddRow({1});
  data_->Open();
  report_->SetDataSet(data_);
  TQRBand* detail = Band(rbDetail, 10);
  auto* memo = Control<TQRMemo>(detail, 0, 0, 150);
  memo->GetSize()->SetHeight(9);
  memo->GetLines()->SetText(u"a\r\nb\r\nc\r\nd\r\ne\r\nf");
  report_->Prepare();
  const auto pages = Pages();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(Flat(pages), (std::vector<std::string>{"a", "b"}));
}
