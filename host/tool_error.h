// The one way the tool reports failure: a single line for the user, then a non-zero
// exit. Thrown anywhere below main and caught there, so open files and the plug-in
// are released by their destructors on the way out.
#pragma once

#include <stdexcept>
#include <string>

class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A mistake on the command line: exits with status 2 instead of 1.
class UsageError : public ToolError {
public:
    using ToolError::ToolError;
};
