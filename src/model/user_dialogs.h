// What the core needs from the user: modal message boxes with a fixed button
// set and file choice. The desktop implements it with Qt, tests with a
// scripted double. The German texts stay with the logic that shows them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vemra {

enum class DialogKind { Error, Warning, Information, Confirmation };

// Bit set of buttons, and the answer (exactly one bit).
enum DialogButton : unsigned {
    ButtonNone = 0,
    ButtonOk = 1,
    ButtonCancel = 2,
    ButtonAbort = 4,
    ButtonYes = 8,
    ButtonNo = 16,
};

struct FileDialogRequest {
    bool save = false;
    std::string title;
    // Pairs of caption and pattern, as "Projektdatei (*.r4p)" / "*.r4p".
    std::vector<std::pair<std::string, std::string>> filters;
    std::string defaultExtension; // without the dot
    std::string initialDirectory;
    std::string proposedName;
    bool mustExist = false;
    bool confirmOverwrite = false;
    // Index into filters of the file type shown first.
    int filterIndex = 0;
    // Save dialogs that keep their place name it here ("Picture", "Report",
    // ...): the dialog remembers under it the folder and file type last
    // chosen (SaveDialogMemory).
    std::string placeKey;
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // "\r" in text is a line break. Returns the button pressed.
    virtual DialogButton message(DialogKind kind, const std::string& text, unsigned buttons) = 0;
    // Empty when the user cancels.
    virtual std::optional<std::string> chooseFile(const FileDialogRequest& request) = 0;

    void error(const std::string& text, DialogButton button = ButtonOk) { message(DialogKind::Error, text, button); }
    void warning(const std::string& text) { message(DialogKind::Warning, text, ButtonOk); }
    void information(const std::string& text) { message(DialogKind::Information, text, ButtonOk); }
    bool askYesNo(const std::string& text, DialogKind kind = DialogKind::Confirmation)
    {
        return message(kind, text, ButtonYes | ButtonNo) == ButtonYes;
    }
};

// Answers nothing and shows nothing: for headless use where no one can be
// asked (every question is answered with the first affirmative button).
class SilentDialogs : public UserDialogs {
public:
    DialogButton message(DialogKind, const std::string& text, unsigned buttons) override
    {
        messages.push_back(text);
        for (DialogButton b : {ButtonYes, ButtonOk, ButtonNo, ButtonCancel, ButtonAbort})
            if (buttons & b)
                return b;
        return ButtonNone;
    }
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }

    std::vector<std::string> messages;
};

} // namespace vemra
