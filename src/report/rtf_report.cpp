#include "rtf_report.h"

#include "rtf_text.h"

#include "model/numeric.h"
#include "model/project_tree.h"
#include "model/tree_ops.h"

#include <algorithm>
#include <cmath>

namespace vemra {

namespace {

// In the Symbol font (font 2) these single bytes show as the mathematical
// signs; "h", "q", "j" and "S" there show as eta, theta, phi and sigma.
const std::string LessEqual = "\xA3";
const std::string SquareRoot = "\xD6";

// Paragraph openings of the requirement lines and of the formula lines:
// body text with the tab stops the columns of bounds, signs and angles use.
const std::string ParReq = R"(\par\pard\plain\li1200\f0\fs24\li600\s0\tqdec\tx2500\tqdec\tx4000\tqc\tx5200)"
                           R"(\tqc\tx5500\tqc\tx5800\tqdec\tx7000\tqdec\tx8500)";
const std::string ParFormula
    = R"(\par\pard\plain\li1200\f0\fs24\li600\s0\tql\tx2500\tqc\tx5500\tqc\tx5800\tqdec\tx7000\tqdec\tx8500)";

const std::string HeadingMotion = R"(\par\pard\plain\li1200\f1\fs28\b\sb108\sa54\keepn\s2 )";
const std::string Info = R"(\par\pard\plain\li1200\f1\fs24\i\sb24\sa24\keep\keepn\s4)";
const std::string Section = R"(\par\pard\plain\li1200\f1\fs24\b\i\sb72\sa36\keepn\s3)";
const std::string Sub = R"(\sub\dn6\charscalex50)";
const std::string Super = R"(\super\up6\charscalex50)";

// "s" followed by one apostrophe per derivative order (or "q"...).
std::string curveLabel(char curve, int order)
{
    std::string label(1, curve);
    label.append(static_cast<size_t>(std::clamp(order, 0, 3)), '\'');
    return label;
}

bool hasLowerBound(const TRestr& r)
{
    return r.LowerMode() > -1;
}

bool hasUpperBound(const TRestr& r)
{
    return r.UpperMode() > -1;
}

bool isAbsoluteBandKind(int kind)
{
    return (kind >= 0 && kind <= 3) || (kind >= 10 && kind <= 13);
}

class ReportWriter {
public:
    ReportWriter(const TreeItem* projectItem, const ReportDate& date)
        : item_(projectItem), project_(*projectItem->NodeAs<TProject>()), date_(date.text())
    {
    }

    std::vector<std::string> generate()
    {
        ChopEps = 1e-6;
        lines_ = RtfHeaderLines();
        const std::string name = escapeRtfText(item_->Text());
        add(RtfLine(R"({\header\pard\plain\f1\fs16\qj\b\i\ul\tqr\tx9023 )") << name << R"(\tab )" << date_
                                                                               << R"(\par})");
        add(R"({\headerf\pard\plain\par})");
        add(RtfLine(R"(\pard\plain\li1200\f1\fs32\b\qc\sb144\sa72\keepn\s1 Projekt: )") << name);
        if (!project_.Description.empty())
            add(RtfLine(Info) << R"(\qc )" << escapeRtfText(project_.Description));
        add(RtfLine(Info) << R"(\qc Stand: )" << date_);
        for (int i = 0; i < item_->ChildCount(); ++i) {
            const TreeItem* child = item_->Child(i);
            if (child->NodeAs<TRXHeader>())
                absoluteSection(child);
            else if (child->NodeAs<TRelHeader>())
                relativeSection(child);
        }
        add("}");
        return std::move(lines_);
    }

private:
    void add(const std::string& line) { lines_.push_back(line); }

    bool resultsShown(const TPaintObj& motion) const { return project_.HasResults && hasCurrentCoefficients(motion); }

    void absoluteSection(const TreeItem* motionItem)
    {
        const auto& m = *motionItem->NodeAs<TRXHeader>();
        add(RtfLine(HeadingMotion) << escapeRtfText(motionItem->Text()));
        if (!m.ShortName.empty())
            add(RtfLine(Info) << " " << escapeRtfText(m.ShortName));
        RtfLine eta(ParReq);
        eta << R"(\tab\tab\tab\tab {\f2 h}\tab =\tab )" << F6(m.EtaMax());
        if (m.EtaVariable() == 1)
            eta << R"(\tab ()" << F6(m.EtaLimit()) << ")";
        add(eta);
        add(RtfLine(ParReq) << R"(\tab\tab\tab\tab {\f2 q}\tab =\tab )" << F6(m.Theta()));

        if (resultsShown(m)) {
            coefficients(m);
            extrema(m);
        }
        int i = 0;
        for (int k = 0; k < motionItem->ChildCount(); ++k)
            if (const auto* r = motionItem->Child(k)->NodeAs<TRestr>())
                requirement(*r, m, ++i, false);
    }

