// Names of the field types (for messages and properties) and the field-name list splitter.
#include "platform/data/DBTypes.h"

#include <array>

#include "platform/classes/TypInfo.h"
#include "platform/rtl/Strings.h"

String FieldTypeName(TFieldType type) {
  static const std::array<const Char*, 52> names = {
      u"Unknown",    u"String",          u"SmallInt",      u"Integer",     u"Word",         u"Boolean",
      u"Float",      u"Currency",        u"BCD",           u"Date",        u"Time",         u"DateTime",
      u"Bytes",      u"VarBytes",        u"AutoInc",       u"Blob",        u"Memo",         u"Graphic",
      u"FmtMemo",    u"ParadoxOle",      u"DBaseOle",      u"TypedBinary", u"Cursor",       u"FixedChar",
      u"WideString", u"LargeInt",        u"ADT",           u"Array",       u"Reference",    u"DataSet",
      u"OraBlob",    u"OraClob",         u"Variant",       u"Interface",   u"IDispatch",    u"Guid",
      u"TimeStamp",  u"FMTBcd",          u"FixedWideChar", u"WideMemo",    u"OraTimeStamp", u"OraInterval",
      u"LongWord",   u"Shortint",        u"Byte",          u"Extended",    u"Connection",   u"Params",
      u"Stream",     u"TimeStampOffset", u"Object",        u"Single"};
  auto index = static_cast<size_t>(type);
  return index < names.size() ? String(names[index]) : String(u"Unknown");
}

const TTypeInfo* FieldTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Enum(
      u"TFieldType",
      {u"ftUnknown",      u"ftString",      u"ftSmallint", u"ftInteger",       u"ftWord",
       u"ftBoolean",      u"ftFloat",       u"ftCurrency", u"ftBCD",           u"ftDate",
       u"ftTime",         u"ftDateTime",    u"ftBytes",    u"ftVarBytes",      u"ftAutoInc",
       u"ftBlob",         u"ftMemo",        u"ftGraphic",  u"ftFmtMemo",       u"ftParadoxOle",
       u"ftDBaseOle",     u"ftTypedBinary", u"ftCursor",   u"ftFixedChar",     u"ftWideString",
       u"ftLargeint",     u"ftADT",         u"ftArray",    u"ftReference",     u"ftDataSet",
       u"ftOraBlob",      u"ftOraClob",     u"ftVariant",  u"ftInterface",     u"ftIDispatch",
       u"ftGuid",         u"ftTimeStamp",   u"ftFMTBcd",   u"ftFixedWideChar", u"ftWideMemo",
       u"ftOraTimeStamp", u"ftOraInterval", u"ftLongWord", u"ftShortint",      u"ftByte",
       u"ftExtended",     u"ftConnection",  u"ftParams",   u"ftStream",        u"ftTimeStampOffset",
       u"ftObject",       u"ftSingle"});
  return &info;
}

std::vector<String> SplitFieldNames(const String& names) {
  std::vector<String> result;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(u';', start);
    if (end == String::npos) end = names.size();
    String name = Trim(names.substr(start, end - start));
    if (!name.empty()) result.push_back(name);
    start = end + 1;
  }
  return result;
}
