// User dialogs for the command line: messages go to standard error, questions
// are answered with the first affirmative button, files are never chosen.
#pragma once

#include "model/user_dialogs.h"

#include <algorithm>
#include <iostream>
#include <string>

namespace vemra::cli {

// A message box as one line: "Fehler: ...", line breaks as spaces.
inline std::string consoleMessage(DialogKind kind, const std::string& text);

class ConsoleDialogs : public UserDialogs {
public:
    DialogButton message(DialogKind kind, const std::string& text, unsigned buttons) override
    {
        std::cerr << consoleMessage(kind, text) << '\n';
        for (DialogButton b : {ButtonYes, ButtonOk, ButtonNo, ButtonCancel, ButtonAbort})
            if (buttons & b)
                return b;
        return ButtonNone;
    }
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }
};

inline std::string consoleMessage(DialogKind kind, const std::string& text)
{
    std::string shown = text;
    std::replace(shown.begin(), shown.end(), '\r', ' ');
    switch (kind) {
    case DialogKind::Error: return "Fehler: " + shown;
    case DialogKind::Warning: return "Warnung: " + shown;
    case DialogKind::Information: return "Hinweis: " + shown;
    case DialogKind::Confirmation: return "Frage: " + shown;
    }
    return shown;
}

} // namespace vemra::cli
