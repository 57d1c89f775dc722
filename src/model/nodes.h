// The node classes of the project tree: projects, motion definitions
// (absolute and relative), restrictions, optimisation objects and their
// members. Nodes know their parameters; the tree (project_tree.h) knows where
// they stand.
#pragma once

#include "display_record.h"
#include "result_outcome.h"
#include "tvector.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vemra {

class TreeItem;

// Restriction kind codes: the tens digit is the family, the units digit the
// derivative order (or, for sum kinds, the exponent).
inline bool isPointKind(int kind) { return (kind >= 0 && kind <= 3) || (kind >= 40 && kind <= 43); }
inline bool isIntervalKind(int kind) { return (kind >= 10 && kind <= 13) || (kind >= 50 && kind <= 53); }
inline bool isSumKind(int kind) { return kind >= 20 && kind <= 23; }
inline bool isSpectrumKind(int kind) { return kind >= 20 && kind <= 24; }
inline bool isRelativeKind(int kind) { return (kind >= 40 && kind <= 43) || (kind >= 50 && kind <= 53); }
inline bool isBandKind(int kind) { return isPointKind(kind) || isIntervalKind(kind); }

// Base of every node: the generic parameter block that the project file and
// the module input store in one layout for all classes. Index 0 of both
// arrays is unused so that IntPar[1..9] and RealPar[1..12] read as everywhere
// else in the product.
class TNLMember {
public:
    TNLMember() = default;
    TNLMember(const TNLMember&) = delete;
    TNLMember& operator=(const TNLMember&) = delete;
    virtual ~TNLMember() = default;

    std::array<int32_t, 10> IntPar{};
    std::array<double, 13> RealPar{};
    std::string Caption;
    int32_t SortKey = 0;
    bool Deleting = false;
    bool Valid = true;
    bool Modified = true;
    bool Highlight = false;

    // The number the module input gives every record, so that results find
    // the restriction they belong to. (A project or motion record keeps other
    // values in the same field when it is written to the project file.)
    int32_t& Ident() { return IntPar[9]; }
    int32_t Ident() const { return IntPar[9]; }

    // Copies IntPar[1..8] (not the record number IntPar[9]), RealPar, Caption
    // and SortKey; flags stay.
    virtual void CopyBase(TNLMember& dest) const;
    virtual void MakeCaption();
    // Stores the result in Valid and returns it.
    virtual bool Check() = 0;

protected:
    void setCaption(const std::string& text);
};

// A motion definition with a computed result: the coefficients of s, of
// the output motion q and of the drive torque term, and how it is drawn.
class TPaintObj : public TNLMember {
public:
    TPaintObj();

    TVector sSC;
    TVector qSC;
    TVector mSC;
    bool HasResult = false;
    bool ResultValid = false;
    uint8_t QStyle = 0;
    uint8_t SStyle = 0;
    int32_t QColor = 0;
    int32_t SColor = 0;
    int32_t MinColor = 0;
    int32_t MaxColor = 0;
    int32_t DomainColor = 0;
    int32_t ActivColor = 0;
    int32_t ResultHarm = 0;

    // Harmonic count K of the motion law (of a relative motion: half the
    // longer coefficient series of its two motions).
    int32_t& Harmonics() { return IntPar[3]; }
    int32_t Harmonics() const { return IntPar[3]; }

    DisplayRecord displayRecord() const;
    void setDisplayRecord(const DisplayRecord& r);

    // Copies the generic block and the three coefficient vectors; the result
    // flags of dest stay as they are.
    virtual void CopyTo(TPaintObj& dest) const;
    virtual void Duplicate(TPaintObj& dest) const;

    // Fourier evaluation; angles in degrees, derivatives by radians.
    double s_sin(uint8_t order, uint8_t k) const;
    double s_cos(uint8_t order, uint8_t k) const;
    double q_sin(uint8_t order, uint8_t k) const;
    double q_cos(uint8_t order, uint8_t k) const;
    double m_sin(int k) const;
    double m_cos(int k) const;

    virtual double Calc_s(uint8_t order, double phi) const;
    virtual double Calc_q(uint8_t order, double phi) const;
    virtual double Calc_M(double phi) const;
    // On entry lo..hi is the angle interval, on return the value range.
    virtual void GetMinMax_s(uint8_t order, double& lo, double& hi) const;
    virtual void GetMinMax_q(uint8_t order, double& lo, double& hi) const;
    virtual void GetMinMax_M(double& lo, double& hi) const;
    // Widens phiFrom..phiTo to the largest interval on which s^(order) stays
    // within lower..upper.
    virtual void GetMinMax_phi(uint8_t order, double& phiFrom, double& phiTo, double lower, double upper) const;
};

