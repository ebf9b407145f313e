// Identifiers of the program's resources (shared by the resource scripts and the code).
#pragma once

#define IDI_QORDESKTOP 1

// FrmInput: the one-line input window. Its buttons are IDOK ("&OK") and IDCANCEL ("&Cancel").
#define IDD_INPUT 100
#define IDC_INPUT_PROMPT 1001
#define IDC_INPUT_TEXT 1002

// FrmProperty: the property dialog. Its buttons are IDOK ("&OK") and IDCANCEL ("Cancel").
#define IDD_PROPERTY 120
#define IDC_PROP_ICON 1400
#define IDC_PROP_CHANGE_ICON 1401
#define IDC_PROP_RESET_ICON 1402
#define IDC_PROP_TITLE_LABEL 1403
#define IDC_PROP_TITLE 1404
#define IDC_PROP_LINE 1405
#define IDC_PROP_LINK_LABEL 1406
#define IDC_PROP_LINK 1407
#define IDC_PROP_BROWSE 1408
#define IDC_PROP_TARGET_LABEL 1409
#define IDC_PROP_TARGET 1410
#define IDC_PROP_ARGS_LABEL 1411
#define IDC_PROP_ARGS 1412
#define IDC_PROP_RUN_LABEL 1413
#define IDC_PROP_RUN 1414
#define IDC_PROP_TYPE_LABEL 1415
#define IDC_PROP_TYPE_SHORTCUT 1416
#define IDC_PROP_TYPE_GROUP 1417
#define IDC_PROP_TYPE_SYSTEM 1418
