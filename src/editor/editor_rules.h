// The rules of the editor pages that do not depend on widgets: which page a
// node is edited on and its window caption, the advanced settings of a
// project, the harmonic budget of a motion, the frequency ratio helpers of
// the unit buttons, and the kind switches of a restriction.
#pragma once

#include "model/nodes.h"

#include <optional>
#include <string>

namespace vemra {

class TreeItem;

// The pages of the editor, named as the code names them.
enum class EditorPage { ProjHeader, RXHeader, BG, Harm, Error };

struct PageChoice {
    EditorPage page = EditorPage::Error;
    // Window caption without the validity mark.
    std::string caption;
    // Text of the error panel (Error page only).
    std::string errorText;
};

// Where and under which caption node is edited; nullptr is "nothing".
PageChoice pageFor(const TNLMember* node);

inline constexpr const char* ComputingProjectText = "Das Projekt wird momentan berechnet!";
inline constexpr const char* ValidityMark = " !";

// --- project page --------------------------------------------------------------

struct AdvancedLimits {
    static constexpr int32_t SamplesMin = 2, SamplesMax = 40, SamplesDefault = 8;
    static constexpr int32_t StepsMin = 5, StepsMax = 500, StepsDefault = 20;
    static constexpr double WidthMin = 0.0001, WidthMax = 1.0, WidthDefault = 0.25;
};

inline constexpr const char* AdvancedWarningText
    = "ACHTUNG! Die erweiterten Einstellungen beeinflussen den Ablauf der Optimierung und sollten daher nur in "
      "Ausnahmefällen geändert werden.";

// With the advanced settings off the project always carries the defaults;
// with them on, a value outside its field's limits is replaced by its
// default. Returns true when a value changed.
bool normaliseAdvancedSettings(TProject& project);

// --- motion page -----------------------------------------------------------------

// The largest K the motion may have: the module accepts at most
// (240 - 2n) div 4 harmonics over all n motions of the project, so this one
// gets what the others leave. Never below 1.
int32_t maxHarmonics(const TreeItem* project, const TRXHeader& motion);

// K times the frequency ratio in use (the variable one when eta is
// variable): the ratio of the highest harmonic, which comes close to
// resonance above 0.95.
double etaRes(const TRXHeader& motion);
inline bool etaResWarns(double value) { return value > 0.95; }

// Which unit buttons an extension value allows.
struct UnitButtons {
    bool oneOverK = false;
    bool percent = false;
    bool phase = false;
};
UnitButtons unitButtonsFor(double extension);

// The variable eta for "1/K": the highest harmonic K exactly at resonance.
double etaOneOverK(int32_t harmonics);
// The variable eta for "%V": the highest harmonic amplified by v percent of
// its amplification at resonance, at damping theta; without damping (or
// when the formula has no real answer) v / (100 K).
double etaFromPercent(double v, double theta, int32_t harmonics);

// The variable eta for "°j": the highest harmonic lagging by v degrees at
// damping theta (1/K without damping). The search steps eta and narrows the
// step whenever it passes the target; it gives up after a bounded number of
// steps, when eta leaves the positive numbers, or when the target angle lies
// beyond what the damping allows.
struct PhaseSearch {
    bool converged = false;
    double eta = 0;
    int steps = 0;
};
PhaseSearch etaFromPhase(double v, double theta, int32_t harmonics);
// The phase angle (radians, half the lag) that the search matches for
// frequency ratio e and damping theta.
double phaseOf(double e, double theta);
std::string phaseNotReachedText(double v);

// --- restriction pages ---------------------------------------------------------

// Kind after choosing derivative order `order` (0..3) in the order box.
int32_t kindWithOrder(int32_t kind, int order);
// Kind after "Punkt" resp. "Bereich": the family changes, the order stays;
// relative kinds stay relative.
int32_t pointKindOf(int32_t kind);
int32_t intervalKindOf(int32_t kind);
// "s" followed by one apostrophe per derivative order.
std::string derivativeLabel(int32_t kind);

} // namespace vemra
