// Loading a form of many components from its text form against the binary form it converts to, and
// sorting a string list against std::sort with the same collation.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "platform/classes/Streaming.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {
class TBenchControl : public TComponent {
  KIV_CLASS(TBenchControl, TComponent)
 public:
  explicit TBenchControl(TComponent* owner) : TComponent(owner) {}
  static void Published(TPropBuilder<TBenchControl>& p) {
    p.Str(u"Caption", &TBenchControl::caption, &TBenchControl::caption);
    p.Int(u"Width", &TBenchControl::width, &TBenchControl::width).Default(0);
  }
  String caption;
  int width = 0;
};

class TBenchForm : public TComponent {
  KIV_CLASS(TBenchForm, TComponent)
 public:
  explicit TBenchForm(TComponent* owner) : TComponent(owner) {}
  void GetChildren(const TGetChildProc& proc, TComponent*) override {
    for (int i = 0; i < GetComponentCount(); ++i) proc(GetComponent(i));
  }
};

const bool registered = [] {
  RegisterClasses({TBenchForm::StaticClass(), TBenchControl::StaticClass()});
  return true;
}();

std::string FormText(int controls) {
  std::string text = "object Form1: TBenchForm\n";
  for (int i = 0; i < controls; ++i)
    text += "  object Edit" + std::to_string(i) + ": TBenchControl\n    Caption = 'Поле " +
            std::to_string(i) + "'\n    Width = " + std::to_string(100 + i) + "\n  end\n";
  return text + "end\n";
}

void Fill(TMemoryStream& s, const std::string& bytes) {
  s.Clear();
  s.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void BM_ReadFormFromText(benchmark::State& state) {
  TMemoryStream text;
  Fill(text, FormText(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    text.SetPosition(0);
    TBenchForm form(nullptr);
    ReadComponentFromStream(&text, &form);
    benchmark::DoNotOptimize(form.GetComponentCount());
  }
}
BENCHMARK(BM_ReadFormFromText)->Arg(20)->Arg(500);

void BM_ReadFormFromBinary(benchmark::State& state) {
  TMemoryStream text, binary;
  Fill(text, FormText(static_cast<int>(state.range(0))));
  text.SetPosition(0);
  ObjectTextToBinary(&text, &binary);
  for (auto _ : state) {
    binary.SetPosition(0);
    TBenchForm form(nullptr);
    binary.ReadComponent(&form);
    benchmark::DoNotOptimize(form.GetComponentCount());
  }
}
BENCHMARK(BM_ReadFormFromBinary)->Arg(20)->Arg(500);

std::vector<String> Words(int n) {
  std::vector<String> words;
  unsigned seed = 12345;
  for (int i = 0; i < n; ++i) {
    String w;
    for (int k = 0; k < 8; ++k) {
      seed = seed * 1103515245 + 12345;
      w += static_cast<Char>(u'а' + (seed >> 16) % 32);
    }
    words.push_back(w);
  }
  return words;
}

void BM_StringListSort(benchmark::State& state) {
  auto words = Words(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TStringList list;
    for (const String& w : words) list.Add(w);
    list.Sort();
    benchmark::DoNotOptimize(list.GetCount());
  }
}
BENCHMARK(BM_StringListSort)->Arg(10000);

void BM_StdSortSameCollation(benchmark::State& state) {
  auto words = Words(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::vector<String> copy = words;
    std::sort(copy.begin(), copy.end(),
              [](const String& a, const String& b) { return AnsiCompareText(a, b) < 0; });
    benchmark::DoNotOptimize(copy.size());
  }
}
BENCHMARK(BM_StdSortSameCollation)->Arg(10000);
}  // namespace
