// Identifiers of the program's resources (shared by the resource scripts and the code).
#pragma once

#define IDI_QORDESKTOP 1

// FrmInput: the one-line input window. Its buttons are IDOK ("&OK") and IDCANCEL ("&Cancel").
#define IDD_INPUT 100
#define IDC_INPUT_PROMPT 1001
#define IDC_INPUT_TEXT 1002
