#pragma once

#include <string>
#include <string_view>

#include "quorel/options.hpp"

namespace quorel {

// The layouts an input file may have (InputFormat, in the public options header). A data
// file holds one or more problem specifications in Quorel's own layout; a DL file (a "dl"
// keyword header, then full matrices) and a CSV or TSV table (an edge list, one tie a row,
// or an adjacency matrix of one relation) hold one network each.

// "auto", "data", "dl", "csv".
const char* InputFormatName(InputFormat format);

// Recognises the layout from the text: a first token "dl" followed by an "n =" (or "nm =", "nr =",
// "nc =", "format =") assignment is a DL file; a first non-blank line with commas, semicolons
// or tabs that names a source and a target column is a CSV edge list, and a square table
// with such separators an adjacency matrix (LooksLikeCsv); anything else is a data file.
// Never returns kAuto.
InputFormat DetectInputFormat(std::string_view text);

// Why `text` was not taken for any layout but a data file: one line naming each layout
// tried and what it lacks, for a file that then fails to read as a data file.
std::string WhyNoOtherLayout(std::string_view text);

// `text` without the UTF-8 byte-order mark that some programs write before it.
inline std::string_view WithoutByteOrderMark(std::string_view text) {
  return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

// `forced` unless it is kAuto, else what the text looks like.
inline InputFormat ResolveInputFormat(InputFormat forced, std::string_view text) {
  return forced == InputFormat::kAuto ? DetectInputFormat(text) : forced;
}

}  // namespace quorel
