// The data grid options and the column-collection state, one definition for the class library's grid
// and the grid library's data grid, which mean the same by them.
#pragma once

#include "platform/classes/Set.h"

enum TDBGridOption {
  dgEditing,
  dgAlwaysShowEditor,
  dgTitles,
  dgIndicator,
  dgColumnResize,
  dgColLines,
  dgRowLines,
  dgTabs,
  dgRowSelect,
  dgAlwaysShowSelection,
  dgConfirmDelete,
  dgCancelOnExit,
  dgMultiSelect,
};
using TDBGridOptions = TSet<TDBGridOption>;

// csDefault: the grid makes one column per visible field; csCustomized: the columns are kept.
enum TDBGridColumnsState { csDefault, csCustomized };
