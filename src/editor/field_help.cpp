#include "field_help.h"

#include <cstdlib>
#include <map>

namespace vemra {

namespace {

const char* const LengthUnitNote
    = "Vemra rechnet ohne feste Einheit: alle Wege eines Projekts stehen in derselben Längeneinheit (z. B. mm).";
const char* const RadianNote = "Ableitungen nach dem Antriebswinkel φ im Bogenmaß (rad), nicht nach der Zeit; "
                               "die Winkelfelder dagegen sind in Grad.";
const char* const OutputNote = "Die Forderung gilt für die Abtriebsbewegung q; ohne elastischen Abtrieb (η = 0) ist q = s.";
const char* const FulfilmentNote = "Der Erfüllungsgrad λ (0 bis 1) führt alle variablen Größen gemeinsam von der "
                                   "Minimalforderung zur Maximalforderung; das Modul sucht das größte erreichbare λ.";

// Fixed texts, by control name.
const std::map<std::string, std::string>& fixedHelp()
{
    static const std::map<std::string, std::string> help = {
        // "ProjHeader"
        {"EdProjDescr", "Beschreibung des Projekts, freier Text (höchstens 255 Zeichen); steht im Report."},
        {"LMotionCount", "Anzahl der absoluten Bewegungsvorgaben des Projekts (nur Anzeige)."},
        {"LGroupCount", "Anzahl der Optimierungsobjekte des Projekts, in denen Forderungen gemeinsam verschoben "
                        "werden (nur Anzeige)."},
        {"CBAdvOpt", "Erweiterte Einstellungen der Verschiebesuche. Ausgeschaltet rechnet das Projekt mit "
                     "20 Optimierungsschritten, 8 Proben pro Schritt und der Suchschrittweite 0.25."},
        {"SEdOptSteps", "Optimierungsschritte (5 bis 500, Vorgabe 20): so oft probiert die Suche für jedes "
                        "Optimierungsobjekt neue Verschiebungen; das Suchfenster wird von Schritt zu Schritt enger."},
        {"SEdSamples", "Proben pro Optimierungsschritt (2 bis 40, Vorgabe 8): so viele Verschiebungen je Objekt und "
                       "Schritt, gleichmäßig über das Suchfenster verteilt."},
        {"REdStepWidth", "Suchschrittweite (0.0001 bis 1, Vorgabe 0.25): halbe Breite des Suchfensters im ersten "
                         "Schritt, als Anteil am Verschiebebereich des Optimierungsobjekts (ohne Einheit)."},

        // "RXHeader"
        {"EdShortName", "Beschreibung der Bewegungsvorgabe, z. B. das angetriebene Glied (höchstens 255 Zeichen); "
                        "steht im Report."},
        {"SEdHarm", "K – Anzahl der Harmonischen: die Fourierreihe des Bewegungsgesetzes s reicht bis zur K-ten "
                    "Harmonischen. Alle n Bewegungsvorgaben eines Projekts teilen sich (240 − 2·n) div 4 "
                    "Harmonische; das Feld lässt höchstens zu, was die übrigen übrig lassen."},
        {"REdTheta", "θ – Dämpfungsgrad (Lehrsches Dämpfungsmaß) des elastischen Abtriebs, 0 bis 1, ohne Einheit; "
                     "0 = ungedämpft."},
        {"REdEtaMax", "η – Frequenzverhältnis des elastischen Abtriebs: Drehfrequenz des Antriebs durch Eigenfrequenz "
                      "des Abtriebs, 0 bis 1, ohne Einheit. η = 0: starrer Abtrieb, die Abtriebsbewegung q ist s. "
                      "Ist η variabel, ist dies die Minimalforderung (gilt bei λ = 0)."},
        {"CBEtaVar", std::string("η variabel: das Modul darf η von der Minimalforderung (Feld links) bis zur "
                                 "Maximalforderung (Feld rechts) verschieben. ")
                         + FulfilmentNote},
        {"REdEtaVar", "Maximalforderung von η (0 bis 1): der Wert, den η bei voller Erfüllung (λ = 1) annimmt. "
                      "Die Knöpfe „1/K“, „%V“ und „°φ“ setzen ihn."},
        {"LEtaRes", "η_res = K · η: Frequenzverhältnis der höchsten Harmonischen K (mit der Maximalforderung, wenn η "
                    "variabel ist). Bei 1 liegt sie in Resonanz; über 0.95 wird der Wert rot."},
        {"REdExt", "Vorgabe v für die Knöpfe rechts, 0 bis 100: „%V“ liest sie in Prozent (über 0), „°φ“ als Winkel "
                   "in Grad (unter 90); „1/K“ ist ab v = 1 frei."},
        {"BtOneOverK", "Setzt die Maximalforderung von η auf 1/K: die höchste Harmonische K liegt dann genau in "
                       "Resonanz (η_res = 1)."},
        {"BtPercent", "Setzt die Maximalforderung von η aus dem Prozentwert v links. Ohne Dämpfung ist η = v/(100·K), "
                      "also η_res = v %; mit Dämpfung θ so, dass die Vergrößerung 1/√((1 − η_res²)² + (2·θ·η_res)²) "
                      "der höchsten Harmonischen v % ihres Werts bei η_res = 1 beträgt (unterhalb der Resonanz)."},
        {"BtPhase", "Setzt die Maximalforderung von η aus dem Phasenwinkel v links (in Grad, unter 90) des gedämpften "
                    "Abtriebs; ohne Dämpfung (θ = 0) ist η = 1/K."},
        {"BtTest", "Test: leitet die Abtriebsbewegung q und das Antriebsmoment aus den Koeffizienten von s der letzten "
                   "Berechnung mit θ und η der Testfelder neu ab, ohne das Syntheseprogramm zu starten."},
        {"REdTestTheta", "θ für den Test (Dämpfungsgrad, 0 bis 1); übernimmt jede Änderung des θ-Felds oben und wird "
                         "erst mit „Test“ verwendet."},
        {"REdTestEta", "η für den Test (Frequenzverhältnis); übernimmt jede Änderung der Maximalforderung von η und "
                       "wird erst mit „Test“ verwendet."},
        {"CBResult", "Welche Fourierkoeffizienten die Tabelle zeigt: Bewegungsgesetz s, Abtriebsbewegung q oder "
                     "Antriebsmoment M = s′ · s″ (mit doppelt so vielen Harmonischen)."},
        {"SEdDeriv", "Ableitung, deren Koeffizienten die Tabelle zeigt (0 bis 3), nach dem Antriebswinkel im Bogenmaß: "
                     "die Koeffizienten der Harmonischen k wachsen mit k hoch Ableitung. Beim Antriebsmoment gesperrt."},
        {"RBAbsSum", "Vierte Spalte: |s_k| + |c_k| je Harmonische, ihre Summe in der letzten Zeile."},
        {"RBEuclid", "Vierte Spalte: Amplitude √(s_k² + c_k²) der Harmonischen k."},
        {"SGCoef", "Fourierkoeffizienten des Ergebnisses: Harmonische k, Sinuskoeffizient s_k, Kosinuskoeffizient c_k "
                   "(Zeile 0: Gleichanteil), in der Längeneinheit des Projekts, Ableitungen pro rad hoch Ableitung. "
                   "Rechte Maustaste: Werte kopieren (Strg+C), Werte sichern."},

        // "BG", the parts that do not depend on the restriction
        {"CBOrd", std::string("Ordnung: welche Größe die Forderung begrenzt – 0 Weg s, 1 Geschwindigkeit s′, "
                              "2 Beschleunigung s″, 3 Ruck s‴. ")
                      + RadianNote},
        {"RBPoint", "Punkt: die Forderung gilt bei einem Antriebswinkel φ."},
        {"RBRange", "Bereich: die Forderung gilt bei jedem Antriebswinkel von φ_u bis φ_o."},
        {"CBPhiMinVar", std::string("Untere Bereichsgrenze φ_u variabel: der Bereich soll nach unten bis zur "
                                    "Maximalforderung (Feld ganz links) wachsen. ")
                            + FulfilmentNote},
        {"CBPhiMaxVar", std::string("Obere Bereichsgrenze φ_o variabel: der Bereich soll nach oben bis zur "
                                    "Maximalforderung (Feld ganz rechts) wachsen. ")
                            + FulfilmentNote},
        {"REdPhiMinVar", "Maximalforderung der unteren Bereichsgrenze φ_u in Grad: bis hierhin soll der Bereich bei "
                         "voller Erfüllung (λ = 1) nach unten reichen."},
        {"REdPhiMaxVar", "Maximalforderung der oberen Bereichsgrenze φ_o in Grad: bis hierhin soll der Bereich bei "
                         "voller Erfüllung (λ = 1) nach oben reichen."},
        {"CBShift", "Verschiebung zulassen: die Forderung wird Mitglied eines Optimierungsobjekts. Das Modul verschiebt "
                    "alle Mitglieder eines Objekts gemeinsam um denselben Winkel, so weit es die Verschiebebereiche "
                    "darunter erlauben, und behält die Verschiebung mit dem größten Erfüllungsgrad."},
        {"BtUndoBG", "rückgängig: stellt die Forderung so wieder her, wie sie beim Auswählen war, samt ihrer "
                     "Zugehörigkeit zu einem Optimierungsobjekt."},

        // "Harm", the parts that do not depend on the restriction
        {"RBSum", "Summenform: Σ n^p · (|s_n| + |c_n|) ≤ c über alle Harmonischen n = 1 … K des Bewegungsgesetzes s "
                  "(s_n Sinus-, c_n Kosinuskoeffizient)."},
        {"ImgSum", "Summenform: Σ n^p · (|s_n| + |c_n|) ≤ c über alle Harmonischen n = 1 … K des Bewegungsgesetzes s "
                   "(s_n Sinus-, c_n Kosinuskoeffizient)."},
        {"SEdP", "p – Gewicht n^p der Harmonischen (0 bis 3): mit p = d begrenzt die Summe die Koeffizienten der d-ten "
                 "Ableitung nach dem Antriebswinkel im Bogenmaß."},
        {"RBSingle", "Einzelne Harmonische: |s_k| + |c_k| ≤ c für die Harmonische k des Bewegungsgesetzes s."},
        {"ImgSingle", "Einzelne Harmonische: |s_k| + |c_k| ≤ c für die Harmonische k des Bewegungsgesetzes s."},
        {"SEdK", "k – Nummer der begrenzten Harmonischen, 1 bis K der Bewegungsvorgabe."},
        {"CBCVar", std::string("c variabel: die Schranke soll von der Minimalforderung bis zur Maximalforderung "
                               "sinken. ")
                       + FulfilmentNote},
        {"REdCVar", "Maximalforderung der Schranke c (0 bis 1 000 000): bis hierhin soll c bei voller Erfüllung "
                    "(λ = 1) sinken; Einheit wie c."},
        {"BtUndoHarm", "rückgängig: stellt die Spektrumsforderung so wieder her, wie sie beim Auswählen war."},

        // The choice of an optimisation object
        {"ListBox1", "Optimierungsobjekt, dem die Forderung beitritt: ein neues oder eines der vorhandenen."},
    };
    return help;
}

const char* const Primes[] = {"", "′", "″", "‴"};

// The derivative order of a bound kind; a spectrum kind bounds no
// derivative of its own (its p is the weight).
int orderOf(int32_t kind)
{
    return isBandKind(kind) ? kind % 10 : 0;
}

// "s″" of an absolute restriction, "s₁ − s₂" style for a relative one.
std::string quantitySymbol(const TRestr& r)
{
    const std::string prime = Primes[orderOf(r.Kind())];
    if (!isRelativeKind(r.Kind()))
        return "s" + prime;
    return "s" + prime + " der Differenz Bewegung " + std::to_string(std::abs(r.Motion())) + " minus Bewegung "
        + std::to_string(r.Motion2());
}

// What the bound fields bound, with unit and basis.
std::string quantityText(const TRestr& r)
{
    static const char* const names[] = {"Weg", "Geschwindigkeit", "Beschleunigung", "Ruck"};
    static const char* const formulas[] = {"", " = ds/dφ", " = d²s/dφ²", " = d³s/dφ³"};
    const int order = orderOf(r.Kind());
    std::string text = std::string(names[order]) + " " + quantitySymbol(r) + formulas[order] + " in "
        + (order == 0 ? "der " : "") + lengthUnitPerRadian(order) + (order == 0 ? " des Projekts. " : ". ");
    text += order == 0 ? LengthUnitNote : RadianNote;
    return text + " " + OutputNote;
}

std::string boundHelp(const std::string& name, const TRestr& r)
{
    const std::string q = quantityText(r);
    if (name == "REdLower")
        return "Untere Schranke: der Wert darf nicht unterschritten werden. Ist sie variabel, ist dies die "
               "Minimalforderung (gilt immer). "
            + q;
    if (name == "REdLowerVar")
        return "Maximalforderung der unteren Schranke: bis hierhin soll die Schranke bei voller Erfüllung (λ = 1) "
               "steigen. "
            + q;
    if (name == "REdUpper")
        return "Obere Schranke: der Wert darf nicht überschritten werden. Ist sie variabel, ist dies die "
               "Minimalforderung (gilt immer). "
            + q;
    if (name == "REdUpperVar")
        return "Maximalforderung der oberen Schranke: bis hierhin soll die Schranke bei voller Erfüllung (λ = 1) "
               "sinken. "
            + q;
    const std::string symbol = quantitySymbol(r);
    if (name == "CBLower")
        return "mit unterer Schranke: " + symbol + " wird nach unten begrenzt. Eine der beiden Schranken bleibt "
            "immer eingeschaltet.";
    if (name == "CBUpper")
        return "mit oberer Schranke: " + symbol + " wird nach oben begrenzt. Eine der beiden Schranken bleibt "
            "immer eingeschaltet.";
    if (name == "CBLowerVar")
        return "Untere Schranke variabel: sie soll von der Minimalforderung (Feld ganz links) bis zur "
               "Maximalforderung (Feld daneben) steigen. "
            + std::string(FulfilmentNote);
    // CBUpperVar
    return "Obere Schranke variabel: sie soll von der Minimalforderung (Feld ganz rechts) bis zur Maximalforderung "
           "(Feld daneben) sinken. "
        + std::string(FulfilmentNote);
}

std::string angleHelp(const std::string& name, const TRestr& r)
{
    const bool point = isPointKind(r.Kind());
    if (name == "REdPhiMin")
        return "Untere Bereichsgrenze φ_u in Grad (Antriebswinkel). Ist sie variabel, ist dies die Minimalforderung: "
               "so weit reicht der Bereich mindestens.";
    if (name == "REdPhiMax")
        return point ? "Antriebswinkel φ in Grad, bei dem die Forderung gilt."
                     : "Obere Bereichsgrenze φ_o in Grad (Antriebswinkel). Ist sie variabel, ist dies die "
                       "Minimalforderung: so weit reicht der Bereich mindestens.";
    // The shift ranges: absolute angles the shifted end may reach.
    const bool lowerEnd = name == "REdShift1" || name == "REdShift2";
    const bool from = name == "REdShift1" || name == "REdShift3";
    const std::string what = point ? "des Winkels φ" : lowerEnd ? "der unteren Bereichsgrenze φ_u" : "der oberen Bereichsgrenze φ_o";
    return std::string("Verschiebebereich ") + what + ", " + (from ? "von" : "bis") + ": der "
        + (from ? "kleinste" : "größte") + " Antriebswinkel in Grad, den " + (point ? "φ" : lowerEnd ? "φ_u" : "φ_o")
        + " durch die Verschiebung des Optimierungsobjekts annehmen darf.";
}

std::string spectrumBoundHelp(const TRestr& r)
{
    const int p = r.Kind() >= 20 && r.Kind() <= 23 ? r.Kind() - 20 : 0;
    return std::string("Schranke c (0 bis 1 000 000) in ") + (p == 0 ? "der " : "") + lengthUnitPerRadian(p)
        + (p == 0 ? " des Projekts" : " (Gewicht n^p mit p = " + std::to_string(p) + ")")
        + ". Ist c variabel, ist dies die Minimalforderung: so groß darf die Summe höchstens werden.";
}

} // namespace

const std::vector<std::string>& restrictionDependentFields()
{
    static const std::vector<std::string> names = {
        "REdLower", "REdLowerVar", "REdUpper",  "REdUpperVar", "CBLower",   "CBUpper",   "CBLowerVar", "CBUpperVar",
        "REdPhiMin", "REdPhiMax",  "REdShift1", "REdShift2",   "REdShift3", "REdShift4", "REdC"};
    return names;
}

std::string lengthUnitPerRadian(int order)
{
    static const char* const units[] = {"Längeneinheit", "Längeneinheit/rad", "Längeneinheit/rad²",
                                        "Längeneinheit/rad³"};
    return units[order >= 0 && order <= 3 ? order : 0];
}

std::string boundsTitle(int32_t kind)
{
    const int order = orderOf(kind);
    return std::string("Schranken für s") + Primes[order] + " in " + lengthUnitPerRadian(order);
}

std::string fieldHelp(const std::string& controlName, const TRestr* r)
{
    const auto& fixed = fixedHelp();
    if (const auto it = fixed.find(controlName); it != fixed.end())
        return it->second;
    // The general text of a restriction-dependent field is that of an
    // absolute interval restriction on the position.
    TRestr general;
    general.Kind() = 10;
    const TRestr& shown = r ? *r : general;
    if (controlName.rfind("REdLower", 0) == 0 || controlName.rfind("REdUpper", 0) == 0
        || controlName.rfind("CBLower", 0) == 0 || controlName.rfind("CBUpper", 0) == 0)
        return boundHelp(controlName, shown);
    if (controlName == "REdPhiMin" || controlName == "REdPhiMax" || controlName.rfind("REdShift", 0) == 0)
        return angleHelp(controlName, shown);
    if (controlName == "REdC")
        return spectrumBoundHelp(shown);
    return {};
}

} // namespace vemra
