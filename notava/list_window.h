// The list window: every entry of the loaded pair in a grid, with six tabs
// that order or filter the rows and a filter box (hidden until asked for)
// that narrows them to the entries containing a text. Overdue rows are red,
// rows due today blue, processed entries struck through. It is given the pair and today's date and
// tells its owner what happened: an entry chosen by a double-click, the window
// shown or hidden. Closing only hides it.
#pragma once

#include <QWidget>

#include "todo_lists.h"

class QLineEdit;
class QTabBar;
class QTableWidget;

class ListWindow : public QWidget {
    Q_OBJECT

public:
    // Grid rows count the header as row 0, as the rows of the handheld's desktop did.
    enum Column { RANK, ENTRY_DATE, LIMIT_DATE, REQUEST, CLIENT, CONTENT, SECRET, COLUMN_COUNT };
    // The three values each row carries beside its texts.
    enum HiddenRole { DELETED_VALUE = Qt::UserRole + 1, DATE_KEY_VALUE, ENTRY_NUMBER_VALUE };

    // `data` is read whenever the rows are filled, so it must outlive the window.
    ListWindow(const TodoData& data, TodoDate today);

    // Shows the window and fills it again, also when it is visible already.
    void showAndRefill();

    void fillRow(int row, int n);
    void clearFirstRow();
    // Row count of the grid, header included.
    int rowCount() const;
    int hiddenValue(int row, HiddenRole role) const;
    QString cellText(int column, int row) const;
    ListTab selectedTab() const;

    QTabBar* tabBar() const { return tabBar_; }
    QTableWidget* grid() const { return grid_; }
    QLineEdit* filterEdit() const { return filterEdit_; }

    // The filter box above the grid (Ctrl+F); hiding it (Escape) clears it.
    void showFilter();
    void hideFilter();

    void onTabChanged();
    void onRowDoubleClicked();

signals:
    void entryChosen(int entry);
    void visibilityChanged(bool visible);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Fills the rows in entry order, the strip back on its first tab.
    void refill();
    void createFilter();
    void createGrid();
    void fillRows(ListTab tab);
    QStringList rowTexts(int n) const;
    void writeHeaders();
    void setRowCount(int rows);
    void writeRow(int row, const QStringList& texts, int deleted, int dateKey, int entry);

    const TodoData& data_;
    TodoDate today_;
    QTabBar* tabBar_;
    QLineEdit* filterEdit_;
    QTableWidget* grid_;
};