class TProject : public TNLMember {
public:
    std::string FileName;
    std::string Description;
    bool HasResults = false;
    bool Computed = false;
    bool AllValid = false;
    bool Unsaved = true;
    bool Computing = false;
    bool TestRun = false;
    // What the last computation in this session said; never stored.
    std::optional<ComputationOutcome> LastOutcome;

    // Highest number of an absolute motion definition; new ones get the next.
    int32_t& MotionCount() { return IntPar[3]; }
    int32_t MotionCount() const { return IntPar[3]; }
    // The advanced settings of the shift search.
    int32_t& SamplesPerStep() { return IntPar[4]; }
    int32_t SamplesPerStep() const { return IntPar[4]; }
    int32_t& OptimisationSteps() { return IntPar[5]; }
    int32_t OptimisationSteps() const { return IntPar[5]; }
    int32_t& AdvancedSettings() { return IntPar[6]; }
    int32_t AdvancedSettings() const { return IntPar[6]; }
    double& StepWidth() { return RealPar[1]; }
    double StepWidth() const { return RealPar[1]; }
    // Copies of AllValid and HasResults made when the project is written.
    int32_t& StoredAllValid() { return IntPar[7]; }
    int32_t StoredAllValid() const { return IntPar[7]; }
    int32_t& StoredHasResults() { return IntPar[9]; }
    int32_t StoredHasResults() const { return IntPar[9]; }
    // Highest number of an optimisation object.
    int32_t& GroupCount() { return IntPar[8]; }
    int32_t GroupCount() const { return IntPar[8]; }

    void CopyTo(TProject& dest) const;
    void MakeCaption() override;
    bool Check() override;
};

// Absolute motion definition number IntPar[2] with K = IntPar[3]
// harmonics, eta (RealPar[2], variable towards RealPar[1] when IntPar[4] is
// set) and theta (RealPar[3]).
class TRXHeader : public TPaintObj {
public:
    TRXHeader();

    std::string ShortName;
    double TestEta = 0;
    double TestTheta = 0;

    int32_t& Number() { return IntPar[2]; }
    int32_t Number() const { return IntPar[2]; }
    // Non-zero: eta is variable between EtaMax and EtaLimit.
    int32_t& EtaVariable() { return IntPar[4]; }
    int32_t EtaVariable() const { return IntPar[4]; }
    double& EtaLimit() { return RealPar[1]; }
    double EtaLimit() const { return RealPar[1]; }
    double& EtaMax() { return RealPar[2]; }
    double EtaMax() const { return RealPar[2]; }
    double& Theta() { return RealPar[3]; }
    double Theta() const { return RealPar[3]; }
    // Written with the motion record: ResultHarm of an outdated result (0
    // when current), the coefficient count of a result, the number of
    // restrictions that follow.
    int32_t& StoredResultHarm() { return IntPar[7]; }
    int32_t StoredResultHarm() const { return IntPar[7]; }
    int32_t& StoredCoefficientCount() { return IntPar[8]; }
    int32_t StoredCoefficientCount() const { return IntPar[8]; }
    int32_t& RestrictionCount() { return IntPar[9]; }
    int32_t RestrictionCount() const { return IntPar[9]; }

    void Duplicate(TPaintObj& dest) const override;
    void MakeCaption() override;
    bool Check() override;
};

// The difference motion of the absolute motions |IntPar[1]| and IntPar[2].
class TRelHeader : public TPaintObj {
public:
    // May carry a minus sign (the mark of its restrictions); the motion is
    // its magnitude.
    int32_t& FirstMotion() { return IntPar[1]; }
    int32_t FirstMotion() const { return IntPar[1]; }
    int32_t& SecondMotion() { return IntPar[2]; }
    int32_t SecondMotion() const { return IntPar[2]; }

    void Duplicate(TPaintObj& dest) const override;
    void MakeCaption() override;
    bool Check() override;
};

class TRestr : public TNLMember {
public:
    bool IsGlobal = false;
    std::array<double, 13> EffPar{}; // 1..12
    std::array<double, 5> ActS{};    // 1..4
    std::array<double, 5> ActQ{};    // 1..4

