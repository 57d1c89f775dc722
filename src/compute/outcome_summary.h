// The words and numbers in which the desktop's result panel and status bar
// and vemra-cli describe what the last computation of a project gave: the
// code and its message, fulfilment, smoothness, the shift of every
// optimisation object, the running time, and the restrictions that limit
// the result or contradict each other. The texts live here, beside the
// logic that picks them, so that every front end says the same.
#pragma once

#include "model/result_outcome.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vemra {

class TreeItem;

// One restriction named by the explanation.
struct OutcomeEntry {
    // The restriction's item; nullptr when it was deleted since.
    TreeItem* restriction = nullptr;
    // The motion definition it belongs to ("Bewegungsvorgabe (abs) 1"), its
    // number ("1", "1-2" for a relative one) and the restriction's caption.
    std::string motion;
    std::string motionNumber;
    std::string caption;
    // Limiting restrictions only ("62,3 %", "30,00°" or "-", and how much
    // λ* rises per unit of loosening); empty for a conflict.
    std::string share;
    std::string angle;
    std::string sensitivity;
};

struct OutcomeSummary {
    // The project has an outcome of this session.
    bool computed = false;
    // It describes the project as it is now.
    bool current = false;
    // "Code 0: ok"; the message's line breaks become blanks.
    std::string headline;
    // Fulfilment, smoothness and the shift of each optimisation object, as
    // label and value.
    std::vector<std::pair<std::string, std::string>> facts;
    // "1,2 s"; empty when not measured.
    std::string time;
    // Why there is no explanation, or that the outcome is outdated; empty
    // when there is nothing to say.
    std::string note;
    // What the entries are ("Begrenzende Forderungen", ...); empty without
    // entries.
    std::string listTitle;
    std::vector<OutcomeEntry> entries;
};

inline constexpr const char* NotComputedText = "Dieses Projekt wurde in dieser Sitzung noch nicht berechnet.";
inline constexpr const char* NoExplanationText = "Zu diesem Ergebnis liegt keine Erklärung vor.";
inline constexpr const char* NoExplanationWrittenText
    = "Zu diesem Ergebnis liegt keine Erklärung vor: der Berechnungsmodul hat keine geschrieben.";
inline constexpr const char* UnusableExplanationText = "Die Erklärung des Berechnungsmoduls ist unbrauchbar: ";
inline constexpr const char* OutdatedOutcomeText
    = "Veraltet: das Projekt wurde nach der Berechnung geändert. Erst eine neue Berechnung erklärt es wieder.";
inline constexpr const char* LimitingTitle = "Begrenzende Forderungen";
inline constexpr const char* SmoothnessTitle = "Forderungen, die Glattheit kosten";
inline constexpr const char* ConflictTitle = "Widersprüchliche Forderungen";

// The outcome of project's last computation, numbers with the given
// decimal separator.
OutcomeSummary summarizeOutcome(TreeItem* project, char decimal);

// The status line after a successful computation: "ok – Erfüllungsgrad
// 0,937" (the message's first line, and the fulfilment when it is known).
std::string outcomeStatusText(const ComputationOutcome& outcome, char decimal);

// x with a fixed number of decimals and the given separator; never "-0,00".
std::string fixedNumber(double x, int decimals, char decimal);
// λ with three decimals, cut rather than rounded: a fulfilment below 1 never
// reads as 1.
std::string fulfilmentText(double lambda, char decimal);

} // namespace vemra
