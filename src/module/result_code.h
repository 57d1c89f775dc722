// The result codes the module reports in rx4.err.
#pragma once

namespace vemra::module::result_code {

inline constexpr int kMaximumMet = 1;     // every maximum requirement met
inline constexpr int kSolved = 0;         // every minimum requirement met
inline constexpr int kInterrupted = -1;
inline constexpr int kInfeasible = -2;    // minimum requirements cannot all be met
inline constexpr int kInputError = -3;
inline constexpr int kTooLarge = -4;
inline constexpr int kResonance = -5;

} // namespace vemra::module::result_code
