#include "dlg_tab.h"

#include "model/numeric.h"
#include "model/user_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>

namespace vemra {

namespace {

// The progress of a long table, shown only when writing takes a while.
class ProgressDialogAdapter : public TableProgress {
public:
    explicit ProgressDialogAdapter(QWidget* parent) : parent_(parent) {}

    bool progress(long long written, long long total) override
    {
        if (!dialog_) {
            dialog_ = std::make_unique<QProgressDialog>(QStringLiteral("Wertetabelle wird geschrieben..."),
                                                        QStringLiteral("Abbrechen"), 0, 1000, parent_);
            dialog_->setWindowTitle(QStringLiteral("Wertetabelle"));
            dialog_->setWindowModality(Qt::WindowModal);
            dialog_->setMinimumDuration(500);
        }
        dialog_->setValue(total > 0 ? static_cast<int>(written * 1000 / total) : 0);
        QApplication::processEvents();
        return !dialog_->wasCanceled();
    }

private:
    QWidget* parent_;
    std::unique_ptr<QProgressDialog> dialog_;
};

// The step as typed: a point (or a comma) as decimal separator whatever the
// locale, exponent allowed.
std::optional<double> parseStep(QString text)
{
    text = text.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    const std::string s = text.toStdString();
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value;
}

QString stepText(double step)
{
    return QString::fromStdString(FormatSig(10, step)).trimmed();
}

} // namespace

TDlgTab::TDlgTab(UserDialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("TDlgTab"));
    setWindowTitle(QStringLiteral("Vorgabe Wertetabelle"));
    auto* layout = new QVBoxLayout(this);

    auto* box = new QGroupBox(QStringLiteral("Spalten"), this);
    auto* grid = new QGridLayout(box);
    auto make = [&](QCheckBox*& field, TableColumn c, const char* name, const char* caption, int row, int col) {
        field = new QCheckBox(QString::fromUtf8(caption), box);
        field->setObjectName(QLatin1String(name));
        grid->addWidget(field, row, col);
        columns_[static_cast<size_t>(c)] = field;
        connect(field, &QCheckBox::clicked, this, &TDlgTab::lockLastColumn);
    };
    make(Prns0, TableColumn::S0, "Prns0", "s", 0, 0);
    make(Prns1, TableColumn::S1, "Prns1", "s'", 1, 0);
    make(Prns2, TableColumn::S2, "Prns2", "s''", 2, 0);
    make(Prns3, TableColumn::S3, "Prns3", "s'''", 3, 0);
    make(Prnq0, TableColumn::Q0, "Prnq0", "q", 0, 1);
    make(Prnq1, TableColumn::Q1, "Prnq1", "q'", 1, 1);
    make(Prnq2, TableColumn::Q2, "Prnq2", "q''", 2, 1);
    make(Prnq3, TableColumn::Q3, "Prnq3", "q'''", 3, 1);
    make(PrnM, TableColumn::M, "PrnM", "s'·s''", 0, 2);
    layout->addWidget(box);

    auto* form = new QFormLayout;
    Edwidth = new QSpinBox(this);
    Edwidth->setObjectName(QStringLiteral("Edwidth"));
    Edwidth->setRange(ValueTableSettings::MinDigits, ValueTableSettings::MaxDigits);
    form->addRow(QStringLiteral("Stellenzahl"), Edwidth);
    EdInc = new QLineEdit(this);
    EdInc->setObjectName(QStringLiteral("EdInc"));
    form->addRow(QStringLiteral("Schrittweite [°]"), EdInc);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TDlgTab::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // Wide enough for the caption.
    setMinimumWidth(320);
    showSettings();
}

void TDlgTab::setSettings(const ValueTableSettings& settings)
{
    settings_ = settings;
    showSettings();
}

void TDlgTab::showSettings()
{
    for (int c = 0; c < TableColumnCount; ++c)
        columns_[static_cast<size_t>(c)]->setChecked(settings_.columns[static_cast<size_t>(c)]);
    Edwidth->setValue(settings_.digits);
    EdInc->setText(stepText(settings_.step));
    lockLastColumn();
}

void TDlgTab::lockLastColumn()
{
    int checked = 0;
    for (QCheckBox* box : columns_)
        checked += box->isChecked() ? 1 : 0;
    for (QCheckBox* box : columns_)
        box->setEnabled(!(checked == 1 && box->isChecked()));
}

bool TDlgTab::execModal()
{
    // A cancelled dialog leaves the settings as they were.
    showSettings();
    return exec() == QDialog::Accepted;
}

void TDlgTab::accept()
{
    const auto step = parseStep(EdInc->text());
    if (!step) {
        QApplication::beep();
        EdInc->setFocus();
        EdInc->selectAll();
        return;
    }
    // Out of range is taken as the nearer limit, as in every numeric field.
    const double clamped = std::clamp(*step, ValueTableSettings::MinStep, ValueTableSettings::MaxStep);
    if (clamped != *step)
        EdInc->setText(stepText(clamped));
    for (int c = 0; c < TableColumnCount; ++c)
        settings_.columns[static_cast<size_t>(c)] = columns_[static_cast<size_t>(c)]->isChecked();
    settings_.digits = Edwidth->value();
    settings_.step = clamped;
    QDialog::accept();
}

void TDlgTab::tabulate(TreeItem* motion)
{
    ProgressDialogAdapter progress(parentWidget());
    MakeTableCommand(dialogs_, motion, settings_, &progress);
}

} // namespace vemra
