// User dialogs for the command line: messages go to standard error, questions
// are answered with the first affirmative button, files are never chosen.
#pragma once

#include "model/user_dialogs.h"

#include <algorithm>
#include <iostream>

namespace vemra::cli {

class ConsoleDialogs : public UserDialogs {
public:
    DialogButton message(DialogKind kind, const std::string& text, unsigned buttons) override
    {
        std::string shown = text;
        std::replace(shown.begin(), shown.end(), '\r', ' ');
        std::cerr << prefix(kind) << shown << '\n';
        for (DialogButton b : {ButtonYes, ButtonOk, ButtonNo, ButtonCancel, ButtonAbort})
            if (buttons & b)
                return b;
        return ButtonNone;
    }
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }

private:
    static const char* prefix(DialogKind kind)
    {
        switch (kind) {
        case DialogKind::Error: return "Fehler: ";
        case DialogKind::Warning: return "Warnung: ";
        case DialogKind::Information: return "Hinweis: ";
        case DialogKind::Confirmation: return "Frage: ";
        }
        return "";
    }
};

} // namespace vemra::cli
