#pragma once

// Icons
#define IDR_MAINFRAME 128

// Bitmaps
#define IDB_CAPTION_WIDE 231    // 300 x 31
#define IDB_CAPTION_NARROW 232  // 171 x 30
