// Whether two paths name one file: through symbolic or hard links, or as two spellings
// of a file that does not exist yet.
#pragma once

#include <string>

bool sameFile(const std::string& a, const std::string& b);
