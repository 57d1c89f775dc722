#include "qt_user_dialogs.h"

#include "model/file_names.h"
#include "platform/qt/settings_store.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>

#include <algorithm>
#include <memory>

namespace vemra {

QString QtUserDialogs::displayText(const std::string& text)
{
    // Core texts mark line breaks with a single carriage return.
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString QtUserDialogs::titleFor(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Error:
        return QStringLiteral("Fehler");
    case DialogKind::Warning:
        return QStringLiteral("Warnung");
    case DialogKind::Information:
        return QStringLiteral("Information");
    case DialogKind::Confirmation:
        return QStringLiteral("Bestätigen");
    }
    return QString();
}

QMessageBox::Icon QtUserDialogs::iconFor(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Error:
        return QMessageBox::Critical;
    case DialogKind::Warning:
        return QMessageBox::Warning;
    case DialogKind::Information:
        return QMessageBox::Information;
    case DialogKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtUserDialogs::standardButtons(unsigned buttons)
{
    QMessageBox::StandardButtons result;
    if (buttons & ButtonYes)
        result |= QMessageBox::Yes;
    if (buttons & ButtonNo)
        result |= QMessageBox::No;
    if (buttons & ButtonOk)
        result |= QMessageBox::Ok;
    if (buttons & ButtonCancel)
        result |= QMessageBox::Cancel;
    if (buttons & ButtonAbort)
        result |= QMessageBox::Abort;
    if (!result)
        result = QMessageBox::Ok; // a box must be closable
    return result;
}

DialogButton QtUserDialogs::answerFor(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Yes:
        return ButtonYes;
    case QMessageBox::No:
        return ButtonNo;
    case QMessageBox::Ok:
        return ButtonOk;
    case QMessageBox::Cancel:
        return ButtonCancel;
    case QMessageBox::Abort:
        return ButtonAbort;
    default:
        return ButtonNone;
    }
}

QWidget* QtUserDialogs::parentWidget() const
{
    return parent_ ? parent_ : QApplication::activeWindow();
}

QMessageBox* QtUserDialogs::createMessageBox(DialogKind kind, const std::string& text, unsigned buttons) const
{
    auto* box = new QMessageBox(parentWidget());
    box->setIcon(iconFor(kind));
    box->setWindowTitle(titleFor(kind));
    box->setTextFormat(Qt::PlainText);
    box->setText(displayText(text));
    const QMessageBox::StandardButtons set = standardButtons(buttons);
    box->setStandardButtons(set);
    // The affirmative button is the default; Escape takes the most cautious
    // answer the box offers.
    for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::No, QMessageBox::Cancel,
                                          QMessageBox::Abort})
        if (set & b) {
            box->setDefaultButton(b);
            break;
        }
    for (QMessageBox::StandardButton b : {QMessageBox::Cancel, QMessageBox::Abort, QMessageBox::No, QMessageBox::Ok})
        if (set & b) {
            box->setEscapeButton(b);
            break;
        }
    return box;
}

DialogButton QtUserDialogs::message(DialogKind kind, const std::string& text, unsigned buttons)
{
    std::unique_ptr<QMessageBox> box(createMessageBox(kind, text, buttons));
    box->exec();
    const auto clicked = box->standardButton(box->clickedButton());
    DialogButton answer = answerFor(clicked);
    if (answer == ButtonNone || !(buttons & answer)) {
        // Closed by the window manager: answer as Escape would.
        answer = answerFor(box->standardButton(box->escapeButton()));
        if (!(buttons & answer))
            answer = ButtonNone;
    }
    return answer;
}

