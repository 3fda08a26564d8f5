// Connection-string parsing and the ":name" to "?" rewriting of SQL texts.
#include "platform/ado/AdoSql.h"

#include "platform/rtl/Strings.h"

namespace {

bool IsNameChar(Char c) {
  return c == u'_' || (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
         (c >= 0x0400 && c <= 0x04FF) || c == u'$';
}

}  // namespace

// ---- Connection strings ----

TConnectionPairs ParseConnectionString(const String& text) {
  TConnectionPairs pairs;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const size_t eq = text.find(u'=', i);
    const size_t semi = text.find(u';', i);
    if (eq == String::npos || (semi != String::npos && semi < eq)) {
      // A fragment without '=' carries nothing; skip it.
      if (semi == String::npos) break;
      i = semi + 1;
      continue;
    }
    String key = Trim(text.substr(i, eq - i));
    i = eq + 1;
    while (i < n && text[i] == u' ') ++i;
    String value;
    if (i < n && (text[i] == u'{' || text[i] == u'"' || text[i] == u'\'')) {
      const Char open = text[i];
      const Char close = open == u'{' ? u'}' : open;
      ++i;
      while (i < n) {
        if (text[i] == close) {
          if (i + 1 < n && text[i + 1] == close) {
            value += close;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += text[i++];
      }
      // The rest up to ';' belongs to the value only when the quoting was not the whole of it.
      const size_t end = text.find(u';', i);
      const String tail = Trim(text.substr(i, end == String::npos ? String::npos : end - i));
      if (!tail.empty()) value = String(1, open) + value + String(1, close) + tail;
      i = end == String::npos ? n : end + 1;
    } else {
      const size_t end = text.find(u';', i);
      value = Trim(text.substr(i, end == String::npos ? String::npos : end - i));
      i = end == String::npos ? n : end + 1;
    }
    if (!key.empty()) pairs.emplace_back(std::move(key), std::move(value));
  }
  return pairs;
}

String ConnectionValue(const TConnectionPairs& pairs, const String& name) {
  for (const auto& [key, value] : pairs)
    if (SameText(key, name)) return value;
  return String();
}

String QuoteConnectionValue(const String& value) {
  // A leading quote character would be read as quoting (and stripped, or take the rest of the string
  // when unbalanced), so such a value goes in braces too.
  bool needs = !value.empty() && (value.front() == u' ' || value.back() == u' ' || value.front() == u'{' ||
                                  value.front() == u'"' || value.front() == u'\'');
  for (Char c : value)
    if (c == u';' || c == u'=' || c == u'}' || c == u'{') needs = true;
  if (!needs) return value;
  String out = u"{";
  for (Char c : value) {
    out += c;
    if (c == u'}') out += u'}';
  }
  out += u'}';
  return out;
}

String OdbcConnectionString(const String& connectionString) {
  const TConnectionPairs pairs = ParseConnectionString(connectionString);
  const String provider = ConnectionValue(pairs, u"Provider");
  if (provider.empty()) return connectionString;
  String out;
  auto add = [&](const String& key, const String& value) {
    if (value.empty()) return;
    out += key + u"=" + QuoteConnectionValue(value) + u";";
  };
  add(u"DSN", ConnectionValue(pairs, u"Data Source"));
  add(u"DATABASE", ConnectionValue(pairs, u"Initial Catalog"));
  add(u"UID", ConnectionValue(pairs, u"User ID"));
  add(u"PWD", ConnectionValue(pairs, u"Password"));
  // The provider's own keys stay behind; everything else is an ODBC key the provider would pass on.
  static const Char* const kProviderKeys[] = {u"Provider",
                                              u"Data Source",
                                              u"Initial Catalog",
                                              u"User ID",
                                              u"Password",
                                              u"Persist Security Info",
                                              u"Extended Properties",
                                              u"Mode",
                                              u"Location",
                                              u"Prompt"};
  for (const auto& [key, value] : pairs) {
    bool own = false;
    for (const Char* k : kProviderKeys) own = own || SameText(key, k);
    if (!own) add(key, value);
  }
  const String extended = ConnectionValue(pairs, u"Extended Properties");
  if (!extended.empty()) out += extended + (extended.back() == u';' ? u"" : u";");
  return out;
}

// ---- Parameters ----

TParsedSql ParseSqlParameters(const String& sql) {
  TParsedSql out;
  out.Text.reserve(sql.size());
  const size_t n = sql.size();
  size_t i = 0;
  auto copyUntil = [&](size_t end) {
    out.Text.append(sql, i, end - i);
    i = end;
  };
  while (i < n) {
    const Char c = sql[i];
    if (c == u'\'' || c == u'"') {
      // Quoted text or identifier; a doubled quote stays inside.
      size_t j = i + 1;
      while (j < n) {
        if (sql[j] == c) {
          if (j + 1 < n && sql[j + 1] == c) {
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        ++j;
      }
      copyUntil(j);
    } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
      const size_t eol = sql.find(u'\n', i);
      copyUntil(eol == String::npos ? n : eol);
    } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
      const size_t end = sql.find(u"*/", i + 2);
      copyUntil(end == String::npos ? n : end + 2);
    } else if (c == u'$' && (i == 0 || !IsNameChar(sql[i - 1]))) {
      // Dollar quoting: $$...$$ or $tag$...$tag$; a "$1" positional marker is not one.
      size_t j = i + 1;
      while (j < n && IsNameChar(sql[j]) && sql[j] != u'$') ++j;
      if (j < n && sql[j] == u'$' && !(j > i + 1 && sql[i + 1] >= u'0' && sql[i + 1] <= u'9')) {
        const String tag = sql.substr(i, j - i + 1);
        const size_t end = sql.find(tag, j + 1);
        copyUntil(end == String::npos ? n : end + tag.size());
      } else {
        copyUntil(i + 1);
      }
    } else if (c == u':') {
      if (i + 1 < n && sql[i + 1] == u':') {
        copyUntil(i + 2);  // a cast
      } else if (i > 0 && (IsNameChar(sql[i - 1]) || sql[i - 1] == u':')) {
        copyUntil(i + 1);
      } else if (i + 1 < n && sql[i + 1] == u'"') {
        const size_t end = sql.find(u'"', i + 2);
        if (end == String::npos) {
          copyUntil(n);
        } else {
          out.Names.push_back(sql.substr(i + 2, end - i - 2));
          out.Text += u'?';
          i = end + 1;
        }
      } else if (i + 1 < n && IsNameChar(sql[i + 1]) && sql[i + 1] != u'$') {
        size_t j = i + 1;
        while (j < n && IsNameChar(sql[j]) && sql[j] != u'$') ++j;
        out.Names.push_back(sql.substr(i + 1, j - i - 1));
        out.Text += u'?';
        i = j;
      } else {
        copyUntil(i + 1);
      }
    } else {
      size_t j = i + 1;
      while (j < n && sql[j] != u'\'' && sql[j] != u'"' && sql[j] != u'-' && sql[j] != u'/' &&
             sql[j] != u'$' && sql[j] != u':')
        ++j;
      copyUntil(j);
    }
  }
  return out;
}
