// The creation of every accounting form at start-up, in the program's fixed order.
#pragma once

void CreateAccountingForms();
