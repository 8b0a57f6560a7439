#pragma once

// One problem's network as a plain value: the readers produce it, the analysis and the
// data-file writer take it. It is part of the library's public face.
#include "quorel/network.hpp"
