#include "core/input_format.hpp"

#include "formats/dl_reader.hpp"
#include "formats/csv_reader.hpp"
#include "formats/graphml_reader.hpp"
#include "formats/pajek_reader.hpp"

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
  if (LooksLikeCsv(text)) return InputFormat::kCsv;
  return InputFormat::kData;
}

}  // namespace quorel
