// Error types of the engine.
//
// Engine routines report expected failures (a file that cannot be read, a
// value that does not parse) through their result. Faults that end the current
// command - an index outside an array, an integer overflow, a value that does
// not fit its field - are thrown as RangeError and caught at the command
// boundary (GUI handler, CLI command), which shows the message.
#pragma once

#include <stdexcept>
#include <string>

namespace vargaze {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An index out of range or an arithmetic overflow.
class RangeError : public Error {
 public:
  using Error::Error;
};

}  // namespace vargaze
