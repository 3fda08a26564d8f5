// The dataset framework's shared vocabulary: field types and kinds, dataset states, data events,
// record-buffer and bookmark types, and the event signatures datasets, fields and links use.
#pragma once

#include "platform/classes/Delegate.h"
#include "platform/classes/Object.h"
#include "platform/classes/Set.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Types.h"

class TObject;
class TTypeInfo;
class TDataSet;
class TField;
class TFields;
class TFieldDef;
class TFieldDefs;
class TIndexDef;
class TIndexDefs;
class TDataSource;
class TDataLink;
class TParam;
class TParams;

// In the class library's order: code that stores or compares the numbers depends on it.
enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
  ftCursor,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftADT,
  ftArray,
  ftReference,
  ftDataSet,
  ftOraBlob,
  ftOraClob,
  ftVariant,
  ftInterface,
  ftIDispatch,
  ftGuid,
  ftTimeStamp,
  ftFMTBcd,
  ftFixedWideChar,
  ftWideMemo,
  ftOraTimeStamp,
  ftOraInterval,
  ftLongWord,
  ftShortint,
  ftByte,
  ftExtended,
  ftConnection,
  ftParams,
  ftStream,
  ftTimeStampOffset,
  ftObject,
  ftSingle,
};
using TFieldTypes = TSet<TFieldType>;
using TBlobType = TFieldType;  // ftBlob .. ftWideMemo

// The names of the field types as the class library prints them ("ftString" -> "String").
String FieldTypeName(TFieldType type);

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
using TFieldKinds = TSet<TFieldKind>;

enum TDataSetState {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,
  dsFilter,
  dsNewValue,
  dsOldValue,
  dsCurValue,
  dsBlockRead,
  dsInternalCalc,
  dsOpening,
};

enum TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode,
  dePropertyChange,
  deFieldListChange,
  deFocusControl,
  deParentScroll,
  deConnectChange,
  deReconcileError,
  deDisabledStateChange,
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

enum TResyncModeFlag { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeFlag>;

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

enum TDataAction { daFail, daAbort, daRetry };

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

enum TProviderFlag { pfInUpdate, pfInWhere, pfInKey, pfHidden, pfRefreshOnInsert, pfRefreshOnUpdate };
using TProviderFlags = TSet<TProviderFlag>;

enum TAutoRefreshFlag { arNone, arAutoInc, arDefault };

// An opaque record buffer: only the dataset class that allocated it knows its layout.
using TRecordBuffer = Byte*;
using TRecBuf = TRecordBuffer;
// A bookmark is the dataset's own bytes for a record; empty means none.
using TBookmark = TBytes;
using TBookmarkStr = TBytes;

using TDataSetNotifyEvent = TDelegate<void(TDataSet* DataSet)>;
// E is the error being raised; the handler answers with Action (fail, abort silently, retry).
using TDataSetErrorEvent = TDelegate<void(TDataSet* DataSet, EDatabaseError* E, TDataAction& Action)>;
using TFilterRecordEvent = TDelegate<void(TDataSet* DataSet, bool& Accept)>;
using TFieldNotifyEvent = TDelegate<void(TField* Sender)>;
using TFieldGetTextEvent = TDelegate<void(TField* Sender, String& Text, bool DisplayText)>;
using TFieldSetTextEvent = TDelegate<void(TField* Sender, const String& Text)>;
using TDataChangeEvent = TDelegate<void(TObject* Sender, TField* Field)>;

// TFieldType's type information (names in declaration order) for properties and messages.
const TTypeInfo* FieldTypeInfo();
// A ';'-separated list of field names, trimmed, with empty names left out.
std::vector<String> SplitFieldNames(const String& names);
