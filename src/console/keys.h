// The runtime's key codes, as INKEY() returns them and as the program compares them.
#pragma once

namespace console::key {

inline constexpr int kNone = 0;
inline constexpr int kEnter = 13;
inline constexpr int kEsc = 27;
inline constexpr int kUp = 5;
inline constexpr int kDown = 24;
inline constexpr int kLeft = 19;
inline constexpr int kRight = 4;
inline constexpr int kPgUp = 18;
inline constexpr int kPgDn = 3;
inline constexpr int kHome = 1;
inline constexpr int kEnd = 6;
inline constexpr int kIns = 22;
inline constexpr int kDel = 7;
inline constexpr int kBackspace = 8;
inline constexpr int kTab = 9;
inline constexpr int kShiftTab = 271;
inline constexpr int kCtrlEnter = 10;

inline constexpr int kCtrlPgUp = 31;
inline constexpr int kCtrlPgDn = 30;
inline constexpr int kCtrlHome = 29;
inline constexpr int kCtrlEnd = 23;
inline constexpr int kCtrlLeft = 26;
inline constexpr int kCtrlRight = 2;
inline constexpr int kCtrlUp = 397;
inline constexpr int kCtrlDown = 401;
inline constexpr int kCtrlIns = 402;
inline constexpr int kCtrlDel = 403;

inline constexpr int kAltUp = 408;
inline constexpr int kAltDown = 416;
inline constexpr int kAltLeft = 411;
inline constexpr int kAltRight = 413;
inline constexpr int kAltHome = 407;
inline constexpr int kAltEnd = 415;
inline constexpr int kAltPgUp = 409;
inline constexpr int kAltPgDn = 417;
inline constexpr int kAltIns = 418;
inline constexpr int kAltDel = 419;

// Ctrl+letter: 1 for Ctrl+A … 26 for Ctrl+Z (Ctrl+C 3, Ctrl+T 20, Ctrl+U 21,
// Ctrl+V 22, Ctrl+W 23). Several share their code with a movement key; the shift
// state tells them apart.
constexpr int ctrl(char letter) { return (letter | 0x20) - 'a' + 1; }

// F1 is 28; F2 to F10 are -1 to -9; F11, F12 are -40, -41.
constexpr int f(int n) { return n == 1 ? 28 : n <= 10 ? 1 - n : -40 - (n - 11); }
constexpr int shift_f(int n) { return n <= 10 ? -9 - n : -42 - (n - 11); }
constexpr int ctrl_f(int n) { return n <= 10 ? -19 - n : -44 - (n - 11); }
constexpr int alt_f(int n) { return n <= 10 ? -29 - n : -46 - (n - 11); }

inline constexpr int kF1 = 28;
inline constexpr int kF2 = -1;
inline constexpr int kF10 = -9;
inline constexpr int kAltS = 287;
inline constexpr int kAltV = 303;

// A typed character that code page 852 lacks ("€"): no field can hold it, so the
// read refuses it as it refuses a character the picture does not take.
inline constexpr int kForeignChar = 4096;

// Alt+letter: the keyboard scan code + 256 (Alt+S 287, Alt+V 303); 0 for no letter.
int alt_letter(char letter);
// Alt+digit: Alt+1 376 … Alt+9 384, Alt+0 385.
int alt_digit(char digit);

// Shift state bits, as the key filter reads them.
inline constexpr int kShiftBitShift = 1;
inline constexpr int kShiftBitCtrl = 2;
inline constexpr int kShiftBitAlt = 8;

}  // namespace console::key
