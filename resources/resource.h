#pragma once

// Icons
#define IDR_MAINFRAME 128

// Bitmaps
#define IDB_CAPTION_WIDE 231    // 300 x 31
#define IDB_CAPTION_NARROW 232  // 171 x 30

// The notice and the popup.
#define IDB_LOGO 129           // 132 x 30
#define IDB_CAPTION_CLOSE 145  // 48 x 48, the title bar's close button
#define IDD_ERROR_NOTICE 168
#define IDD_POPUP 169

// Controls of the notice.
#define IDC_NOTICE_LOGO 1067
#define IDC_NOTICE_MESSAGE 1068
#define IDC_NOTICE_PROCESSOR_LABEL 1069
#define IDC_NOTICE_GRAPHICS_LABEL 1070
#define IDC_NOTICE_SYSTEM_LABEL 1071
#define IDC_NOTICE_GRAPHICS 1072
#define IDC_NOTICE_SYSTEM 1073
#define IDC_NOTICE_OK 1074
#define IDC_NOTICE_PROCESSOR 1076

// Controls of the popup.
#define IDC_POPUP_MESSAGE 1077
