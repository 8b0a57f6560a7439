#pragma once

#include <cstdio>
#include <string>

namespace quorel {

// Appends what is left of `in` to `text`; false on a read error.
bool ReadRestOfFile(std::FILE* in, std::string& text);

// The whole text of the file at `path`; false when it is a directory or cannot be read.
bool ReadFileText(const std::string& path, std::string& text);

}  // namespace quorel
