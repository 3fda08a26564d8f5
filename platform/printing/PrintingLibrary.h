// Start-up of the printing library: what it installs into the layers below it.
#pragma once

// Initialises the controls library and lets the rich edit print through the printer. Idempotent.
void InitializePrinting();
