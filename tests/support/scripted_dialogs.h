// A scripted UserDialogs for tests: records every message box and file
// dialog, answers questions and file dialogs from queues, and fails the
// running test when the code asks something the test did not script.
#pragma once

#include "model/user_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vemra::test {

class ScriptedDialogs : public UserDialogs {
public:
    struct Message {
        DialogKind kind;
        std::string text;
        unsigned buttons;
        DialogButton answer;
    };

    // Answers for messages that offer more than one button, in order.
    // A message with a single button is answered with it and takes nothing
    // from the queue, so errors shown in between do not eat scripted answers.
    std::deque<DialogButton> answers;
    // Results of chooseFile in order; std::nullopt is a cancelled dialog.
    std::deque<std::optional<std::string>> files;
    // An unscripted question or file dialog fails the test (it is still
    // answered: the first of Yes, Ok, No, Cancel, Abort that is offered, and
    // a cancelled file dialog). Switch off for code that may ask freely.
    bool strict = true;

    std::vector<Message> messages;
    std::vector<FileDialogRequest> fileRequests;

    ScriptedDialogs& answer(DialogButton button)
    {
        answers.push_back(button);
        return *this;
    }
    ScriptedDialogs& answerYes() { return answer(ButtonYes); }
    ScriptedDialogs& answerNo() { return answer(ButtonNo); }
    ScriptedDialogs& chooseFileResult(std::optional<std::string> file)
    {
        files.push_back(std::move(file));
        return *this;
    }

    DialogButton message(DialogKind kind, const std::string& text, unsigned buttons) override
    {
        DialogButton reply = ButtonNone;
        if (singleButton(buttons)) {
            reply = static_cast<DialogButton>(buttons);
        } else if (!answers.empty()) {
            reply = answers.front();
            answers.pop_front();
            if (!(buttons & reply))
                ADD_FAILURE() << "scripted answer " << reply << " is not offered (buttons " << buttons
                              << ") by: " << text;
        } else {
            if (strict)
                ADD_FAILURE() << "unscripted question: " << text;
            reply = firstOffered(buttons);
        }
        messages.push_back({kind, text, buttons, reply});
        return reply;
    }

    std::optional<std::string> chooseFile(const FileDialogRequest& request) override
    {
        fileRequests.push_back(request);
        if (files.empty()) {
            if (strict)
                ADD_FAILURE() << "unscripted file dialog: " << request.title;
            return std::nullopt;
        }
        auto file = std::move(files.front());
        files.pop_front();
        return file;
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const auto& m : messages)
            result.push_back(m.text);
        return result;
    }
    // The most recent message; fails the test when there is none.
    const Message& last() const
    {
        static const Message none{DialogKind::Information, std::string(), ButtonNone, ButtonNone};
        if (messages.empty()) {
            ADD_FAILURE() << "no message was shown";
            return none;
        }
        return messages.back();
    }
    size_t count(DialogKind kind) const
    {
        return static_cast<size_t>(
            std::count_if(messages.begin(), messages.end(), [kind](const Message& m) { return m.kind == kind; }));
    }
    // Everything scripted was used.
    bool exhausted() const { return answers.empty() && files.empty(); }
    void clear()
    {
        messages.clear();
        fileRequests.clear();
    }

private:
    static bool singleButton(unsigned buttons) { return buttons != 0 && (buttons & (buttons - 1)) == 0; }
    static DialogButton firstOffered(unsigned buttons)
    {
        for (DialogButton b : {ButtonYes, ButtonOk, ButtonNo, ButtonCancel, ButtonAbort})
            if (buttons & b)
                return b;
        return ButtonNone;
    }
};

} // namespace vemra::test