QStringList QtUserDialogs::nameFilters(const FileDialogRequest& request)
{
    QStringList filters;
    for (const auto& [caption, pattern] : request.filters) {
        // The dialog shows a caption with its blanks simplified, and only
        // the same text finds the file type again.
        const QString c = QString::fromStdString(caption).simplified();
        const QString p = QString::fromStdString(pattern);
        // Captions such as "Projektdatei (*.r4p)" already name their pattern.
        QString patterns = p;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (c.endsWith(QLatin1Char(')')) && c.contains(QLatin1Char('(')))
            filters << c.left(c.lastIndexOf(QLatin1Char('('))).trimmed() + QLatin1String(" (") + patterns
                           + QLatin1Char(')');
        else
            filters << c + QLatin1String(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

namespace {

// The extension the file type at index gives a name typed without one, or
// the request's default where the type names none ("*.*").
QString suffixFor(const FileDialogRequest& request, int index)
{
    std::string extension;
    if (index >= 0 && index < static_cast<int>(request.filters.size()))
        extension = patternExtension(request.filters[static_cast<size_t>(index)].second);
    if (extension.empty())
        return QString::fromStdString(request.defaultExtension);
    return QString::fromStdString(extension.substr(1));
}

} // namespace

std::optional<std::string> QtUserDialogs::chooseFile(const FileDialogRequest& asked)
{
    const FileDialogRequest request = memory_.prepared(asked);
    QFileDialog dialog(parentWidget(), QString::fromStdString(request.title));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = nameFilters(request);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (request.filterIndex > 0 && request.filterIndex < filters.size())
            dialog.selectNameFilter(filters.at(request.filterIndex));
    }
    // A name typed without extension gets the one of the file type shown,
    // before the dialog asks about overwriting.
    const auto typeIndex = [&dialog, &filters] { return static_cast<int>(filters.indexOf(dialog.selectedNameFilter())); };
    const auto followType = [&] {
        const QString suffix = request.save ? suffixFor(request, typeIndex()) : QString::fromStdString(request.defaultExtension);
        dialog.setDefaultSuffix(suffix);
    };
    followType();
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followType);
    QString directory = QString::fromStdString(request.initialDirectory);
    if (directory.isEmpty() || !QFileInfo(directory).isDir())
        directory = QDir::homePath();
    dialog.setDirectory(directory);
    if (!request.proposedName.empty()) {
        const QFileInfo proposed(QString::fromStdString(request.proposedName));
        if (proposed.isAbsolute() && QFileInfo(proposed.absolutePath()).isDir())
            dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    }

    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        QString chosen = dialog.selectedFiles().front();
        // A dialog of the platform may give the name back as typed.
        if (request.save && extensionPart(chosen.toStdString()).empty() && !dialog.defaultSuffix().isEmpty())
            chosen += QLatin1Char('.') + dialog.defaultSuffix();
        const QFileInfo info(chosen);
        if (request.save && info.exists() && !info.isWritable()) {
            // Saving must not end in a write error on a protected file.
            message(DialogKind::Warning,
                    "Die Datei \"" + chosen.toStdString() + "\" ist schreibgeschützt.\rBitte wählen Sie einen anderen Namen.",
                    ButtonOk);
            continue;
        }
        if (request.save && !QFileInfo(info.absolutePath()).isDir()) {
            message(DialogKind::Warning,
                    "Der Ordner \"" + info.absolutePath().toStdString() + "\" existiert nicht.", ButtonOk);
            continue;
        }
        const std::string file = QDir::toNativeSeparators(info.absoluteFilePath()).toStdString();
        memory_.remember(asked, file, filterIndexFor(request, file, typeIndex()));
        return file;
    }
}

namespace {

QString placeValue(const char* key, const char* what)
{
    return QStringLiteral("Last") + QString::fromLatin1(key) + QString::fromLatin1(what);
}

const QString FilesSubKey = QStringLiteral("Files");

} // namespace

void readSavePlaces(const SettingsStore& store, SaveDialogMemory& memory)
{
    for (const char* key : SavePlaceKeys) {
        const auto folder = store.readString(FilesSubKey, placeValue(key, "Path"));
        if (!folder || folder->isEmpty())
            continue;
        SavePlace place;
        place.chosenFolder = folder->toStdString();
        place.requestedFolder = store.readString(FilesSubKey, placeValue(key, "Start")).value_or(QString()).toStdString();
        place.filterIndex = std::max(0, store.readInteger(FilesSubKey, placeValue(key, "Type")).value_or(1) - 1);
        memory.places[key] = place;
    }
}

void writeSavePlaces(SettingsStore& store, const SaveDialogMemory& memory)
{
    for (const char* key : SavePlaceKeys) {
        const auto it = memory.places.find(key);
        if (it == memory.places.end())
            continue;
        store.writeString(FilesSubKey, placeValue(key, "Path"), QString::fromStdString(it->second.chosenFolder));
        store.writeString(FilesSubKey, placeValue(key, "Start"), QString::fromStdString(it->second.requestedFolder));
        store.writeInteger(FilesSubKey, placeValue(key, "Type"), it->second.filterIndex + 1);
    }
}

} // namespace vemra
