// Start-up of the report output library: report expressions see the application through it.
#pragma once

// Gives report expressions the application's title and its open forms and data modules (the
// engine's host). Idempotent.
void InitializeReportOutput();
