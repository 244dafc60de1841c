// The main window of the viewer: a month calendar whose due days are bold
// and, below it, the fields of the entry due on the selected day. It owns
// the loaded ToDo pair; the list view reads it from here.
#pragma once

#include <QMainWindow>
#include <vector>

#include "calendar.h"
#include "todo_files.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class TAboutForm;
class TViewForm;

class TForm1 : public QMainWindow {
public:
    static constexpr int kMinYear = 1990;
    static constexpr int kMaxYear = 2200;

    explicit TForm1(TCalendar::DateSource currentDate = &QDate::currentDate);
    // The two other windows; both live as long as this one.
    void SetForms(TViewForm* viewForm, TAboutForm* aboutForm);

    const TodoData& Data() const { return data_; }
    TodoDate Today() const { return today_; }
    int CurrentEntry() const { return currentEntry_; }
    const std::vector<int>& DayList() const { return dayList_; }
    int DayListPos() const { return dayListPos_; }

    // Loads the pair of `path` as the open command does after its dialog.
    void OpenTodoFile(const QString& path);
    // Shows entry n (moving the calendar to its due date), or clears the fields for 0.
    void ShowEntry(int n);
    void RefreshMarks();

    void Open1Click();
    void Exit1Click();
    void List1Click();
    void About2Click();
    void SpinYearChange(int year);
    void Calendar1Change();
    void TodayButtonClick();
    void PrevMonthClick();
    void NextMonthClick();
    void NextBtnClick();
    void PrevBtnClick();

    QSpinBox* SpinYear;
    QLineEdit* MonthEdit;
    QPushButton* PrevMonth;
    QPushButton* NextMonth;
    QPushButton* TodayButton;
    FCalendar* Calendar1;
    QLabel* Label1;
    QLineEdit* EntryDate;
    QLabel* Label2;
    QLineEdit* LimitDate;
    QPushButton* PrevBtn;
    QPushButton* NextBtn;
    QPlainTextEdit* Content;
    QLabel* Label3;
    QLineEdit* Request;
    QLabel* Label4;
    QLineEdit* Client;
    QGroupBox* Rank;
    QButtonGroup* RankButtons;
    QCheckBox* Secret;
    QCheckBox* Deleted;
    QAction* Open1;
    QAction* Exit1;
    QAction* List1;
    QAction* About2;
    QFileDialog* OpenDialog1;

private:
    void CreateControls(QWidget* client);
    void CreateEntryFields(QWidget* client);
    void CreateMenu();
    void CreateOpenDialog();
    void ConnectHandlers();
    void MoveCalendarTo(const TodoDate& date);
    void ShowRank(unsigned char rank);
    void ClearFields();

    TCalendar::DateSource currentDate_;
    TViewForm* viewForm_ = nullptr;
    TAboutForm* aboutForm_ = nullptr;
    TodoData data_;
    int currentEntry_ = 1;
    std::vector<int> dayList_;  // entries due on the selected date, in entry order
    int dayListPos_ = 0;
    TodoDate today_;
};