    int32_t& Motion() { return IntPar[1]; }
    int32_t Motion() const { return IntPar[1]; }
    int32_t& Motion2() { return IntPar[2]; }
    int32_t Motion2() const { return IntPar[2]; }
    int32_t& Harmonic() { return IntPar[2]; }
    int32_t Harmonic() const { return IntPar[2]; }
    int32_t& Kind() { return IntPar[3]; }
    int32_t Kind() const { return IntPar[3]; }
    int32_t& PhiMinVar() { return IntPar[4]; }
    int32_t PhiMinVar() const { return IntPar[4]; }
    int32_t& PhiMaxVar() { return IntPar[5]; }
    int32_t PhiMaxVar() const { return IntPar[5]; }
    int32_t& LowerMode() { return IntPar[6]; }
    int32_t LowerMode() const { return IntPar[6]; }
    int32_t& UpperMode() { return IntPar[7]; }
    int32_t UpperMode() const { return IntPar[7]; }
    int32_t& GroupNo() { return IntPar[8]; }
    int32_t GroupNo() const { return IntPar[8]; }
    // Angles in degrees: the point angle (point kinds) is the lower angle.
    double& PhiMinLimit() { return RealPar[1]; }
    double PhiMinLimit() const { return RealPar[1]; }
    double& PhiMin() { return RealPar[2]; }
    double PhiMin() const { return RealPar[2]; }
    double& Phi() { return RealPar[2]; }
    double Phi() const { return RealPar[2]; }
    double& PhiMaxLimit() { return RealPar[3]; }
    double PhiMaxLimit() const { return RealPar[3]; }
    double& PhiMax() { return RealPar[4]; }
    double PhiMax() const { return RealPar[4]; }
    // Bounds and their variable limits; spectrum kinds keep their bound c in
    // Lower and its variable limit in LowerLimit.
    double& LowerLimit() { return RealPar[5]; }
    double LowerLimit() const { return RealPar[5]; }
    double& Lower() { return RealPar[6]; }
    double Lower() const { return RealPar[6]; }
    double& UpperLimit() { return RealPar[7]; }
    double UpperLimit() const { return RealPar[7]; }
    double& Upper() { return RealPar[8]; }
    double Upper() const { return RealPar[8]; }
    double& SpectrumLimit() { return RealPar[5]; }
    double SpectrumLimit() const { return RealPar[5]; }
    double& SpectrumBound() { return RealPar[6]; }
    double SpectrumBound() const { return RealPar[6]; }
    // Where a shiftable restriction may move: its lower (or point) angle
    // within ShiftMinFrom..ShiftMinTo, its upper angle within
    // ShiftMaxFrom..ShiftMaxTo.
    double& ShiftMinFrom() { return RealPar[9]; }
    double ShiftMinFrom() const { return RealPar[9]; }
    double& ShiftMinTo() { return RealPar[10]; }
    double ShiftMinTo() const { return RealPar[10]; }
    double& ShiftMaxFrom() { return RealPar[11]; }
    double ShiftMaxFrom() const { return RealPar[11]; }
    double& ShiftMaxTo() { return RealPar[12]; }
    double ShiftMaxTo() const { return RealPar[12]; }
    // The same fields as the last computation used them.
    double EffPhiMin() const { return EffPar[2]; }
    double EffPhiMax() const { return EffPar[4]; }
    double EffLower() const { return EffPar[6]; }
    double EffUpper() const { return EffPar[8]; }

    void CopyTo(TRestr& dest) const;
    void MakeCaption() override;
    bool Check() override;

    // How the s resp. q curve of motion t actually behaves against this
    // restriction (after a computation); writes ActS resp. ActQ.
    void UpdateActualValuesS(const TPaintObj& t);
    void UpdateActualValuesQ(const TPaintObj& t);
};

// Global optimisation object number IntPar[1].
class TGroupHeader : public TNLMember {
public:
    int32_t& Number() { return IntPar[1]; }
    int32_t Number() const { return IntPar[1]; }
    void MakeCaption() override;
    bool Check() override;
};

// One restriction taking part in an optimisation object.
class TGroupMember : public TNLMember {
public:
    TreeItem* RefTNR = nullptr; // not owned

    TRestr* restriction() const;
    void MakeCaption() override;
    bool Check() override;
};

} // namespace vemra
