#pragma once

#include <string>

#include "core/input_format.hpp"
#include "formats/read_settings.hpp"

namespace quorel {

// "quorel convert INPUT OUTPUT": writes any input the analysis accepts as a data file.
struct ConvertRequest {
  std::string InputPath;
  std::string OutputPath;
  InputFormat Format = InputFormat::kAuto;
  bool FixedMatrix = false;  // a data file's problems are each followed by a fixed matrix
  ReadSettings Settings;     // valued cells, GraphML's relation attribute, relations marked non-directional
};

// Converts and returns the exit status: 0 written; 1 the input is malformed (its messages
// on standard error, nothing written); 2 the input could not be read or the output not
// opened; 74 the output could not be written completely.
int RunConvert(const ConvertRequest& request);

}  // namespace quorel
