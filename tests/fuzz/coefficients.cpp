// "remote$.fk<n>": the coefficients of one motion, and what the computation
// derives from them: the output motion behind the elastic transfer, the
// drive torque term and the actual values of a restriction. The first two
// bytes choose the harmonic count and the damping, the rest is the file.
#include "fuzz_input.h"

#include "compute/result_files.h"
#include "compute/result_series.h"
#include "model/nodes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemra;
    if (size < 2)
        return 0;
    TRXHeader motion;
    const int32_t k = data[0] % 32;
    motion.Harmonics() = k;
    if (!ReadCoefficients(motion, bytesOf(data + 2, size - 2)))
        return 0;
    motion.HasResult = true;
    motion.qSC.assign(motion.sSC);
    const double eta = motion.sSC[0];
    if (eta > 0)
        elasticTransfer(motion.sSC, motion.qSC, k, eta, data[1] / 64.0);
    driveTorqueTerm(motion.sSC, k, motion.mSC);

    TRestr interval;
    interval.Kind() = 10 + data[1] % 4;
    interval.PhiMin() = 30;
    interval.PhiMax() = 200;
    interval.Lower() = -1;
    interval.Upper() = 1;
    interval.UpdateActualValuesS(motion);
    interval.UpdateActualValuesQ(motion);
    return 0;
}