    void relativeSection(const TreeItem* motionItem)
    {
        const auto& m = *motionItem->NodeAs<TRelHeader>();
        add(RtfLine(HeadingMotion) << escapeRtfText(motionItem->Text()));
        int i = 0;
        for (int k = 0; k < motionItem->ChildCount(); ++k)
            if (const auto* r = motionItem->Child(k)->NodeAs<TRestr>())
                requirement(*r, m, ++i, true);
    }

    void coefficients(const TRXHeader& m)
    {
        add(RtfLine(Section) << R"( Fourierkoeffizienten\plain\f0\fs24  ({\f2 h} = )" << F6(Chop(m.s_sin(0, 0)))
                             << ")");
        add(R"(\par\pard\plain\li1200\f0\fs24\li600\s0\tqr\tx2000\tql\tx2500\tql\tx4000\tql\tx5500\tab n\tab s{)" + Sub +
            R"( n}\tab c{)" + Sub + R"( n}\tab {\f2 )" + SquareRoot + R"(} (c{)" + Sub + R"( n}{)" + Super +
            R"( 2} + s{)" + Sub + R"( n}{)" + Super + R"( 2}))");
        add(RtfLine(R"(\par\pard\plain\li1200\f0\fs24\li600\s0\tqr\tx2000\tqdec\tx2500\tqdec\tx4000\tqdec\tx5500)"
                    R"(\tab 0\tab \tab )")
            << F6(m.s_cos(0, 0)));
        // A damaged file may promise more harmonics than it carries; the
        // table ends with the last pair that is there.
        const int harmonics = std::min<int>(m.Harmonics(), std::min(m.sSC.Count() / 2 - 1, 255));
        for (int n = 1; n <= harmonics; ++n) {
            const auto k = static_cast<uint8_t>(n);
            const double s = m.s_sin(0, k);
            const double c = m.s_cos(0, k);
            RtfLine line(R"(\par\tab )");
            line << n << R"(\tab )" << F6(Chop(s)) << R"(\tab )" << F6(Chop(c)) << R"(\tab )"
                           << F6(Chop(std::sqrt(s * s + c * c)));
            add(line);
        }
    }

    void extrema(const TPaintObj& m)
    {
        add(Section + " Extrema:");
        for (uint8_t d = 0; d <= 3; ++d) {
            double lo = 0;
            double hi = 360;
            m.GetMinMax_s(d, lo, hi);
            if (d == 0) {
                add(RtfLine(R"(\par\pard\plain\li1200\f0\fs24\li600\s0\tql\tx2500\tqc\tx3300\tqdec\tx4000\tab s{)" +
                            Sub + R"(min}\tab =\tab )")
                    << F6(Chop(lo)));
                add(RtfLine(R"(\par\tab s{)" + Sub + R"(max}\tab =\tab )") << F6(Chop(hi)));
            } else {
                const double largest = std::fabs(lo) > hi ? std::fabs(lo) : hi;
                add(RtfLine(R"(\par\tab |)" + curveLabel('s', d) + "|{" + Sub + R"(max}\tab =\tab )")
                    << F6(Chop(largest)));
            }
        }
    }

    // The title, the bounds, the angle or formula, the shift ranges and the
    // result of one restriction.
    void requirement(const TRestr& r, const TPaintObj& motion, int i, bool relative)
    {
        const int kind = r.Kind();
        const int d = ((kind % 10) + 10) % 10;
        const bool shiftable = r.GroupNo() > 0;

        RtfLine title(Section);
        title << R"(\tqdec\tx2500\tqdec\tx4000\tqc\tx5200\tqc\tx5500\tqc\tx5800\tqdec\tx7000\tqdec\tx8500 Forderung )";
        title << i;
        if (!relative && kind < 14 && shiftable)
            title << R"({\plain\f0\fs24\i   (verkn\'FCpft im Optimierungsobjekt {\b )" << r.GroupNo()
                  << "})}";
        add(title);

        const bool known = relative ? isRelativeKind(kind) : (isAbsoluteBandKind(kind) || isSpectrumKind(kind));
        if (!known) {
            add(RtfLine(ParReq) << R"(\tab\tab\tab\tab unbekannter Forderungstyp ()" << kind << ") !");
            return;
        }

        const std::string label = curveLabel('s', d);
        const bool spectrum = isSpectrumKind(kind);
        add(RtfLine(spectrum ? ParFormula : ParReq) << angleOrFormula(r));
        if (shiftable && isBandKind(kind))
            shiftRanges(r);
        add(RtfLine(ParReq) << bounds(r, label));

        if (!resultsShown(motion))
            return;
        add(ParFormula + R"(\tab {\i\b Ergebnis:})");
        if (shiftable && isBandKind(kind))
            add(effectiveAngles(r));
        if (spectrum) {
            RtfLine sum(ParFormula);
            if (kind == 24)
                sum << R"(\tab\tab h{)" << Sub << " " << std::to_string(r.Harmonic()) << "}";
            else
                sum << R"(\tab\tab S{)" << Sub << " " << std::to_string(d) << "}";
            add(sum << R"(\tab =\tab )" << F6(r.ActS[4]));
            return;
        }
        if (relative) {
            actualLines(r, r.ActS, label, isIntervalKind(kind), false, F6);
            return;
        }
        // The output motion exists only for a positive frequency ratio.
        const auto* absolute = dynamic_cast<const TRXHeader*>(&motion);
        const bool withQ = absolute && absolute->EtaMax() > 0;
        actualLines(r, r.ActS, label, isIntervalKind(kind), withQ, F5);
        if (withQ)
            actualLines(r, r.ActQ, curveLabel('q', d), isIntervalKind(kind), true, F5);
    }

