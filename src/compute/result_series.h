// The series derived from the module's coefficients of s: the output motion
// q behind the elastic transfer, the drive torque term s'·s'', and the
// difference motions of the relative motion definitions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace vemra {

class TVector;
class TPaintObj;
class TreeItem;

inline constexpr const char* TransferFailedText
    = "Fehler bei der Berechnung der Fourierkoeffizienten\rder resultierenden Bewegung!";
inline constexpr const char* NoResultsText = "Die Berechnung liefert keine Ergebnisse";

// Harmonics 1..k of q from those of s through the damped elastic transfer
// with frequency ratio eta (> 0) and damping theta. Both vectors hold at
// least 2k + 2 elements. A harmonic that hits a floating-point error (the
// undamped resonance k·eta = 1, an overflow) is left alone and makes the
// result false; the other harmonics are still computed.
bool elasticTransfer(const TVector& sSC, TVector& qSC, int32_t k, double eta, double theta);

// Resizes mSC to 2(2k + 1) and fills it with the Fourier coefficients of
// s'(x)·s''(x) for the k harmonics of sSC: pair 0 is zero, pairs 1..2k carry
// the product. False when mSC cannot be resized or a coefficient is not
// finite.
bool driveTorqueTerm(const TVector& sSC, int32_t k, TVector& mSC);

// r := a − b element by element, r as long as the longer of the two; beyond
// the shorter one the longer one's elements are taken (negated when they are
// b's). False when r cannot be resized.
bool differenceSeries(const TVector& a, const TVector& b, TVector& r);

// Derives every series of a project after a computation (or, when the
// project's TestRun is set, from the stored coefficients with each motion's
// TestEta/TestTheta, without reading files or recomputing actual values).
// Reads the coefficient files from directory, computes q and the drive
// torque term of each absolute motion and the actual values of its
// restrictions, then the relative motions and theirs. failure receives the
// texts the user is to see (TransferFailedText, NoResultsText). Sets and
// returns the project's HasResults.
bool DeriveResultSeries(TreeItem* project, const std::filesystem::path& directory,
                        const std::function<void(const std::string&)>& failure);

} // namespace vemra
