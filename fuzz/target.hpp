#pragma once
// What one fuzzing target gives the driver (driver.cpp): the property it checks on any input,
// the inputs to start from, and the words worth splicing into inputs.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvelan::fuzz {

struct Target {
  const char* name;
  // Runs the code under test on `input`; calls fail() when a property does not hold.
  void (*run)(std::span<const std::uint8_t> input);
  // Inputs the program itself makes or reads, to mutate from.
  std::vector<std::string> (*seeds)();
  std::vector<std::string> words;  // spliced in by the mutator, beside those found in the seeds
  std::size_t max_length;
};

// The one target of this program; each target source defines it.
extern const Target target;

// Reports a broken property: the driver saves the input and the program stops.
[[noreturn]] void fail(std::string_view what);

}  // namespace quorvelan::fuzz
