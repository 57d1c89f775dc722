// The desktop's message boxes and file dialogs behind the core's UserDialogs.
#pragma once

#include "model/save_dialog_memory.h"
#include "model/user_dialogs.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace vemra {

class QtUserDialogs : public UserDialogs {
public:
    // parent: the window the boxes belong to; when none is given the active
    // window is used at the time of the question.
    explicit QtUserDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    DialogButton message(DialogKind kind, const std::string& text, unsigned buttons) override;
    std::optional<std::string> chooseFile(const FileDialogRequest& request) override;

    void setParent(QWidget* parent) { parent_ = parent; }
    // Folder and file type last chosen in the save dialogs that keep them.
    SaveDialogMemory& places() { return memory_; }

    // The pieces a box is made of, exposed so that they can be checked
    // without showing anything.
    static QString displayText(const std::string& text);
    static QString titleFor(DialogKind kind);
    static QMessageBox::Icon iconFor(DialogKind kind);
    static QMessageBox::StandardButtons standardButtons(unsigned buttons);
    static DialogButton answerFor(QMessageBox::StandardButton button);
    static QStringList nameFilters(const FileDialogRequest& request);
    // Builds (without showing) the box that message() shows.
    QMessageBox* createMessageBox(DialogKind kind, const std::string& text, unsigned buttons) const;

private:
    QWidget* parentWidget() const;
    QWidget* parent_;
    SaveDialogMemory memory_;
};

class SettingsStore;

// The remembered places in the settings ("Files": "Last<Kind>Path",
// "Last<Kind>Type" counted from 1, "Last<Kind>Start" the folder asked for).
void readSavePlaces(const SettingsStore& store, SaveDialogMemory& memory);
void writeSavePlaces(SettingsStore& store, const SaveDialogMemory& memory);

} // namespace vemra
