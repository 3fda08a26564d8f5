// Start-up of the controls library: the classes form resources may name are registered here, by one
// call the program makes before it loads a form.
#pragma once

// Registers every control, dialog, menu and action class of the library for form resources. Idempotent:
// the program and each test main may call it.
void InitializeControls();
