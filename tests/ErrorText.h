#pragma once

#include <functional>
#include <string>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Utf.h"

// Runs an action and answers the message of the exception it raised: what the user would be told.
inline std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return StringToUtf8(e.Message());
  }
  return "(no exception)";
}
