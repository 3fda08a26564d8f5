// Text helpers of the ADO components: connection strings (both forms the login builds) and SQL texts
// whose ":name" parameter markers become positional "?" markers.
#pragma once

#include <utility>
#include <vector>

#include "platform/rtl/Types.h"

// ---- Connection strings ----

// "key=value" pairs in order. Values in braces keep everything up to the matching "}" (a doubled "}}"
// is one brace), and values in double quotes up to the closing quote (a doubled quote is one quote),
// so a ';' inside them does not split. Keys are trimmed; values of plain pairs too.
using TConnectionPairs = std::vector<std::pair<String, String>>;
TConnectionPairs ParseConnectionString(const String& text);
// The value of the first key equal to name (case-insensitive), or "".
String ConnectionValue(const TConnectionPairs& pairs, const String& name);
// A value quoted in braces when it holds characters that would change the string's meaning (';', '=',
// braces, blanks at its ends, a quote character at its start), so that it arrives as it was given.
String QuoteConnectionValue(const String& value);
// The string the ODBC driver manager takes: an ODBC string ("DRIVER=...", "DSN=...") as it is; the
// provider form ("Provider=MSDASQL...;User ID=..;Password=..;Data Source=..") as "DSN=..;UID=..;PWD=..",
// with its other ODBC keys passed on ("Extended Properties" is unpacked).
String OdbcConnectionString(const String& connectionString);

// ---- Parameters ----

struct TParsedSql {
  String Text;                // with '?' in place of each parameter
  std::vector<String> Names;  // one per '?', in order; a name may repeat
};

// Finds ":name" markers outside quoted text ('...', "..."), dollar-quoted bodies ($$...$$, $tag$...$tag$)
// and comments (-- to the end of the line, /* ... */), and not in "::" casts or after an identifier
// character (as in "a:b" or array slices "[1:2]"). A name is letters, digits and '_'; ":"
// followed by a quoted name (":\"my name\"") takes the name inside the quotes.
TParsedSql ParseSqlParameters(const String& sql);
