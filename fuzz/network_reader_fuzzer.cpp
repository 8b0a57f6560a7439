// libFuzzer target: arbitrary bytes as a DL file, Pajek network, GraphML document or CSV,
// read as the analysis reads them (reader_input.hpp). A reader may refuse its input with
// an InputError; anything else it returns must be a network the analysis can hold.

#include <cstdio>
#include <cstdlib>

#include "formats/input_error.hpp"
#include "formats/network_reader.hpp"
#include "reader_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const quorel::fuzzing::ReaderCase c = quorel::fuzzing::DecodeReaderInput(bytes, size);
  const quorel::InputFormat format = quorel::ResolveInputFormat(c.format, quorel::WithoutByteOrderMark(c.text));
  if (format == quorel::InputFormat::kData) return 0;  // the data-file fuzzer's ground
  std::vector<std::string> warnings;
  try {
    const quorel::Network network = quorel::ReadSingleNetwork(c.text, format, "fuzz.net", c.settings, warnings);
    const std::string fault = quorel::fuzzing::NetworkFault(network);
    if (!fault.empty()) {
      std::fprintf(stderr, "reader returned a broken network: %s\n", fault.c_str());
      std::abort();
    }
  } catch (const quorel::InputError&) {
    // A refusal with its line and reason is a proper end.
  }
  return 0;
}
