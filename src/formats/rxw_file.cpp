#include "rxw_file.h"

#include "old_input_text.h"

namespace vemra {

namespace {

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool isSection(const InputLine& line)
{
    return startsWith(line.text, "[");
}

class RxwParser {
public:
    explicit RxwParser(const InputText& text) : text_(text), lines_(text.lines()) {}

    TRXSet run()
    {
        while (i_ < lines_.size()) {
            const InputLine& line = lines_[i_++];
            if (startsWith(line.text, "[Version]"))
                takeLineUnlessSection();
            else if (startsWith(line.text, "[Description]"))
                set_.Description = text_.toText(takeLineUnlessSection());
            else if (startsWith(line.text, "[MLAbs]"))
                readMotion(line);
            else if (startsWith(line.text, "[Result]"))
                readResult(line);
            // "[MinM]" holds nothing; other sections and loose lines are
            // passed over.
        }
        if (!motionRead_)
            throw IncompleteFileError("Die Datei enthält keine Bewegungsvorgabe (Abschnitt [MLAbs]).");
        return std::move(set_);
    }

private:
    // The one line of a "[Version]" or "[Description]" section; an omitted
    // line must not swallow the next section.
    std::string_view takeLineUnlessSection()
    {
        if (i_ >= lines_.size() || isSection(lines_[i_]))
            return {};
        return lines_[i_++].text;
    }

    const InputLine& nextLineOfMotion()
    {
        if (i_ >= lines_.size())
            throw IncompleteFileError("Die Datei endet im Abschnitt [MLAbs].");
        return lines_[i_++];
    }

    void readMotion(const InputLine& header)
    {
        if (motionRead_)
            throw ReadError(header.number, "Die Datei enthält den Abschnitt [MLAbs] mehr als einmal.");
        const InputLine& countLine = nextLineOfMotion();
        LineScanner count(countLine);
        const int32_t n = count.requireInt("der Zahl der Restriktionen");
        if (n < 0)
            throw ReadError(countLine.number, "Die Zahl der Restriktionen ist negativ.");
        readMotionLine1(nextLineOfMotion(), set_);
        readMotionLine2(nextLineOfMotion(), set_);
        motionRead_ = true;
        // At most n lines (0: no count given), ended early by "ccc", the end
        // of the file or the next section.
        int32_t read = 0;
        while (i_ < lines_.size() && (n == 0 || read < n)) {
            const InputLine& line = lines_[i_];
            if (isSection(line))
                break;
            ++i_;
            if (isEndOfRestrictions(line))
                break;
            if (isBlankLine(line.text))
                continue;
            readRestrictionLine(line, set_);
            ++read;
        }
    }

    // Pairs for k = 0..K. Before "[MLAbs]" K is not known yet: then the
    // table is every number up to the next section.
    void readResult(const InputLine& header)
    {
        const std::size_t wanted =
            motionRead_ ? 2 * (static_cast<std::size_t>(set_.Harmonics) + 1) : std::size_t(-1);
        std::vector<double> values;
        while (values.size() < wanted && i_ < lines_.size() && !isSection(lines_[i_])) {
            const InputLine& line = lines_[i_++];
            if (isBlankLine(line.text))
                continue;
            LineScanner in(line);
            while (values.size() < wanted)
                if (const auto v = in.nextReal())
                    values.push_back(*v);
                else
                    break;
        }
        if ((motionRead_ && values.size() != wanted) || values.size() % 2 != 0)
            throw ReadError(header.number, "Die Ergebnistabelle ist unvollständig (" + std::to_string(values.size()) +
                                               " Werte).");
        set_.HasResult = true;
        set_.Result.clear();
        for (std::size_t k = 0; k + 1 < values.size(); k += 2)
            set_.Result.emplace_back(values[k], values[k + 1]);
    }

    const InputText& text_;
    const std::vector<InputLine>& lines_;
    std::size_t i_ = 0;
    TRXSet set_;
    bool motionRead_ = false;
};

} // namespace

TRXSet readRxw(std::string bytes)
{
    const InputText text(std::move(bytes));
    return RxwParser(text).run();
}

bool RxwReader::handles(const std::string& extension) const
{
    return sameExtension(extension, RxwExtension);
}

} // namespace vemra
