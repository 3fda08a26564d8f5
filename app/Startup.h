// The program's start: the style file in the roaming application-data folder, the visual style, the
// creation of the forms and the message loop, with the last-resort exception box.
#pragma once

#include "platform/rtl/Types.h"

// Registers the grid library's classes that form resources name and makes the data grids' shared style
// and default handler: before any form is created.
void InitializeGridLibrary();

// "t_style.txt" in the roaming application-data folder ($XDG_CONFIG_HOME/kiv-erp).
String StyleFilePath();
// The style name the file keeps. A missing file is created with the line "Windows"; a file whose first
// line is empty (or that has none) gets "Windows" appended. Write errors raise.
String ReadStyleName();
// Rewrites the file with the one line name (windows-1251, CR LF).
void WriteStyleFile(const String& name);

// Initialises the application, applies the style of the file, runs createForms (the main window first)
// and the message loop. An exception that gets here is shown in the exception box and ends the run.
// Answers the process's exit code (0).
int RunProgram(int argc, char** argv, void (*createForms)());
