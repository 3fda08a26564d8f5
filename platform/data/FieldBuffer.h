// Conversions between a Variant and a field's value buffer, for values the dataset keeps itself
// (calculated and lookup fields) and for fields reading the value being validated.
#pragma once

#include "platform/data/DBTypes.h"
#include "platform/rtl/Variant.h"

// True for the types whose native buffer differs from the one fields use (dates and times).
bool NeedsDataConvert(TFieldType type);
// Writes value into buffer in the field's buffer format (native or with TDateTime for dates).
void VariantToFieldBuffer(const TField* field, const Variant& value, void* buffer, bool nativeFormat);
Variant FieldBufferToVariant(const TField* field, const void* buffer, bool nativeFormat);
// Copies a field buffer (a Variant buffer by assignment, anything else by bytes).
void CopyFieldBuffer(const TField* field, const void* source, void* dest);

// How many lookup fields are searching their lookup datasets on this thread.
int& LookupNesting();
