// The exception classes of the runtime: every error the layer and the libraries raise derives from Exception.
#pragma once

#include <exception>
#include <string>

#include "platform/rtl/Types.h"

class Exception : public std::exception {
 public:
  explicit Exception(String message = String());
  ~Exception() override;

  const String& Message() const { return message_; }
  void SetMessage(const String& message);
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  String message_;
  std::string utf8_;
};

// Declares an exception class that takes its parent's constructors.
#define KIV_DECLARE_EXCEPTION(Name, Parent) \
  class Name : public Parent {              \
   public:                                  \
    using Parent::Parent;                   \
  }

// Silent: the application's exception box does not show it.
KIV_DECLARE_EXCEPTION(EAbort, Exception);
KIV_DECLARE_EXCEPTION(EConvertError, Exception);
KIV_DECLARE_EXCEPTION(EVariantError, Exception);
KIV_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError);
KIV_DECLARE_EXCEPTION(EVariantOverflowError, EVariantError);
KIV_DECLARE_EXCEPTION(EVariantInvalidOpError, EVariantError);
KIV_DECLARE_EXCEPTION(EVariantBadIndexError, EVariantError);
KIV_DECLARE_EXCEPTION(EVariantInvalidArgError, EVariantError);
KIV_DECLARE_EXCEPTION(EListError, Exception);
KIV_DECLARE_EXCEPTION(EStringListError, Exception);
KIV_DECLARE_EXCEPTION(EStreamError, Exception);
KIV_DECLARE_EXCEPTION(EFilerError, EStreamError);
KIV_DECLARE_EXCEPTION(EReadError, EFilerError);
KIV_DECLARE_EXCEPTION(EWriteError, EFilerError);
KIV_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
KIV_DECLARE_EXCEPTION(EInOutError, Exception);
KIV_DECLARE_EXCEPTION(EFCreateError, EStreamError);
KIV_DECLARE_EXCEPTION(EFOpenError, EStreamError);
KIV_DECLARE_EXCEPTION(EInvalidOperation, Exception);
KIV_DECLARE_EXCEPTION(EInvalidPointer, Exception);
KIV_DECLARE_EXCEPTION(EInvalidCast, Exception);
KIV_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
KIV_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
KIV_DECLARE_EXCEPTION(EOutOfResources, Exception);
KIV_DECLARE_EXCEPTION(EOutOfMemory, Exception);
KIV_DECLARE_EXCEPTION(EAbstractError, Exception);
KIV_DECLARE_EXCEPTION(EComponentError, Exception);
KIV_DECLARE_EXCEPTION(EDatabaseError, Exception);
// The masked edit's "Invalid input value".
KIV_DECLARE_EXCEPTION(EDBEditError, Exception);
KIV_DECLARE_EXCEPTION(EMathError, Exception);
KIV_DECLARE_EXCEPTION(EInvalidOp, EMathError);
KIV_DECLARE_EXCEPTION(EZeroDivide, EMathError);
KIV_DECLARE_EXCEPTION(EOverflow, EMathError);
KIV_DECLARE_EXCEPTION(EUnderflow, EMathError);
KIV_DECLARE_EXCEPTION(EIntError, Exception);
KIV_DECLARE_EXCEPTION(EDivByZero, EIntError);
KIV_DECLARE_EXCEPTION(ERangeError, EIntError);
KIV_DECLARE_EXCEPTION(EIntOverflow, EIntError);
KIV_DECLARE_EXCEPTION(EBcdException, Exception);
KIV_DECLARE_EXCEPTION(EBcdOverflowException, EBcdException);
KIV_DECLARE_EXCEPTION(EArgumentException, Exception);
KIV_DECLARE_EXCEPTION(EArgumentOutOfRangeException, EArgumentException);
KIV_DECLARE_EXCEPTION(ENotSupportedException, Exception);
KIV_DECLARE_EXCEPTION(EEncodingError, Exception);
KIV_DECLARE_EXCEPTION(EPrinter, Exception);
KIV_DECLARE_EXCEPTION(EThread, Exception);
KIV_DECLARE_EXCEPTION(EPropertyError, Exception);
KIV_DECLARE_EXCEPTION(EPropertyConvertError, Exception);
KIV_DECLARE_EXCEPTION(EParserError, EConvertError);
KIV_DECLARE_EXCEPTION(EResNotFound, Exception);
KIV_DECLARE_EXCEPTION(EIniFileException, Exception);
KIV_DECLARE_EXCEPTION(ERegistryException, Exception);
KIV_DECLARE_EXCEPTION(EVariantNotAnArrayError, EVariantError);
KIV_DECLARE_EXCEPTION(EVariantArrayCreateError, EVariantError);
KIV_DECLARE_EXCEPTION(EVariantBadVarTypeError, EVariantError);
KIV_DECLARE_EXCEPTION(EIntfCastError, Exception);
KIV_DECLARE_EXCEPTION(EDateTimeError, Exception);

// Raises EAbort: ends the current operation without a message.
[[noreturn]] void Abort();
