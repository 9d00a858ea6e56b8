#pragma once

// Icons
#define IDR_MAINFRAME 128
