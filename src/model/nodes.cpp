#include "nodes.h"

#include "numeric.h"
#include "file_names.h"
#include "project_tree.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vemra {

namespace {

int32_t clampToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(std::clamp(v, double(std::numeric_limits<int32_t>::min()),
                                           double(std::numeric_limits<int32_t>::max())));
}

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A number as restriction captions show it.
std::string captionNumber(double v)
{
    return trimmed(FormatSig(4, v));
}

} // namespace

// --- TNLMember --------------------------------------------------------------

void TNLMember::setCaption(const std::string& text)
{
    Caption = cut255(text);
}

void TNLMember::CopyBase(TNLMember& dest) const
{
    std::copy(IntPar.begin() + 1, IntPar.begin() + 9, dest.IntPar.begin() + 1);
    dest.RealPar = RealPar;
    dest.Caption = Caption;
    dest.SortKey = SortKey;
}

void TNLMember::MakeCaption()
{
    setCaption("Fehler");
}

// --- TPaintObj --------------------------------------------------------------

TPaintObj::TPaintObj()
{
    setDisplayRecord(diagramDefaults());
}

DisplayRecord TPaintObj::displayRecord() const
{
    DisplayRecord r;
    r.QStyle = QStyle;
    r.SStyle = SStyle;
    r.QColor = QColor;
    r.SColor = SColor;
    r.MinColor = MinColor;
    r.MaxColor = MaxColor;
    r.DomainColor = DomainColor;
    r.ActivColor = ActivColor;
    return r;
}

void TPaintObj::setDisplayRecord(const DisplayRecord& r)
{
    QStyle = r.QStyle;
    SStyle = r.SStyle;
    QColor = r.QColor;
    SColor = r.SColor;
    MinColor = r.MinColor;
    MaxColor = r.MaxColor;
    DomainColor = r.DomainColor;
    ActivColor = r.ActivColor;
}

void TPaintObj::CopyTo(TPaintObj& dest) const
{
    CopyBase(dest);
    dest.sSC.assign(sSC);
    dest.qSC.assign(qSC);
    dest.mSC.assign(mSC);
}

void TPaintObj::Duplicate(TPaintObj& dest) const
{
    TPaintObj::CopyTo(dest);
}

// --- TProject ---------------------------------------------------------------

void TProject::CopyTo(TProject& dest) const
{
    dest.FileName.clear();
    dest.HasResults = HasResults;
    dest.AllValid = AllValid;
    CopyBase(dest);
}

void TProject::MakeCaption()
{
    setCaption(FileName.empty() ? std::string("neues Projekt") : fileNamePart(FileName));
    SortKey = 0;
}

bool TProject::Check()
{
    return Valid = true;
}

// --- TRXHeader --------------------------------------------------------------

TRXHeader::TRXHeader()
{
    Harmonics() = 1;
}

void TRXHeader::Duplicate(TPaintObj& dest) const
{
    if (auto* rx = dynamic_cast<TRXHeader*>(&dest))
        rx->ShortName = cut255(ShortName + " (Kopie)");
    TPaintObj::CopyTo(dest);
}

void TRXHeader::MakeCaption()
{
    setCaption("Bewegungsvorgabe (abs) " + std::to_string(Number()));
    SortKey = Number();
}

bool TRXHeader::Check()
{
    Valid = EtaVariable() == 0 || EtaMax() <= EtaLimit();
    return Valid;
}

// --- TRelHeader -------------------------------------------------------------

void TRelHeader::Duplicate(TPaintObj& dest) const
{
    TPaintObj::CopyTo(dest);
}

void TRelHeader::MakeCaption()
{
    const int64_t first = std::abs(static_cast<int64_t>(FirstMotion()));
    setCaption("Bewegungsvorgabe (rel) " + std::to_string(first) + "-" + std::to_string(SecondMotion()));
    SortKey = clampToInt32(double(first) * 100 + SecondMotion());
}

bool TRelHeader::Check()
{
    return Valid = true;
}

// --- TRestr -----------------------------------------------------------------

void TRestr::CopyTo(TRestr& dest) const
{
    dest.IsGlobal = IsGlobal;
    dest.EffPar = EffPar;
    dest.ActS = ActS;
    dest.ActQ = ActQ;
    CopyBase(dest);
}

