// Start-up of the controls library: the one list of the classes form resources may name.
#include "platform/controls/ControlsLibrary.h"

#include "platform/controls/ActnList.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Grids.h"
#include "platform/controls/Mask.h"
#include "platform/controls/Menus.h"
#include "platform/controls/RichEdit.h"
#include "platform/controls/StdActns.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/StdEdits.h"

void InitializeControls() {
  static bool initialized = false;
  if (initialized) return;
  initialized = true;
  RegisterClasses({
      TForm::StaticClass(),
      TDataModule::StaticClass(),
      TLabel::StaticClass(),
      TButton::StaticClass(),
      TTimer::StaticClass(),
      TEdit::StaticClass(),
      TMemo::StaticClass(),
      TMaskEdit::StaticClass(),
      TRichEdit::StaticClass(),
      TCheckBox::StaticClass(),
      TRadioButton::StaticClass(),
      TGroupBox::StaticClass(),
      TComboBox::StaticClass(),
      TListBox::StaticClass(),
      TScrollBar::StaticClass(),
      TPanel::StaticClass(),
      TBevel::StaticClass(),
      TShape::StaticClass(),
      TImage::StaticClass(),
      TSplitter::StaticClass(),
      TRadioGroup::StaticClass(),
      TPaintBox::StaticClass(),
      TScrollBox::StaticClass(),
      TSpeedButton::StaticClass(),
      TBitBtn::StaticClass(),
      TDateTimePicker::StaticClass(),
      TProgressBar::StaticClass(),
      TPageControl::StaticClass(),
      TTabSheet::StaticClass(),
      TTabControl::StaticClass(),
      TToolBar::StaticClass(),
      TToolButton::StaticClass(),
      TStatusBar::StaticClass(),
      TUpDown::StaticClass(),
      TTrackBar::StaticClass(),
      TDrawGrid::StaticClass(),
      TStringGrid::StaticClass(),
      TMenuItem::StaticClass(),
      TMainMenu::StaticClass(),
      TPopupMenu::StaticClass(),
      TAction::StaticClass(),
      TActionList::StaticClass(),
      TEditCopy::StaticClass(),
      TEditCut::StaticClass(),
      TEditPaste::StaticClass(),
      TEditSelectAll::StaticClass(),
      TEditDelete::StaticClass(),
      TEditUndo::StaticClass(),
      TOpenDialog::StaticClass(),
      TSaveDialog::StaticClass(),
      TOpenPictureDialog::StaticClass(),
      TSavePictureDialog::StaticClass(),
      TFontDialog::StaticClass(),
      TColorDialog::StaticClass(),
  });
}
