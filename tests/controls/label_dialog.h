// Identifiers of the link label's test dialog (label_dialog.rc).
#pragma once

#define IDD_LABEL_TEST 300
#define IDC_CENTRED 301
#define IDC_RIGHT 302
#define IDC_LEFT 303
#define IDC_PICTURE 304
#define IDC_EMPTY 305
#define IDC_NOTIFYING 306
#define IDC_OTHER 307