    std::string bounds(const TRestr& r, const std::string& label) const
    {
        RtfLine b;
        const int kind = r.Kind();
        if (isSpectrumKind(kind)) {
            if (kind == 24)
                b << R"(\tab\tab\tab\tab h{)" << Sub << " " << std::to_string(r.Harmonic());
            else
                b << R"(\tab\tab\tab\tab S{)" << Sub << " " << std::to_string(kind - 20);
            b << R"(}\tab {\f2 )" << LessEqual << "}";
            if (r.LowerMode() == 0)
                b << R"(\tab )" << F6(r.SpectrumBound());
            else
                b << R"(\tab ()" << F6(r.SpectrumLimit()) << R"()\tab )" << F6(r.SpectrumBound());
            return b.str();
        }
        if (r.LowerMode() == 0)
            b << R"(\tab\tab )" << F6(r.Lower()) << R"(\tab {\f2 )" << LessEqual << "}";
        else if (hasLowerBound(r))
            b << R"(\tab )" << F6(r.Lower()) << R"(\tab ()" << F6(r.LowerLimit()) << R"()\tab {\f2 )" << LessEqual
              << "}";
        else
            b << R"(\tab\tab\tab)";
        b << R"(\tab )" << label;
        if (r.UpperMode() == 0)
            b << R"(\tab {\f2 )" << LessEqual << R"(}\tab )" << F6(r.Upper());
        else if (hasUpperBound(r))
            b << R"(\tab {\f2 )" << LessEqual << R"(}\tab ()" << F6(r.UpperLimit()) << R"()\tab )" << F6(r.Upper());
        return b.str();
    }

    std::string angleOrFormula(const TRestr& r) const
    {
        RtfLine a;
        const int kind = r.Kind();
        const std::string d = std::to_string(kind % 10);
        const std::string sumSign = R"(\tab{\fs24{\f2 S}{)" + Sub + " n}}";
        const std::string terms = R"( ( | s{)" + Sub + R"( n} | + | c{)" + Sub + R"( n} | ) = S{)" + Sub + " " + d + "}";
        if (isPointKind(kind)) {
            a << R"(\tab\tab\tab\tab {\f2 j}\tab =\tab )" << F6(r.Phi());
        } else if (isIntervalKind(kind)) {
            if (r.PhiMinVar() == 1)
                a << R"(\tab ()" << F6(r.PhiMinLimit()) << ")";
            else
                a << R"(\tab)";
            a << R"(\tab )" << F6(r.PhiMin()) << R"({\f2\tab )" << LessEqual << R"(\tab j\tab )" << LessEqual
              << R"(}\tab )" << F6(r.PhiMax());
            if (r.PhiMaxVar() == 1)
                a << R"(\tab ()" << F6(r.PhiMaxLimit()) << ")";
        } else if (kind == 20) {
            a << sumSign << terms;
        } else if (kind == 21) {
            a << sumSign << " n" << terms;
        } else if (kind == 22 || kind == 23) {
            a << sumSign << " n {" << Super << " " << d << "}" << terms;
        } else {
            const std::string k = std::to_string(r.Harmonic());
            a << R"(\tab |s{)" << Sub << " " << k << R"(}| + |c{)" << Sub << " " << k << R"(}| = h{)" << Sub << " "
              << k << "}";
        }
        return a.str();
    }

