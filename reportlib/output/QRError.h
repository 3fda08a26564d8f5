// The report library's error: every refusal of the report printer, its page store and the saved-report
// loader raises EQRError with an English message.
#pragma once

#include "platform/rtl/Exception.h"

KIV_DECLARE_EXCEPTION(EQRError, Exception);
