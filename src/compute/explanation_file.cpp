#include "explanation_file.h"

#include "module_files.h"
#include "number_scanner.h"

#include "protocol/exchange_files.h"

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

namespace vemra {

namespace {

// The stage words and the result code each belongs to.
struct StageName {
    std::string_view word;
    ExplanationStage stage;
    int32_t code;
};
constexpr StageName StageNames[] = {
    {"erfuellung", ExplanationStage::Fulfilment, 0},
    {"glattheit", ExplanationStage::Smoothness, 1},
    {"konflikt", ExplanationStage::Conflict, -2},
};

std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        const std::size_t start = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
            ++pos;
        if (pos > start)
            fields.push_back(line.substr(start, pos - start));
    }
    return fields;
}

std::optional<int32_t> intField(std::string_view field)
{
    NumberScanner in(field);
    const auto v = in.readInt();
    return v && in.atEnd() ? v : std::nullopt;
}

std::optional<double> realField(std::string_view field)
{
    NumberScanner in(field);
    const auto v = in.readReal();
    return v && in.atEnd() ? v : std::nullopt;
}

// Reads the explanation line by line; the first fault ends it.
class Parser {
public:
    ExplanationParse run(std::string_view bytes)
    {
        std::size_t start = 0;
        while (start < bytes.size() && !error_) {
            std::size_t end = bytes.find('\n', start);
            if (end == std::string_view::npos)
                end = bytes.size();
            std::string_view line = bytes.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            ++lineNo_;
            takeLine(line);
            start = end + 1;
        }
        if (!error_)
            finish();
        if (error_)
            return *error_;
        return explanation_;
    }

private:
    void fail(std::string reason, bool wholeFile = false)
    {
        if (!error_)
            error_ = ExplanationError{wholeFile ? 0 : lineNo_, std::move(reason)};
    }

    void takeLine(std::string_view line)
    {
        for (const char c : line)
            if (static_cast<unsigned char>(c) >= 0x7F || (static_cast<unsigned char>(c) < 0x20 && c != '\t'))
                return fail("Zeichen außerhalb von ASCII oder Steuerzeichen");
        const std::vector<std::string_view> f = fieldsOf(line);
        if (f.empty())
            return;
        if (!stageSeen_ && f[0] != "Stufe")
            return fail("die erste Zeile muss mit \"Stufe\" beginnen");
        if (f[0] == "Stufe")
            return stageLine(f);
        if (f[0] == "Verschiebung")
            return shiftLine(f);
        if (f[0] == "Grenze")
            return limitLine(f);
        if (f[0] == "Konflikt")
            return conflictLine(f);
        fail("unbekannte Zeile \"" + std::string(f[0]) + "\"");
    }

    bool fieldCount(const std::vector<std::string_view>& f, std::size_t count)
    {
        if (f.size() == count)
            return true;
        fail("\"" + std::string(f[0]) + "\" braucht " + std::to_string(count - 1) + " Werte, nicht "
             + std::to_string(f.size() - 1));
        return false;
    }

    void stageLine(const std::vector<std::string_view>& f)
    {
        if (stageSeen_)
            return fail("\"Stufe\" steht mehr als einmal in der Datei");
        stageSeen_ = true;
        if (!fieldCount(f, 5))
            return;
        const auto name = std::find_if(std::begin(StageNames), std::end(StageNames),
                                       [&](const StageName& s) { return s.word == f[1]; });
        if (name == std::end(StageNames))
            return fail("unbekannte Stufe \"" + std::string(f[1]) + "\"");
        const auto code = intField(f[2]);
        if (!code || *code != name->code)
            return fail("zur Stufe " + std::string(name->word) + " gehört der Code " + std::to_string(name->code));
        explanation_.stage = name->stage;
        explanation_.code = *code;
        if (name->stage == ExplanationStage::Conflict) {
            if (f[3] != "-" || f[4] != "-")
                return fail("bei einem Konflikt stehen Erfüllungsgrad und Glattheit als \"-\"");
            return;
        }
        const auto lambda = realField(f[3]);
        if (!lambda || *lambda < 0 || *lambda > 1)
            return fail("der Erfüllungsgrad muss eine Zahl von 0 bis 1 sein");
        const auto smoothness = realField(f[4]);
        if (!smoothness || *smoothness < 0)
            return fail("die Glattheit muss eine Zahl ab 0 sein");
        explanation_.lambda = lambda;
        explanation_.smoothness = smoothness;
    }

