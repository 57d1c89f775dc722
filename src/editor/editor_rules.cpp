#include "editor_rules.h"

#include "model/numeric.h"
#include "model/project_tree.h"
#include "model/tree_ops.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vemra {

namespace {

std::string restrictionCaption(const TRestr& r)
{
    const std::string first = std::to_string(magnitude(r.Motion()));
    if (isRelativeKind(r.Kind()))
        return "Restriktion (relativ) [BG " + first + "-" + std::to_string(r.Motion2()) + "]";
    if (isSpectrumKind(r.Kind()))
        return "Restriktion (Spektrum) [BG " + first + "]";
    return "Restriktion (absolut) [BG " + first + "]";
}

std::string trimmed(std::string s)
{
    while (!s.empty() && s.front() == ' ')
        s.erase(s.begin());
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

} // namespace

PageChoice pageFor(const TNLMember* node)
{
    PageChoice c;
    c.caption = "Eingabe";
    if (!node)
        return c;
    if (const auto* r = dynamic_cast<const TRestr*>(node)) {
        if (isBandKind(r->Kind())) {
            c.page = EditorPage::BG;
            c.caption = restrictionCaption(*r);
        } else if (isSpectrumKind(r->Kind())) {
            c.page = EditorPage::Harm;
            c.caption = restrictionCaption(*r);
        } else {
            c.caption = "Fehler";
            c.errorText = "unbekannte Restriktion (Typ " + std::to_string(r->Kind()) + ").";
        }
    } else if (const auto* m = dynamic_cast<const TRXHeader*>(node)) {
        c.page = EditorPage::RXHeader;
        c.caption = "Bewegungsvorgabe (absolut) " + std::to_string(m->Number());
    } else if (const auto* p = dynamic_cast<const TProject*>(node)) {
        c.caption = "Projekt: " + p->Caption;
        if (p->Computing)
            c.errorText = ComputingProjectText;
        else
            c.page = EditorPage::ProjHeader;
    }
    return c;
}

bool normaliseAdvancedSettings(TProject& project)
{
    using L = AdvancedLimits;
    const int32_t samples = project.SamplesPerStep();
    const int32_t steps = project.OptimisationSteps();
    const double width = project.StepWidth();
    if (project.AdvancedSettings() == 0) {
        project.SamplesPerStep() = L::SamplesDefault;
        project.OptimisationSteps() = L::StepsDefault;
        project.StepWidth() = L::WidthDefault;
    } else {
        if (samples < L::SamplesMin || samples > L::SamplesMax)
            project.SamplesPerStep() = L::SamplesDefault;
        if (steps < L::StepsMin || steps > L::StepsMax)
            project.OptimisationSteps() = L::StepsDefault;
        // Written so that a NaN read from a file counts as outside.
        if (!(width >= L::WidthMin && width <= L::WidthMax))
            project.StepWidth() = L::WidthDefault;
    }
    return samples != project.SamplesPerStep() || steps != project.OptimisationSteps()
        || !(width == project.StepWidth());
}

int32_t maxHarmonics(const TreeItem* project, const TRXHeader& motion)
{
    const auto* p = project ? project->NodeAs<TProject>() : nullptr;
    if (!p)
        return std::max<int32_t>(1, motion.Harmonics());
    // Sums in 64 bits: a damaged file may carry any K.
    int64_t sum = 0;
    for (int i = 0; i < project->ChildCount(); ++i)
        if (const auto* m = project->Child(i)->NodeAs<TRXHeader>())
            sum += m->Harmonics();
    const int64_t budget = (240 - 2 * static_cast<int64_t>(p->MotionCount())) / 4;
    const int64_t maximum = budget - sum + motion.Harmonics();
    // A motion has at least one harmonic; a project over budget is refused
    // by the module with its own message instead.
    return static_cast<int32_t>(std::clamp<int64_t>(maximum, 1, 1000));
}

double etaRes(const TRXHeader& motion)
{
    return motion.Harmonics() * (motion.EtaVariable() != 0 ? motion.EtaLimit() : motion.EtaMax());
}

UnitButtons unitButtonsFor(double v)
{
    UnitButtons b;
    b.oneOverK = v >= 1;
    b.percent = v > 0 && v <= 100;
    b.phase = v > 0 && v < 90;
    return b;
}

double etaOneOverK(int32_t harmonics)
{
    return 1.0 / std::max<int32_t>(harmonics, 1);
}

double etaFromPercent(double v, double theta, int32_t harmonics)
{
    const double k = std::max<int32_t>(harmonics, 1);
    const double x = v * 0.01;
    if (theta > 0 && x != 0) {
        const double a = theta * theta;
        const double r = std::sqrt(4 * a * a - 4 * a + 4 * a / (x * x));
        const double eta = std::sqrt(1 - 2 * a - r) / k;
        if (std::isfinite(eta))
            return eta;
    }
    return x / k;
}

double phaseOf(double e, double theta)
{
    const double u = e * e;
    const double y = u - 1 + std::sqrt((1 - u) * (1 - u) + 4 * theta * theta * u);
    const double x = theta / (2 * e);
    return std::atan2(y, x);
}

PhaseSearch etaFromPhase(double v, double theta, int32_t harmonics)
{
    const double k = std::max<int32_t>(harmonics, 1);
    PhaseSearch s;
    if (theta <= 0) {
        s.converged = true;
        s.eta = 1.0 / k;
        return s;
    }
    // The search walks up in steps of 0.1 and turns back with two thirds of
    // the step whenever it passes the target. A target below the start would
    // walk eta through zero into negative values, where the angle never comes
    // back; such a step goes only half the way down to zero instead.
    constexpr int MaxSteps = 100000;
    const double target = v * std::numbers::pi / 360;
    double e = 0.1;
    double d = 0.1;
    for (s.steps = 0; s.steps < MaxSteps; ++s.steps) {
        const double diff = target - phaseOf(e, theta);
        if (!std::isfinite(diff))
            break;
        if (std::fabs(diff) <= 0.00001) {
            s.converged = true;
            s.eta = e / k;
            return s;
        }
        if ((diff > 0 && d < 0) || (diff < 0 && d > 0))
            d = -d * 2 / 3;
        if (e + d <= 0)
            d = -e / 2;
        e += d;
        if (!(e > 0) || !std::isfinite(e))
            break;
    }
    s.converged = false;
    return s;
}

std::string phaseNotReachedText(double v)
{
    return "Der Phasenwinkel " + trimmed(FormatSig(4, v)) + "° wurde nicht gefunden.\rDer variable Wert von η bleibt "
           "unverändert.";
}

int32_t kindWithOrder(int32_t kind, int order)
{
    return (kind / 10) * 10 + order;
}

int32_t pointKindOf(int32_t kind)
{
    return (kind >= 30 ? 40 : 0) + kind % 10;
}

int32_t intervalKindOf(int32_t kind)
{
    return (kind >= 30 ? 50 : 10) + kind % 10;
}

std::string derivativeLabel(int32_t kind)
{
    const int d = ((kind % 10) + 10) % 10;
    return "s" + std::string(static_cast<size_t>(std::min(d, 3)), '\'');
}

} // namespace vemra
