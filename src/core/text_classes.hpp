#pragma once

#include <string>
#include <string_view>

namespace quorel {

// Character classes of the data file, fixed to the default ("C") locale whatever locale
// the process runs in: white space is blank, tab, line feed, vertical tab, form feed and
// carriage return; letters are A to Z and a to z.
inline bool IsWhiteSpace(int ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }
inline bool IsLetter(int ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }
inline bool IsDigit(int ch) { return ch >= '0' && ch <= '9'; }

// `text` with the letters A to Z in lower case, for keywords read in any case.
inline std::string Lower(std::string text) {
  for (char& ch : text) ch = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch;
  return text;
}

// `text` without the white space at either end.
inline std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace quorel
