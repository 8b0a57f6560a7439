#include "core/input_format.hpp"

#include "formats/dl_reader.hpp"
#include "formats/csv_reader.hpp"
#include "formats/graphml_reader.hpp"
#include "formats/pajek_reader.hpp"
#include "quorel/option_words.hpp"

namespace quorel {

const char* InputFormatName(InputFormat format) { return WordOf(InputFormatWords(), format); }

std::string WhyNoOtherLayout(std::string_view text) {
  text = WithoutByteOrderMark(text);
  const std::size_t start = text.find_first_not_of(" \t\r\n");
  const std::string_view first = start == std::string_view::npos ? std::string_view() : text.substr(start, 2);
  const bool dl_word = first.size() == 2 && (first[0] | 0x20) == 'd' && (first[1] | 0x20) == 'l';
  return std::string("it is not DL (") +
         (dl_word ? "\"dl\" is not followed by a header such as \"n = 5\"" : "the first word is not \"dl\"") +
         "), Pajek (no \"*Vertices\" line first), GraphML (no <graphml> root element) or CSV (the first line "
         "names no source and target columns and starts no square table)";
}

InputFormat DetectInputFormat(std::string_view text) {
  text = WithoutByteOrderMark(text);
  if (LooksLikeDl(text)) return InputFormat::kDl;
  if (LooksLikePajek(text)) return InputFormat::kPajek;
  if (LooksLikeGraphMl(text)) return InputFormat::kGraphMl;
  if (LooksLikeCsv(text)) return InputFormat::kCsv;
  return InputFormat::kData;
}

}  // namespace quorel
