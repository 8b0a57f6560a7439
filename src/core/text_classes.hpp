#pragma once

namespace quorel {

// Character classes of the data file, fixed to the default ("C") locale whatever locale
// the process runs in: white space is blank, tab, line feed, vertical tab, form feed and
// carriage return; letters are A to Z and a to z.
inline bool IsWhiteSpace(int ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }
inline bool IsLetter(int ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }
inline bool IsDigit(int ch) { return ch >= '0' && ch <= '9'; }

}  // namespace quorel
