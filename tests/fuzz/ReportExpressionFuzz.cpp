// Fuzz target for report expressions: any text prepares without raising and evaluates, aggregates and
// resets without a crash; a rejected text is an error value, which the conversions raise as the
// class library's Exception "Error in expression : ..." and nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/classes/Lists.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Utf.h"
#include "platform/rtl/Variant.h"
#include "reportlib/engine/QREvEnvironment.h"
#include "reportlib/engine/QREvaluator.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

// Fields and names the texts may reach: a dataset of each field kind and a report environment.
struct TFixture {
  TFixture() : data(nullptr) {
    data.SetName(u"Lines");
    data.GetFieldDefs()->Add(u"A", ftInteger);
    data.GetFieldDefs()->Add(u"S", ftWideString, 20);
    data.GetFieldDefs()->Add(u"F", ftFloat);
    data.GetFieldDefs()->Add(u"D", ftDate);
    data.GetFieldDefs()->Add(u"B", ftBoolean);
    data.AddRow({Variant(3), Variant(u"text"), Variant(2.5), Variant::FromDate(45000), Variant(true)});
    data.AddRow({Variant(-7), Variant::Null(), Variant(-0.5), Variant::Null(), Variant(false)});
    data.Open();
    dataSets.Add(&data);
    env.AddFunction(u"PAGENUMBER", u"0");
    env.AddFunction(u"TWICE", u"[A] * 2");
    env.AddFunction(u"LOOP", u"LOOP + 1");
    env.SetDataSets(&dataSets);
    env.Prepare();
  }
  TTestDataSet data;
  TList dataSets;
  TQREvEnvironment env;
};

TFixture& Fixture() {
  static TFixture* fixture = new TFixture();
  return *fixture;
}

// The first byte chooses how the rest reads: UTF-8 text, or raw UTF-16 code units (unpaired
// surrogates included).
String TextOf(const uint8_t* data, size_t size) {
  if (size == 0) return String();
  const bool raw = (data[0] & 1) != 0;
  ++data;
  --size;
  if (!raw) return Utf8ToString(std::string_view(reinterpret_cast<const char*>(data), size));
  String text(size / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<Char>(data[2 * i] | (data[2 * i + 1] << 8));
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // READREGISTRY may create keys: keep them out of the user's configuration.
  ::setenv("XDG_CONFIG_HOME", "/tmp/kiv-fuzz-report-expression", 1);
  Fixture();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFixture& fixture = Fixture();
  const String text = TextOf(data, size);
  fixture.data.First();
  TQREvaluator e;
  e.SetDataSets(&fixture.dataSets);
  e.SetEnvironment(&fixture.env);
  e.Prepare(text);
  TQREvResult result;
  e.Value(result);
  e.DoAggregate();
  fixture.data.Next();
  e.DoAggregate();
  e.Value(result);
  e.Reset();
  e.Value(result);
  try {
    e.AsString();
    if (result.Kind == resError) std::abort();
  } catch (const Exception& ex) {
    if (result.Kind != resError || ex.Message().rfind(u"Error in expression : ", 0) != 0) std::abort();
  }
  e.UnPrepare();
  return 0;
}
