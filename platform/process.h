// Running another program.
#pragma once

#include <string>
#include <vector>

// Runs argv[0] with the arguments argv[1..] (no shell), its standard error written to the
// file errorPath, and waits for it. Answers its exit status, or -1 when it could not be
// started or did not exit normally.
int qbRunAndWait(const std::vector<std::string>& argv, const std::string& errorPath);
