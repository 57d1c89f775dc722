#include "module/input_validator.h"

#include "protocol/result_codes.h"

#include <cmath>
#include <map>
#include <optional>
#include <sstream>

namespace vemra::module {
namespace {

const char* restrictionIntName(int i)
{
    static const char* const names[] = {"Motion", "Motion2/Harmonic", "Kind", "PhiMinVar", "PhiMaxVar",
                                        "LowerMode", "UpperMode", "GroupNo", "Ident"};
    return names[i - 1];
}

std::string intField(int i, const char* role)
{
    return "IntPar[" + std::to_string(i) + "] (" + role + ")";
}

std::string restrictionField(int i) { return intField(i, restrictionIntName(i)); }

std::string realField(int i) { return "RealPar[" + std::to_string(i) + "]"; }

template <typename T>
std::string str(T value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

bool isKnownKind(int kind)
{
    return (kind >= 0 && kind <= 3) || (kind >= 10 && kind <= 13) || (kind >= 20 && kind <= 24)
        || (kind >= 40 && kind <= 43) || (kind >= 50 && kind <= 53);
}

bool isIntervalKind(int kind) { return (kind >= 10 && kind <= 13) || (kind >= 50 && kind <= 53); }
bool isRelativeKind(int kind) { return kind >= 40; }

using Diagnostic = std::optional<InputDiagnostic>;

// Walks the records in file order; the first problem found is the one reported.
class RecordValidator {
public:
    explicit RecordValidator(const std::vector<RawRecord>& records) : records_(records) {}

    Diagnostic run(SynthesisProblem& problem)
    {
        if (auto d = readProject(problem.settings))
            return d;
        // The count is the file's word only: nothing is sized by it before the records bear it
        // out, or a damaged count would reserve memory for millions of motions.
        std::map<int, Motion> motions;
        int motionRecords = 0;
        const Motion* current = nullptr;

        // Relative restrictions may name motions whose records come later; they are checked
        // once every motion is known, but reported in file order all the same.
        std::vector<std::size_t> deferred;

        for (std::size_t i = 1; i < records_.size(); ++i) {
            const RawRecord& rec = records_[i];
            const int number = static_cast<int>(i + 1);
            if (rec.intPar(1) == 0) {
                ++motionRecords;
                Motion motion;
                if (auto d = readMotion(rec, number, motion))
                    return d;
                const auto [slot, added] = motions.emplace(motion.number, motion);
                if (!added)
                    return fail(number, intField(2, "Nummer der Bewegungsvorgabe"),
                                "Bewegungsvorgabe " + str(motion.number) + " kommt zweimal vor");
                current = &slot->second;
                continue;
            }
            Restriction restriction;
            restriction.recordNumber = number;
            restriction.record = rec;
            if (auto d = readRestrictionHead(rec, number, restriction))
                return d;
            if (isRelativeKind(restriction.kind)) {
                deferred.push_back(problem.restrictions.size());
            } else {
                if (current == nullptr)
                    return fail(number, restrictionField(1),
                                "die Restriktion der Bewegungsvorgabe " + str(restriction.motion)
                                    + " folgt keinem Datensatz einer Bewegungsvorgabe");
                if (restriction.motion != current->number)
                    return fail(number, restrictionField(1),
                                "die Restriktion nennt Bewegungsvorgabe " + str(restriction.motion)
                                    + ", folgt aber dem Datensatz der Bewegungsvorgabe " + str(current->number));
                if (auto d = checkRestriction(restriction, *current, problem.settings))
                    return d;
            }
            problem.restrictions.push_back(restriction);
        }

        if (motionRecords != problem.settings.motionCount)
            return fail(1, intField(3, "Anzahl der Bewegungsvorgaben"),
                        "das Projekt nennt " + str(problem.settings.motionCount) + " Bewegungsvorgaben, die Datei enthält "
                            + str(motionRecords));
        // Every number in 1..count occurs exactly once now.
        for (auto& numbered : motions)
            problem.motions.push_back(std::move(numbered.second));

        for (std::size_t index : deferred) {
            Restriction& r = problem.restrictions[index];
            if (auto d = checkRelativeMotions(r, problem))
                return d;
            if (auto d = checkRestriction(r, problem.motions[static_cast<std::size_t>(r.motion - 1)], problem.settings))
                return d;
        }
        return std::nullopt;
    }

private:
    static Diagnostic fail(int record, std::string field, std::string message)
    {
        return InputDiagnostic{record, std::move(field), std::move(message)};
    }

    Diagnostic readProject(ProjectSettings& settings) const
    {
        const RawRecord& rec = records_.front();
        settings.motionCount = rec.intPar(3);
        if (settings.motionCount < 1)
            return fail(1, intField(3, "Anzahl der Bewegungsvorgaben"), "ein Projekt braucht mindestens eine Bewegungsvorgabe");
        settings.objectCount = rec.intPar(8);
        if (rec.intPar(6) == 1) {
            settings.samples = rec.intPar(4);
            settings.steps = rec.intPar(5);
            settings.stepWidth = rec.realPar(1);
        }
        return std::nullopt;
    }

    Diagnostic readMotion(const RawRecord& rec, int number, Motion& motion) const
    {
        motion.number = rec.intPar(2);
        motion.recordNumber = number;
        motion.harmonics = rec.intPar(3);
        motion.etaVariable = rec.intPar(4) != 0;
        motion.etaLimit = rec.realPar(1);
        motion.eta = rec.realPar(2);
        motion.theta = rec.realPar(3);
        const int n = records_.front().intPar(3);
        if (motion.number < 1 || motion.number > n)
            return fail(number, intField(2, "Nummer der Bewegungsvorgabe"),
                        "Nummer " + str(motion.number) + " außerhalb von 1.." + str(n));
        if (motion.harmonics < 1)
            return fail(number, intField(3, "Anzahl der Harmonischen"), "K = " + str(motion.harmonics) + " ist kleiner als 1");
        if (motion.eta < 0.0)
            return fail(number, realField(2) + " (eta)", "eta " + str(motion.eta) + " ist negativ");
        if (motion.theta < 0.0)
            return fail(number, realField(3) + " (theta)", "theta " + str(motion.theta) + " ist negativ");
        if (motion.etaVariable && motion.etaLimit < motion.eta)
            return fail(number, realField(1) + " (Grenze von eta)",
                        "die andere Grenze eines variablen eta (" + str(motion.etaLimit) + ") liegt unter eta ("
                            + str(motion.eta) + ")");
        return std::nullopt;
    }

    // Fields that do not depend on the motions: kind, modes, family.
    static Diagnostic readRestrictionHead(const RawRecord& rec, int number, Restriction& r)
    {
        r.kind = rec.intPar(3);
        if (!isKnownKind(r.kind))
            return fail(number, restrictionField(3), "unbekannte Art der Restriktion " + str(r.kind));
        r.checkOnly = rec.intPar(1) < 0;
        r.motion = std::abs(rec.intPar(1));
        r.motion2 = isRelativeKind(r.kind) ? rec.intPar(2) : 0;
        if (r.kind >= 20 && r.kind <= 24) {
            r.family = r.kind == 24 ? RestrictionFamily::SpectrumHarmonic : RestrictionFamily::SpectrumSum;
            r.order = r.kind == 24 ? 0 : r.kind - 20;
            r.harmonic = r.kind == 24 ? rec.intPar(2) : 0;
            const int mode = rec.intPar(6);
            if (mode != 0 && mode != 1)
                return fail(number, restrictionField(6), "Modus " + str(mode) + " ist weder 0 noch 1");
            r.upper = mode == 1 ? BoundMode::Variable : BoundMode::Fixed;
            return std::nullopt;
        }
        r.family = isIntervalKind(r.kind) ? RestrictionFamily::Interval : RestrictionFamily::Point;
        r.order = r.kind % 10;
        for (int field : {6, 7}) {
            const int mode = rec.intPar(field);
            if (mode < -1 || mode > 1)
                return fail(number, restrictionField(field), "Modus " + str(mode) + " ist nicht -1, 0 oder 1");
            const BoundMode bound = mode < 0 ? BoundMode::None : (mode == 0 ? BoundMode::Fixed : BoundMode::Variable);
            (field == 6 ? r.lower : r.upper) = bound;
        }
        if (r.family == RestrictionFamily::Interval) {
            for (int field : {4, 5}) {
                const int mode = rec.intPar(field);
                if (mode != 0 && mode != 1)
                    return fail(number, restrictionField(field), "Modus " + str(mode) + " ist weder 0 noch 1");
            }
            r.phiMinVariable = rec.intPar(4) == 1;
            r.phiMaxVariable = rec.intPar(5) == 1;
        }
        return std::nullopt;
    }

    static Diagnostic checkRelativeMotions(const Restriction& r, const SynthesisProblem& problem)
    {
        const int n = problem.settings.motionCount;
        if (r.motion < 1 || r.motion > n)
            return fail(r.recordNumber, restrictionField(1), "Bewegungsvorgabe " + str(r.motion) + " gibt es nicht");
        if (r.motion2 < 1 || r.motion2 > n)
            return fail(r.recordNumber, restrictionField(2), "Bewegungsvorgabe " + str(r.motion2) + " gibt es nicht");
        if (r.motion == r.motion2)
            return fail(r.recordNumber, restrictionField(2),
                        "eine relative Restriktion braucht zwei verschiedene Bewegungsvorgaben, beide sind " + str(r.motion));
        return std::nullopt;
    }

    // Motion-dependent fields and the consistency rules the application's editor enforces.
    static Diagnostic checkRestriction(Restriction& r, const Motion& motion, const ProjectSettings& settings)
    {
        const int number = r.recordNumber;
        const RawRecord& rec = r.record;
        auto R = [&](int i) { return rec.realPar(i); };
        if (r.family == RestrictionFamily::SpectrumHarmonic && (r.harmonic < 1 || r.harmonic > motion.harmonics))
            return fail(number, restrictionField(2),
                        "Harmonische " + str(r.harmonic) + " außerhalb von 1.." + str(motion.harmonics));
        if (r.isSpectrum()) {
            if (rec.intPar(6) != 0 && !(R(6) > R(5)))
                return fail(number, realField(5),
                            "die variable Schranke (" + str(R(5)) + ") muss unter der Schranke " + str(R(6)) + " liegen");
            return std::nullopt;
        }

        const int groupNo = rec.intPar(8);
        if (groupNo > settings.objectCount)
            return fail(number, restrictionField(8),
                        "Optimierungsobjekt " + str(groupNo) + " über der Anzahl des Projekts ("
                            + str(settings.objectCount) + ")");
        r.group = (groupNo > 0 && !r.checkOnly) ? groupNo : 0;

        const bool interval = r.family == RestrictionFamily::Interval;
        if (interval) {
            const int phiMinVar = rec.intPar(4);
            const int phiMaxVar = rec.intPar(5);
            if (phiMinVar != 0 && R(2) <= R(1))
                return fail(number, realField(1), "die variable Grenze des unteren Winkels muss unter ihm liegen");
            if (phiMaxVar != 0 && R(3) <= R(4))
                return fail(number, realField(3), "die variable Grenze des oberen Winkels muss über ihm liegen");
            if (phiMinVar == 1 && R(4) < R(1))
                return fail(number, realField(1), "die variable Grenze des unteren Winkels liegt über dem oberen Winkel");
            if (phiMaxVar == 1 && R(3) < R(2))
                return fail(number, realField(3), "die variable Grenze des oberen Winkels liegt unter dem unteren Winkel");
            if (!(R(4) > R(2)))
                return fail(number, realField(4), "der obere Winkel muss über dem unteren liegen");
        }
        if (r.lower == BoundMode::Variable && R(5) <= R(6))
            return fail(number, realField(5), "die variable Grenze der unteren Schranke muss über ihr liegen");
        if (r.upper == BoundMode::Variable && R(8) <= R(7))
            return fail(number, realField(7), "die variable Grenze der oberen Schranke muss unter ihr liegen");
        if (r.lower != BoundMode::None && r.upper != BoundMode::None) {
            if (r.lower == BoundMode::Variable && R(8) < R(5))
                return fail(number, realField(5), "die variable untere Schranke liegt über der oberen Schranke");
            if (r.upper == BoundMode::Variable && R(7) < R(6))
                return fail(number, realField(7), "die variable obere Schranke liegt unter der unteren Schranke");
            if (interval ? !(R(8) > R(6)) : !(R(8) >= R(6)))
                return fail(number, realField(8), "die obere Schranke muss über der unteren liegen");
        }
        if (groupNo > 0) {
            if (!(R(9) <= R(2) && R(2) <= R(10)))
                return fail(number, realField(9), "der Winkel liegt außerhalb seines Verschiebebereichs RealPar[9]..RealPar[10]");
            if (interval && !(R(11) <= R(4) && R(4) <= R(12)))
                return fail(number, realField(11),
                            "der obere Winkel liegt außerhalb seines Verschiebebereichs RealPar[11]..RealPar[12]");
            if (interval && !(R(10) <= R(11)))
                return fail(number, realField(10), "der Verschiebebereich des unteren Winkels überschneidet den des oberen");
        }
        if (r.isRelative() && rec.intPar(1) == rec.intPar(2))
            return fail(number, restrictionField(2), "beide Bewegungsvorgaben einer relativen Restriktion sind dieselbe");
        return std::nullopt;
    }

    const std::vector<RawRecord>& records_;
};

long long harmonicLimit(int motions) { return (240LL - 2LL * motions) / 4; }

} // namespace

bool isResonant(int harmonics, double eta, double theta)
{
    if (theta != 0.0 || !(eta > 0.0))
        return false;
    const double nearest = std::round(1.0 / eta);
    if (nearest < 1.0 || nearest > static_cast<double>(harmonics))
        return false;
    return std::abs(nearest * eta - 1.0) <= kResonanceTolerance;
}

ValidationResult validateRecords(const std::vector<RawRecord>& records)
{
    ValidationResult result;
    if (records.empty()) {
        result.code = ResultCodes::InputError;
        result.message = InputDiagnostic{1, "", "die Datei enthält keinen Datensatz"}.text();
        return result;
    }
    RecordValidator validator(records);
    if (auto diagnostic = validator.run(result.problem)) {
        result.code = ResultCodes::InputError;
        result.message = diagnostic->text();
        return result;
    }

    const SynthesisProblem& problem = result.problem;
    const int n = problem.settings.motionCount;
    long long harmonicSum = 0;
    for (const Motion& m : problem.motions)
        harmonicSum += m.harmonics;
    if (n > kMaxMotions) {
        result.code = ResultCodes::TooLarge;
        result.message = "Das System ist zu groß: " + str(n) + " Bewegungsvorgaben, höchstens " + str(kMaxMotions) + " sind möglich";
    } else if (harmonicSum > harmonicLimit(n)) {
        result.code = ResultCodes::TooLarge;
        result.message = "Das System ist zu groß: die Bewegungsvorgaben haben zusammen " + str(harmonicSum) + " Harmonische, bei "
            + str(n) + " Bewegungsvorgaben sind höchstens " + str(harmonicLimit(n)) + " möglich";
    } else if (problem.restrictions.size() > static_cast<std::size_t>(kMaxRestrictions)) {
        result.code = ResultCodes::TooLarge;
        result.message = "Das System ist zu groß: " + str(problem.restrictions.size()) + " Restriktionen, höchstens "
            + str(kMaxRestrictions) + " sind möglich";
    }
    if (result.code != 0)
        return result;

    for (const Motion& m : problem.motions) {
        if (isResonant(m.harmonics, m.eta, m.theta)) {
            result.code = ResultCodes::Resonance;
            result.message = "Resonanz: Bewegungsvorgabe " + str(m.number) + " (Datensatz " + str(m.recordNumber)
                + ") ist ungedämpft und bei eta " + str(m.eta) + " in Resonanz";
            return result;
        }
    }
    return result;
}

} // namespace vemra::module
