// Start-up of the data controls library: the list of its classes form resources may name.
#include "platform/dbctrls/DbCtrlsLibrary.h"

#include "platform/controls/ControlsLibrary.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"

void InitializeDbCtrls() {
  InitializeControls();
  RegisterClasses({TDBText::StaticClass(), TDBEdit::StaticClass(), TDBLookupComboBox::StaticClass(),
                   TDBGrid::StaticClass(), TColumn::StaticClass()});
}