void TRestr::MakeCaption()
{
    const int kind = Kind();
    const std::string order = std::to_string(kind % 10);
    const auto& R = RealPar;
    auto boundPart = [&] {
        return (LowerMode() > -1 ? captionNumber(R[6]) : std::string()) + " ... " +
               (UpperMode() > -1 ? captionNumber(R[8]) : std::string()) + ")";
    };

    std::string text;
    if (isPointKind(kind))
        text = "[s" + order + "]: " + captionNumber(R[2]) + " -> (" + boundPart();
    else if (isIntervalKind(kind))
        text = "[s" + order + "]: (" + (PhiMinVar() > -1 ? captionNumber(R[2]) : std::string()) + " ... " +
               (PhiMaxVar() > -1 ? captionNumber(R[4]) : std::string()) + ") -> (" + boundPart();
    else if (isSumKind(kind))
        text = "[S" + order + "]: Sum -> ... " + captionNumber(R[6]);
    else if (kind == 24)
        text = "[h" + std::to_string(Harmonic()) + "]: nrm -> ... " + captionNumber(R[6]);

    const bool valid = Check();
    if (Motion() < 0)
        text = "K " + text;
    else if (!valid)
        text = "! " + text;
    setCaption(text);

    if (isSpectrumKind(kind))
        SortKey = clampToInt32(double(kind) * 100000 + 10000);
    else
        // nearbyint rounds ties to even in the default rounding mode.
        SortKey = clampToInt32(double(kind) * 100000 + std::nearbyint(R[2] * 10000 / 360));
}

bool TRestr::Check()
{
    const int kind = Kind();
    const auto& R = RealPar;
    bool ok = true;
    if (isSpectrumKind(kind)) {
        ok = LowerMode() == 0 || R[6] > R[5];
        return Valid = ok;
    }
    if (!isBandKind(kind))
        return Valid = true;

    const bool interval = isIntervalKind(kind);
    if (interval) {
        if ((PhiMinVar() != 0 && R[2] <= R[1]) || (PhiMaxVar() != 0 && R[3] <= R[4]))
            ok = false;
        if (PhiMinVar() == 1 && !(R[4] >= R[1]))
            ok = false;
        if (PhiMaxVar() == 1 && !(R[3] >= R[2]))
            ok = false;
        if (!(R[4] > R[2]))
            ok = false;
    }
    const auto fixedOrNone = [](int mode) { return mode == -1 || mode == 0; };
    if ((!fixedOrNone(LowerMode()) && R[5] <= R[6]) || (!fixedOrNone(UpperMode()) && R[8] <= R[7]))
        ok = false;
    if (LowerMode() > -1 && UpperMode() > -1) {
        if (LowerMode() == 1 && !(R[8] >= R[5]))
            ok = false;
        if (UpperMode() == 1 && !(R[7] >= R[6]))
            ok = false;
        if (interval ? !(R[8] > R[6]) : !(R[8] >= R[6]))
            ok = false;
    }
    if (IsGlobal) {
        if (!(R[9] <= R[2] && R[2] <= R[10]))
            ok = false;
        if (interval && !(R[11] <= R[4] && R[4] <= R[12] && R[10] <= R[11]))
            ok = false;
    }
    if (isRelativeKind(kind) && Motion() == Motion2())
        ok = false;
    return Valid = ok;
}

// --- optimisation objects -----------------------------------------------------

void TGroupHeader::MakeCaption()
{
    setCaption("Optimierungsobjekt " + std::to_string(Number()));
    SortKey = clampToInt32(double(Number()) + 1000);
}

bool TGroupHeader::Check()
{
    return Valid = true;
}

TRestr* TGroupMember::restriction() const
{
    return RefTNR ? RefTNR->NodeAs<TRestr>() : nullptr;
}

void TGroupMember::MakeCaption()
{
    TRestr* r = restriction();
    if (!r) {
        TNLMember::MakeCaption();
        return;
    }
    std::string text = r->Caption;
    if (r->Kind() < 20) {
        // Behind the tag "[sk]", or behind the two-character prefix before it.
        const size_t at = (r->Motion() >= 0 && Check()) ? 4 : 6;
        text.insert(std::min(at, text.size()), "(" + std::to_string(r->Motion()) + ")");
    }
    setCaption(text);
    const double x = r->Kind() < 20 ? r->Motion2() : 0;
    SortKey = clampToInt32(10000000.0 - x + 1000000.0 * r->Motion() + r->SortKey);
}

bool TGroupMember::Check()
{
    TRestr* r = restriction();
    Valid = r ? r->Check() : true;
    return Valid;
}

} // namespace vemra
