// Names of the field types, for messages.
#include "platform/data/DBTypes.h"

#include <array>

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
