#pragma once

#include <cstdio>
#include <iosfwd>

namespace quorel {

// A C stream whose output goes to `out`, for the views that write with the C library's
// formatting: what is written reaches `out` as the stream's buffer fills and when it is
// closed. Null when the C library cannot make one. The caller closes it with fclose.
std::FILE* OpenStreamFile(std::ostream& out);

}  // namespace quorel
