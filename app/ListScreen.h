// What the accounting's list and edit screens share: binding a form's components, the filter box, the
// sort toggle of a title click, the record number kept over a reopen, the message boxes, and
// statements that take the user's values as bound parameters.
#pragma once

#include <functional>
#include <initializer_list>
#include <utility>

#include "platform/ado/ADODB.h"
#include "platform/classes/Component.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Types.h"

class TCustomForm;
class TDBGridEh;
class TDataSource;
class TDBGrid;
class TDBLookupComboBox;
class TEdit;
class TWinControl;

// The component of the form's resource called name; raises EComponentError when there is none.
template <class T>
void BindComponent(TComponent* owner, const Char* name, T*& member) {
  member = dynamic_cast<T*>(owner->FindComponent(name));
  if (!member) throw EComponentError(String(u"Component '") + name + u"' not found");
}

// Enables or disables the form's control called name; nothing happens where there is none yet.
void SetEnabledByName(TComponent* form, const Char* name, bool enabled);

// A list screen's creation: its grid "DBGrid1", its data source "DataSource1" showing list and its
// filter box "Edit1", then the accounting set-up of form number; the screen binds its own buttons.
void SetUpListScreen(TCustomForm* form, int number, TDataSet* list, TDBGrid*& grid, TDataSource*& source,
                     TEdit*& filterBox);

// A data grid of a screen: rows change only through the screen's own operations, so the grid itself
// never edits, deletes (Ctrl+Del) or pastes, whatever its resource allows.
void SetUpDataGrid(TDBGridEh* grid);

// "field like 'text%'" (with anywhere, "field like '%text%'"); the typed text goes in as one quoted
// literal, so a quote in it is a character to look for.
String LikeFilter(const String& field, const String& typed, bool anywhere = false);
// The filter box: empty text shows every row again; any other text sets filter, which compares text
// without regard to case.
void ApplyListFilter(TDataSet* data, const String& typed, const String& filter);
// Up and Down in the filter box move data to the previous or next row. With swallowAll the box itself
// then acts on no key of its own (arrows, Home, End, page keys, Insert, Delete), while typed
// characters, Backspace and the clipboard keys still reach it.
void FilterBoxKeyDown(TDataSet* data, Word& key, bool swallowAll = true);

// A column's pair of recordset sort texts.
struct TSortTexts {
  const Char* Field;
  const Char* Ascending;
  const Char* Descending;
};
// A title click: a current Sort holding "DESC" becomes the column's ascending text, any other its
// descending text. A column without a pair changes nothing.
void ToggleSort(TCustomADODataSet* data, const String& field, std::initializer_list<TSortTexts> texts);

void Reopen(TDataSet* data);
// Puts data back on record recNo, or on its last record when the list has become shorter.
void RestoreRecNo(TDataSet* data, Integer recNo);

// "Удалить" of a list: an empty list does nothing; question asks under "Удаление", Yes runs sql (its :id
// the current row's id) through command and reopens the list; either way the list returns to its
// record number.
void DeleteListRow(TDataSet* list, const String& question, TADOCommand* command, const String& sql);
// The delete confirmation (question box "Удаление"); true for Yes.
bool AskDelete(const String& text);
// Error box under "Ошибка".
void ErrorBox(const String& text);
// "Все поля должны быть заполнены!" when any of the values (already trimmed) is empty.
bool RequiredMissing(std::initializer_list<String> values);

String TrimmedField(TDataSet* data, const Char* name);
// The field as an integer; null reads as 0.
Integer IntField(TDataSet* data, const Char* name);
// The current row's field as a number; 0 when it is null or the dataset is closed or empty.
double CurrentFloat(TDataSet* data, const Char* name);
Integer CurrentInt(TDataSet* data, const Char* name);
// The lookup's chosen key as an integer; 0 when none is chosen.
Integer LookupKey(TDBLookupComboBox* box);
// The key of a row as the lookup takes it: an integer.
void SetLookupKey(TDBLookupComboBox* box, Integer key);
void FocusIfVisible(TWinControl* control);
// The mouse wheel on an edit screen steps the lookup box that has the focus by one row.
void StepFocusedLookup(std::initializer_list<TDBLookupComboBox*> boxes, Word key);

// A number typed by the user as an exact decimal value: empty text is 0, "," or "." the decimal
// point. Raises EConvertError for anything else.
Variant DecimalValue(const String& typed);
// As DecimalValue, answering false for text that is no number instead of raising.
bool TryDecimalValue(const String& typed, Variant& value);
// A computed amount as an exact decimal value with six places, as the documents store amounts.
Variant DecimalOf(double value);

using TBoundValues = std::initializer_list<std::pair<const Char*, Variant>>;
// Runs sql through command, each ":name" of the text bound to its value.
void RunStatement(TADOCommand* command, const String& sql, TBoundValues values);
// Runs work in one transaction of connection: committed when work returns, rolled back when it raises,
// so a business operation of several statements is applied whole or not at all.
template <class F>
void InTransaction(TADOConnection* connection, F&& work) {
  connection->BeginTrans();
  bool committed = false;
  auto rollback = MakeScopeExit([&] {
    if (committed) return;
    // On a lost connection the server has dropped the transaction already; the rollback's own
    // failure must not replace the error that stopped work.
    try {
      connection->RollbackTrans();
    } catch (const Exception&) {
    }
  });
  work();
  connection->CommitTrans();
  committed = true;
}
// Runs an INSERT ... RETURNING id on connection and answers the new row's id.
Integer InsertReturningId(TADOConnection* connection, const String& sql, TBoundValues values);
// The first column of the first row that sql gives on connection; Null when it gives no row.
Variant QueryValue(TADOConnection* connection, const String& sql, TBoundValues values);
// Closes query, binds each ":name" of its text to its value and opens it again.
void OpenWith(TADOQuery* query, TBoundValues values);

// What a picker list hands the screen that opened it: the chosen row's id and its caption, trimmed.
// The opening screens live in libraries above this one, so each registers its handler under its form
// number (the Tag it opens the list with) when it is created.
using TPickHandler = std::function<void(Integer id, const String& caption)>;

// An inventory item a picker hands the screen that opened it: the item with its unit of measure, its
// painted flag and the blank of its technological process, so that the opener needs no second read.
struct TPickedItem {
  Integer Id = 0;
  String Caption;  // marka, trimmed
  Integer UnitId = 0;
  String UnitCaption;  // s_identification, trimmed
  bool Painted = false;
  Integer BlankId = 0;  // id_gds, 0 without a process
};
using TItemPickHandler = std::function<void(const TPickedItem& item)>;
// The inventory item the current row of items (a list with the shared item columns) shows.
TPickedItem PickedItemOf(TDataSet* items);
