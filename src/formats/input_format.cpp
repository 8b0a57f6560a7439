#include "core/input_format.hpp"

#include "formats/dl_reader.hpp"
#include "formats/edge_list_reader.hpp"
#include "formats/graphml_reader.hpp"
#include "formats/pajek_reader.hpp"
#include "core/text_classes.hpp"

namespace quorel {

const char* InputFormatName(InputFormat format) {
  switch (format) {
    case InputFormat::kData: return "data";
    case InputFormat::kDl: return "dl";
    case InputFormat::kCsv: return "csv";
    case InputFormat::kPajek: return "pajek";
    case InputFormat::kGraphMl: return "graphml";
    default: return "auto";
  }
}

InputFormat DetectInputFormat(std::string_view text) {
  text = WithoutByteOrderMark(text);
  if (LooksLikeDl(text)) return InputFormat::kDl;
  if (LooksLikePajek(text)) return InputFormat::kPajek;
  if (LooksLikeGraphMl(text)) return InputFormat::kGraphMl;
  std::size_t start = 0;
  while (start < text.size() && IsWhiteSpace(static_cast<unsigned char>(text[start]))) ++start;
  std::size_t end = text.find('\n', start);
  if (end == std::string_view::npos) end = text.size();
  EdgeListColumns columns;
  if (FindEdgeListColumns(text.substr(start, end - start), columns)) return InputFormat::kCsv;
  return InputFormat::kData;
}

}  // namespace quorel
