// The main window of the viewer: a month calendar whose due days are bold
// and, below it, the fields of the entry due on the selected day. It owns
// the loaded ToDo pair, the list window (given the pair and today's date) and
// the about box.
#pragma once

#include <QMainWindow>
#include <memory>
#include <vector>

#include "calendar.h"
#include "todo_files.h"

class AboutBox;
class ListWindow;
class QAction;
class QButtonGroup;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

class MainWindow : public QMainWindow {
public:
    static constexpr int MIN_YEAR = 1990;
    static constexpr int MAX_YEAR = 2200;

    // The controls, each carrying its fixed object name (in comments).
    struct Controls {
        QSpinBox* yearBox;            // SpinYear
        QLineEdit* monthBox;          // MonthEdit
        QPushButton* prevMonthButton; // PrevMonth
        QPushButton* nextMonthButton; // NextMonth
        QPushButton* todayButton;     // TodayButton
        MarkedCalendar* calendar;     // Calendar1
        QLabel* entryDateLabel;       // Label1
        QLineEdit* entryDateEdit;     // EntryDate
        QLabel* limitDateLabel;       // Label2
        QLineEdit* limitDateEdit;     // LimitDate
        QPushButton* prevEntryButton; // PrevBtn
        QPushButton* nextEntryButton; // NextBtn
        QPlainTextEdit* contentEdit;  // Content
        QLabel* requestLabel;         // Label3
        QLineEdit* requestEdit;       // Request
        QLabel* clientLabel;          // Label4
        QLineEdit* clientEdit;        // Client
        QGroupBox* rankBox;           // Rank
        QButtonGroup* rankButtons;    // RankButtons
        QCheckBox* secretBox;         // Secret
        QCheckBox* deletedBox;        // Deleted
        QAction* openAction;          // Open1
        QMenu* recentMenu;            // Recent1, items Recent1_1 ... Recent1_5
        QAction* exportAction;        // Export1
        QAction* exitAction;          // Exit1
        QAction* listAction;          // List1
        QAction* aboutAction;         // About2
        QFileDialog* openDialog;      // OpenDialog1
    };

    explicit MainWindow(MonthCalendar::DateSource currentDate = &QDate::currentDate);
    ~MainWindow() override;

    const Controls& controls() const { return controls_; }
    ListWindow& listWindow() const { return *listWindow_; }
    AboutBox& aboutBox() const { return *aboutBox_; }

    const TodoData& data() const { return data_; }
    TodoDate today() const { return today_; }
    int currentEntry() const { return currentEntry_; }
    const std::vector<int>& dayList() const { return dayList_; }
    int dayListPos() const { return dayListPos_; }

    // Loads the pair of `path` as the open command does after its dialog;
    // when it cannot, says why in an error box and changes nothing.
    bool openTodoFile(const QString& path);
    // Exports the loaded pair to `outPath` (.ics or .csv); an error box when it cannot.
    bool exportTo(const QString& outPath);
    // Shows entry n (moving the calendar to its due date), or clears the fields for 0.
    void showEntry(int n);
    void refreshMarks();

    void onOpenChosen();
    void onExportChosen();
    void onExitChosen();
    void onListChosen();
    void onAboutChosen();
    void onYearBoxChanged(int year);
    void onCalendarChanged();
    void onTodayClicked();
    void onPrevMonthClicked();
    void onNextMonthClicked();
    void onNextEntryClicked();
    void onPrevEntryClicked();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void showRecentPairs();
    void createControls(QWidget* client);
    void createEntryFields(QWidget* client);
    void createMenu();
    void createOpenDialog();
    void connectHandlers();
    void connectListWindow();
    void moveCalendarTo(const TodoDate& date);
    void showRank(unsigned char rank);
    void clearFields();

    MonthCalendar::DateSource currentDate_;
    Controls controls_{};
    TodoData data_;
    QString pairPath_;  // the file the loaded pair was opened by
    int currentEntry_ = 1;
    std::vector<int> dayList_;  // entries due on the selected date, in entry order
    int dayListPos_ = 0;
    TodoDate today_;
    std::unique_ptr<ListWindow> listWindow_;
    std::unique_ptr<AboutBox> aboutBox_;
};
