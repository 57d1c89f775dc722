// "Vorgabe Wertetabelle": which columns a value table has, how many
// significant digits and which angle step; and the writing of a table with
// a progress dialog that can cancel a long one. The settings last while
// the program runs.
#pragma once

#include "app/app_windows.h"

#include "report/value_table.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace vemra {

class UserDialogs;

class TDlgTab : public QDialog, public ValueTableWindow {
    Q_OBJECT
public:
    TDlgTab(UserDialogs& dialogs, QWidget* parent);

    bool execModal() override;
    void tabulate(TreeItem* motion) override;

    const ValueTableSettings& settings() const { return settings_; }
    void setSettings(const ValueTableSettings& settings);

    // The nine check boxes in the order of TableColumn.
    QCheckBox* column(TableColumn c) const { return columns_[static_cast<size_t>(c)]; }
    QCheckBox* Prns0 = nullptr;
    QCheckBox* Prns1 = nullptr;
    QCheckBox* Prns2 = nullptr;
    QCheckBox* Prns3 = nullptr;
    QCheckBox* Prnq0 = nullptr;
    QCheckBox* Prnq1 = nullptr;
    QCheckBox* Prnq2 = nullptr;
    QCheckBox* Prnq3 = nullptr;
    QCheckBox* PrnM = nullptr;
    QSpinBox* Edwidth = nullptr;
    QLineEdit* EdInc = nullptr;

public slots:
    void accept() override;

private:
    // One column must stay: when only one box is checked, it cannot be
    // cleared.
    void lockLastColumn();
    void showSettings();

    UserDialogs& dialogs_;
    ValueTableSettings settings_;
    std::array<QCheckBox*, TableColumnCount> columns_{};
};

} // namespace vemra
