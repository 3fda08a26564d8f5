// Start-up of the data controls library: the classes form resources may name are registered here.
#pragma once

// Initialises the controls library and registers the data-aware controls and the data grid for form
// resources. Idempotent: the program and each test main may call it.
void InitializeDbCtrls();