    void shiftRanges(const TRestr& r)
    {
        const std::string h = ParFormula + R"(\tab {\i Bereichsgrenzen:})";
        const std::string phi = R"(\tab {\f2 j}{)" + Sub;
        if (isPointKind(r.Kind())) {
            add(RtfLine(h + phi + R"( b}\tab =\tab [)") << F6(r.ShiftMinFrom()) << R"(\tab )" << F6(r.ShiftMinTo())
                                                        << "]");
            return;
        }
        add(RtfLine(h + phi + R"( u}\tab =\tab [)") << F6(r.ShiftMinFrom()) << R"(\tab )" << F6(r.ShiftMinTo()) << "]");
        add(RtfLine(R"(\par\tab\tab {\f2 j}{)" + Sub + R"( o}\tab =\tab [)")
            << F6(r.ShiftMaxFrom()) << R"(\tab )" << F6(r.ShiftMaxTo()) << "]");
    }

    // Where the computation placed a shiftable restriction.
    std::string effectiveAngles(const TRestr& r) const
    {
        const std::string star = R"({\f2\b j{)" + Super + " *}}";
        RtfLine line(ParReq);
        line << R"(\tab\tab)";
        if (isPointKind(r.Kind())) {
            line << R"(\tab\tab)" << star << R"(\tab =\tab )" << F6(r.EffPhiMin());
            return line.str();
        }
        if (r.PhiMinVar() > -1)
            line << F6(r.EffPhiMin()) << R"(\tab{\f2 )" << LessEqual << "}";
        else
            line << R"(\tab)";
        line << R"(\tab)" << star;
        if (r.PhiMaxVar() > -1)
            line << R"(\tab{\f2 )" << LessEqual << R"(}\tab )" << F6(r.EffPhiMax());
        return line.str();
    }

    // The angle range in which the curve keeps the bounds (interval kinds)
    // and the extremes it reaches there.
    void actualLines(const TRestr& r, const std::array<double, 5>& act, const std::string& label, bool interval,
                     bool labelled, std::string (*format)(double))
    {
        const std::string range = R"({\f2\tab )" + LessEqual + R"(\tab{\b j}\tab )" + LessEqual + R"(}\tab )";
        if (interval) {
            if (labelled)
                add(RtfLine(ParReq) << R"(\tab )" << label << R"(:\tab )" << format(act[1]) << range << format(act[2]));
            else
                add(RtfLine(ParReq) << R"(\tab\tab )" << format(act[1]) << range << format(act[2]));
        }
        RtfLine b(ParReq);
        if (hasLowerBound(r))
            b << R"(\tab\tab )" << format(act[3]) << R"(\tab {\f2 )" << LessEqual << "}";
        else
            b << R"(\tab\tab\tab)";
        b << R"(\tab {\b )" << label << "}";
        if (hasUpperBound(r))
            b << R"(\tab {\f2 )" << LessEqual << R"(}\tab )" << format(act[4]);
        add(b);
    }

    const TreeItem* item_;
    const TProject& project_;
    std::string date_;
    std::vector<std::string> lines_;
};

} // namespace

const std::vector<std::string>& RtfHeaderLines()
{
    static const std::vector<std::string> header = {
        R"({\rtf1\ansi\deff0)",
        R"({\fonttbl)",
        R"({\f0\fmodern Times New Roman;})",
        R"({\f1\fswiss Arial;})",
        R"({\f2\froman Symbol;}})",
        R"({\stylesheet)",
        R"({\s0\li1200\f0\fs24\li600RX_Text;})",
        R"({\s1\li1200\f1\fs32\b\qc\sb144\sa72\keepnRX_HL1;})",
        R"({\s2\li1200\f1\fs28\b\sb108\sa54\keepnRX_HL2;})",
        R"({\s3\li1200\f1\fs24\b\i\sb72\sa36\keepnRX_HL3;})",
        R"({\s4\li1200\f1\fs24\i\sb24\sa24\keep\keepnRX_Info;}})",
    };
    return header;
}

bool hasCurrentCoefficients(const TPaintObj& motion)
{
    return motion.HasResult && motion.ResultValid && motion.sSC.Count() >= 2;
}

std::vector<std::string> GenerateReport(const TreeItem* item, const ReportDate& date)
{
    const TreeItem* project = ProjectOf(const_cast<TreeItem*>(item));
    if (!project || !project->NodeAs<TProject>())
        return {};
    return ReportWriter(project, date).generate();
}

std::string reportCaption(const TreeItem* item)
{
    const TreeItem* project = ProjectOf(const_cast<TreeItem*>(item));
    return "Report " + (project ? project->Text() : std::string());
}

std::string reportFileBytes(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

} // namespace vemra
