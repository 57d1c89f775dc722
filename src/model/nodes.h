// The node classes of the project tree: projects, motion definitions
// (absolute and relative), restrictions, optimisation objects and their
// members. Nodes know their parameters; the tree (project_tree.h) knows where
// they stand.
#pragma once

#include "display_record.h"
#include "tvector.h"

#include <array>
#include <cstdint>
#include <string>

namespace vemra {

class RecordWriter;
class RecordReader;
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

    // Copies IntPar[1..8] (not the record number IntPar[9]), RealPar, Caption
    // and SortKey; flags stay.
    virtual void CopyBase(TNLMember& dest) const;
    virtual void MakeCaption();
    // Stores the result in Valid and returns it.
    virtual bool Check() = 0;
    // The two-line generic record of the project file; clears Modified.
    virtual void WriteTo(RecordWriter& out);
    virtual void ReadFrom(RecordReader& in);

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

    DisplayRecord displayRecord() const;
    void setDisplayRecord(const DisplayRecord& r);

    // Copies the generic block and the three coefficient vectors; the result
    // flags of dest stay as they are.
    virtual void CopyTo(TPaintObj& dest) const;
    virtual void Duplicate(TPaintObj& dest) const;

    // Motion record with coefficients and display line.
    virtual void Save(RecordWriter& out);
    virtual void Load(RecordReader& in);

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

    void CopyTo(TProject& dest) const;
    void MakeCaption() override;
    bool Check() override;
    void WriteTo(RecordWriter& out) override;
    void ReadFrom(RecordReader& in) override;
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

    int32_t Number() const { return IntPar[2]; }
    int32_t Harmonics() const { return IntPar[3]; }

    void Duplicate(TPaintObj& dest) const override;
    void MakeCaption() override;
    bool Check() override;
    void Save(RecordWriter& out) override;
    void Load(RecordReader& in) override;
};

// The difference motion of the absolute motions |IntPar[1]| and IntPar[2].
class TRelHeader : public TPaintObj {
public:
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
    int32_t& Ident() { return IntPar[9]; }
    int32_t Ident() const { return IntPar[9]; }

    void CopyTo(TRestr& dest) const;
    void MakeCaption() override;
    bool Check() override;
    void WriteTo(RecordWriter& out) override;
    void ReadFrom(RecordReader& in) override;

    // How the s resp. q curve of motion t actually behaves against this
    // restriction (after a computation); writes ActS resp. ActQ.
    void UpdateActualValuesS(const TPaintObj& t);
    void UpdateActualValuesQ(const TPaintObj& t);
};

// Global optimisation object number IntPar[1].
class TGroupHeader : public TNLMember {
public:
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
