#pragma once

#include <stdexcept>
#include <string>

// A command refused its input; the text is the editor's own information message
// ("Error. Aborting operation.") and the document is unchanged.
class InputRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every other failure a command reports: what() is the message the user sees
// ("Floating point division by zero", "Cannot create file <path>", a number that does not parse).
class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kAbortingOperation = "Error. Aborting operation.";

// The texts of the arithmetic errors a routine can end with.
inline constexpr const char* kDivisionByZero = "Floating point division by zero";
inline constexpr const char* kInvalidOperation = "Invalid floating point operation";
