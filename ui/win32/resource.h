// SPDX-License-Identifier: MIT
#pragma once
// The identifiers of the programs' resources (LPT_Tool.rc, lpt-dump.rc).
#define IDD_FORM1 100
#define IDC_BUTTON1 1001
#define IDC_STATUSBAR1 1002
#define IDC_PROGRESSBAR1 1003
#define IDI_LPT_TOOL 200
