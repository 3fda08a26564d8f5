// The exception base: keeps the message as UTF-16 and a UTF-8 copy for what().
#include "platform/rtl/Exception.h"

#include "platform/rtl/Utf.h"

Exception::Exception(String message) : message_(std::move(message)), utf8_(StringToUtf8(message_)) {}

Exception::~Exception() = default;

void Exception::SetMessage(const String& message) {
  message_ = message;
  utf8_ = StringToUtf8(message_);
}

void Abort() { throw EAbort(u"Operation aborted"); }
