#include "result_series.h"

#include "result_files.h"

#include "model/tree_ops.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vemra {

bool elasticTransfer(const TVector& sSC, TVector& qSC, int32_t k, double eta, double theta)
{
    bool ok = true;
    for (int32_t h = 1; h <= k; ++h) {
        const double kk = h;
        const double a = kk * kk * eta * eta;
        const double b = theta * theta * kk * kk * eta * eta;
        const double d = 4 * b + (1 - a) * (1 - a);
        const double f = (1 - a + 4 * b) / d;
        const double g = 2 * kk * kk * kk * eta * eta * eta * theta / d;
        const double sine = sSC[2 * h];
        const double cosine = sSC[2 * h + 1];
        const double qSine = f * sine + g * cosine;
        const double qCosine = -g * sine + f * cosine;
        if (d == 0 || !std::isfinite(f) || !std::isfinite(g) || !std::isfinite(qSine) || !std::isfinite(qCosine)) {
            ok = false;
            continue;
        }
        qSC[2 * h] = qSine;
        qSC[2 * h + 1] = qCosine;
    }
    return ok;
}

bool driveTorqueTerm(const TVector& sSC, int32_t k, TVector& mSC)
{
    const int32_t count = 2 * (2 * k + 1);
    mSC.ReSize(count);
    if (mSC.Count() != count)
        return false;
    for (int32_t i = 0; i < count; ++i)
        mSC[i] = 0;
    // s' = Σ i(A_i cos ix − B_i sin ix), s'' = −Σ l²(A_l sin lx + B_l cos lx);
    // every pair (i, l) of the product lands on the harmonics i + l and |i − l|.
    for (int32_t i = 1; i <= k; ++i) {
        const double ai = sSC[2 * i];
        const double bi = sSC[2 * i + 1];
        for (int32_t l = 1; l <= k; ++l) {
            const double al = sSC[2 * l];
            const double bl = sSC[2 * l + 1];
            const double w = 0.5 * i * double(l) * l;
            const int32_t sum = i + l;
            mSC[2 * sum] += w * (bi * bl - ai * al);
            mSC[2 * sum + 1] -= w * (ai * bl + bi * al);
            const int32_t diff = i - l;
            if (diff == 0)
                continue;
            const int32_t h = std::abs(diff);
            const double same = w * (ai * al + bi * bl);
            mSC[2 * h] += diff > 0 ? same : -same;
            mSC[2 * h + 1] += w * (bi * al - ai * bl);
        }
    }
    for (int32_t i = 0; i < count; ++i)
        if (!std::isfinite(mSC[i]))
            return false;
    return true;
}

bool differenceSeries(const TVector& a, const TVector& b, TVector& r)
{
    const int32_t na = std::max(a.Count(), 0);
    const int32_t nb = std::max(b.Count(), 0);
    const int32_t longer = std::max(na, nb);
    const int32_t shorter = std::min(na, nb);
    r.ReSize(longer);
    if (r.Count() != longer)
        return false;
    for (int32_t i = 0; i < shorter; ++i)
        r[i] = a[i] - b[i];
    for (int32_t i = shorter; i < longer; ++i)
        r[i] = na < longer ? -b[i] : a[i];
    return true;
}

namespace {

using Failure = std::function<void(const std::string&)>;

TreeItem* motionItem(TreeItem* project, int32_t number)
{
    for (int i = 0; i < project->ChildCount(); ++i)
        if (auto* m = project->Child(i)->NodeAs<TRXHeader>(); m && m->Number() == number)
            return project->Child(i);
    return nullptr;
}

void updateActualValues(TreeItem* header, const TPaintObj& motion)
{
    for (int i = 0; i < header->ChildCount(); ++i)
        if (auto* r = header->Child(i)->NodeAs<TRestr>()) {
            r->UpdateActualValuesS(motion);
            r->UpdateActualValuesQ(motion);
        }
}

// q, the actual values and the drive torque term of one absolute motion
// whose sSC is in place. False ends the derivation of the project.
bool deriveMotion(TreeItem* item, bool testRun, const Failure& failure)
{
    auto& m = *item->NodeAs<TRXHeader>();
    const int32_t k = m.Harmonics();
    const int32_t count = 2 * k + 2;
    // Only a test run can meet coefficients that do not match K (the
    // harmonic count was edited after the computation); nothing sensible
    // can be derived from them.
    if (k < 0 || k > MaxReadableHarmonics || m.sSC.Count() < count)
        return false;

    m.ResultHarm = k;
    m.qSC.ReSize(count);
    if (m.qSC.Count() != count)
        return false;
    m.qSC[0] = m.sSC[0];
    m.qSC[1] = m.sSC[1];

    bool ok = true;
    double eta = testRun ? m.TestEta : m.sSC[0];
    const double theta = testRun ? m.TestTheta : m.Theta();
    if (eta > 0 && !elasticTransfer(m.sSC, m.qSC, k, eta, theta)) {
        failure(TransferFailedText);
        ok = false;
        eta = 0;
    }
    if (eta == 0) {
        const int32_t n = std::min(m.sSC.Count(), m.qSC.Count());
        for (int32_t i = 2; i < n; ++i)
            m.qSC[i] = m.sSC[i];
    } else if (!(eta > 0)) {
        // A negative (or unreadable) ratio describes no transfer; q gets no
        // harmonics rather than left-overs of an earlier result.
        for (int32_t i = 2; i < count; ++i)
            m.qSC[i] = 0;
    }
    if (!ok)
        return false;

    if (!testRun)
        updateActualValues(item, m);
    return driveTorqueTerm(m.sSC, k, m.mSC);
}

void deriveRelativeMotion(TreeItem* project, TreeItem* item, bool testRun)
{
    auto& r = *item->NodeAs<TRelHeader>();
    // Looked up, not created: a relative motion whose partner is missing gets
    // no series instead of conjuring up an empty motion definition.
    TreeItem* aItem = motionItem(project, magnitude(r.FirstMotion()));
    TreeItem* bItem = motionItem(project, r.SecondMotion());
    if (!aItem || !bItem)
        return;
    const auto& a = *aItem->NodeAs<TRXHeader>();
    const auto& b = *bItem->NodeAs<TRXHeader>();
    if (!differenceSeries(a.sSC, b.sSC, r.sSC) || !differenceSeries(a.qSC, b.qSC, r.qSC))
        return;
    r.Harmonics() = r.sSC.Count() / 2;
    r.ResultHarm = r.Harmonics();
    if (!testRun)
        updateActualValues(item, r);
    r.ResultValid = true;
}

} // namespace

bool DeriveResultSeries(TreeItem* projectItem, const std::filesystem::path& directory, const Failure& failure)
{
    auto& project = *projectItem->NodeAs<TProject>();
    project.HasResults = true;
    bool ok = true;
    for (int i = 0; ok && i < projectItem->ChildCount(); ++i) {
        TreeItem* item = projectItem->Child(i);
        auto* motion = item->NodeAs<TRXHeader>();
        if (!motion)
            continue;
        if (!project.TestRun && !ReadCoefficientFile(*motion, directory))
            ok = false;
        else
            ok = deriveMotion(item, project.TestRun, failure);
    }
    project.HasResults = ok;
    if (ok) {
        for (int i = 0; i < projectItem->ChildCount(); ++i)
            if (projectItem->Child(i)->NodeAs<TRelHeader>())
                deriveRelativeMotion(projectItem, projectItem->Child(i), project.TestRun);
    } else {
        failure(NoResultsText);
    }
    return ok;
}

} // namespace vemra
