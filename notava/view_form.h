// The list view: every entry of the loaded pair in a grid, with six tabs that
// order or filter the rows. Overdue rows are red, rows due today blue,
// processed entries struck through; a double-click shows the entry in the
// main window. Closing only hides it.
#pragma once

#include <QWidget>

#include "todo_lists.h"

class QTabBar;
class QTableWidget;
class TForm1;

class TViewForm : public QWidget {
public:
    // Grid rows count the header as row 0, as the rows of the handheld's desktop did.
    enum Column { kRank, kEntryDate, kLimitDate, kRequest, kClient, kContent, kSecret, kColumnCount };
    // The three values each row carries beside its texts.
    enum HiddenRole { kDeletedValue = Qt::UserRole + 1, kDateKeyValue, kEntryNumberValue };

    explicit TViewForm(TForm1& form1);

    void FormCreate();
    void ListShow();
    void ListClose();
    void TabControl1Change();
    void StringGrid1DblClick();
    // Shows the window and fills it again, also when it is visible already.
    void ShowAndRefill();

    void FillRow(int row, int n);
    void ClearFirstRow();
    // Row count of the grid, header included.
    int RowCount() const;
    int HiddenValue(int row, HiddenRole role) const;
    QString CellText(int column, int row) const;
    ListTab SelectedTab() const;

    QTabBar* TabControl1;
    QTableWidget* StringGrid1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetRowCount(int rows);
    void WriteRow(int row, const QStringList& texts, int deleted, int dateKey, int entry);

    TForm1& form1_;
};
