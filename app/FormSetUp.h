// The creation set-up every accounting form does in its FormCreate: the program's window icon, single
// fixed border, no minimise and maximise boxes, and the position its number calls for.
#pragma once

class TCustomForm;

void AccountingFormSetUp(TCustomForm* form, int number);
