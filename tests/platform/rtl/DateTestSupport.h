#pragma once

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/rtl/DateUtils.h"

// Date helpers shared by the date tests.

inline TDateTime Dt(Word y, Word m, Word d, Word h = 0, Word n = 0, Word s = 0, Word ms = 0) {
  return EncodeDateTime(y, m, d, h, n, s, ms);
}

// A moment as text to the millisecond, decoded by our own calendar.
inline std::string Text(TDateTime v) {
  Word y, m, d, h, n, s, ms;
  DecodeDateTime(v, y, m, d, h, n, s, ms);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u.%03u", y, m, d, h, n, s, ms);
  return buf;
}

// Sets the process's time zone for one test and puts the old one back.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* tz) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};