    void shiftLine(const std::vector<std::string_view>& f)
    {
        if (!fieldCount(f, 3))
            return;
        const auto object = intField(f[1]);
        const auto phi = realField(f[2]);
        if (!object || *object < 1)
            return fail("die Nummer des Optimierungsobjekts muss eine ganze Zahl ab 1 sein");
        if (!phi)
            return fail("die Verschiebung muss eine Zahl sein");
        if (!objects_.insert(*object).second)
            return fail("Optimierungsobjekt " + std::to_string(*object) + " steht mehr als einmal in der Datei");
        explanation_.shifts.push_back({*object, *phi});
    }

    std::optional<int32_t> recordField(std::string_view field)
    {
        const auto record = intField(field);
        if (!record || *record < 1) {
            fail("die Datensatznummer muss eine ganze Zahl ab 1 sein");
            return std::nullopt;
        }
        if (!records_.insert(*record).second) {
            fail("Datensatz " + std::to_string(*record) + " steht mehr als einmal in der Datei");
            return std::nullopt;
        }
        return record;
    }

    void limitLine(const std::vector<std::string_view>& f)
    {
        if (explanation_.stage == ExplanationStage::Conflict)
            return fail("\"Grenze\" gehört nicht zur Stufe konflikt");
        if (!fieldCount(f, 5))
            return;
        const auto record = recordField(f[1]);
        if (!record)
            return;
        LimitingRestriction limit;
        limit.record = *record;
        const auto share = realField(f[2]);
        if (!share || *share < 0 || *share > 1)
            return fail("der Anteil muss eine Zahl von 0 bis 1 sein");
        limit.share = *share;
        if (f[3] != "-") {
            limit.angle = realField(f[3]);
            if (!limit.angle)
                return fail("der Winkel muss eine Zahl oder \"-\" sein");
        }
        const auto sensitivity = realField(f[4]);
        if (!sensitivity)
            return fail("die Empfindlichkeit muss eine Zahl sein");
        limit.sensitivity = *sensitivity;
        explanation_.limits.push_back(limit);
    }

    void conflictLine(const std::vector<std::string_view>& f)
    {
        if (explanation_.stage != ExplanationStage::Conflict)
            return fail("\"Konflikt\" gehört nur zur Stufe konflikt");
        if (!fieldCount(f, 2))
            return;
        if (const auto record = recordField(f[1]))
            explanation_.conflict.push_back(*record);
    }

    void finish()
    {
        if (!stageSeen_)
            return fail("die Datei enthält keine Zeile \"Stufe\"", true);
        if (explanation_.stage == ExplanationStage::Conflict && explanation_.conflict.empty())
            fail("ein Konflikt ohne eine Zeile \"Konflikt\"", true);
    }

    ResultExplanation explanation_;
    std::optional<ExplanationError> error_;
    bool stageSeen_ = false;
    int lineNo_ = 0;
    std::set<int32_t> records_;
    std::set<int32_t> objects_;
};

// Every record must name a restriction of the project the run computed.
std::optional<ExplanationError> checkRecords(const ResultExplanation& e, TreeItem* project)
{
    std::vector<int32_t> records = e.conflict;
    for (const LimitingRestriction& l : e.limits)
        records.push_back(l.record);
    for (const int32_t record : records)
        if (!FindRestrictionByRecord(project, record))
            return ExplanationError{0, "Datensatz " + std::to_string(record) + " ist keine Restriktion des Projekts"};
    return std::nullopt;
}

} // namespace

std::string ExplanationError::text() const
{
    return line > 0 ? "Zeile " + std::to_string(line) + ": " + reason : reason;
}

ExplanationParse parseExplanation(std::string_view bytes)
{
    return Parser().run(bytes);
}

ExplanationRead readExplanationFile(const std::filesystem::path& directory, int32_t resultCode, TreeItem* project)
{
    ExplanationRead read;
    const auto file = directory / protocol::ExplanationFileName;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return read;
    const std::string name = protocol::ExplanationFileName;
    const auto bytes = readWholeFile(file, MaxExplanationFileBytes);
    if (!bytes) {
        read.problem = name + " ist nicht lesbar oder zu groß.";
        return read;
    }
    ExplanationParse parsed = parseExplanation(*bytes);
    if (const auto* error = std::get_if<ExplanationError>(&parsed)) {
        read.problem = name + ", " + error->text() + ".";
        return read;
    }
    auto& explanation = std::get<ResultExplanation>(parsed);
    if (explanation.code != resultCode) {
        read.problem = name + " erklärt den Code " + std::to_string(explanation.code) + ", die Berechnung endete mit "
                       + std::to_string(resultCode) + ".";
        return read;
    }
    if (const auto error = checkRecords(explanation, project)) {
        read.problem = name + ": " + error->text() + ".";
        return read;
    }
    read.explanation = std::move(explanation);
    return read;
}

} // namespace vemra
