#include "main_form.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "about_form.h"
#include "handler_guard.h"
#include "todo_display.h"
#include "todo_lists.h"
#include "view_form.h"

namespace {

constexpr int kClientWidth = 323;
constexpr int kClientHeight = 337;
constexpr int kLabelPixels = 15;

template <class Widget, class... Args>
Widget* Place(QWidget* parent, const char* name, QRect geometry, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QLabel* PlaceLabel(QWidget* parent, const char* name, QPoint position, const char* caption) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(name);
    label->setFont(GothicFont(kLabelPixels, false));
    label->move(position);
    label->adjustSize();
    return label;
}

// The entry fields only display, so Tab passes them by; a click still focuses them.
template <class Widget>
Widget* OffTabChain(Widget* widget) {
    widget->setFocusPolicy(Qt::ClickFocus);
    return widget;
}

}  // namespace

TForm1::TForm1(TCalendar::DateSource currentDate) : currentDate_(std::move(currentDate)) {
    setObjectName("Form1");
    setWindowTitle("ZT Todo list Viewer");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(GothicFont(12, false));

    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    CreateControls(client);
    CreateMenu();
    CreateOpenDialog();
    layout()->setSizeConstraint(QLayout::SetFixedSize);  // not resizable
    ConnectHandlers();

    today_ = {Calendar1->Year(), Calendar1->Month(), Calendar1->Day()};
    SpinYear->setValue(Calendar1->Year());
    MonthEdit->setText(QString::number(Calendar1->Month()));
    List1->setEnabled(false);
    RefreshMarks();
}

void TForm1::SetForms(TViewForm* viewForm, TAboutForm* aboutForm) {
    viewForm_ = viewForm;
    aboutForm_ = aboutForm;
}

void TForm1::CreateControls(QWidget* client) {
    SpinYear = Place<QSpinBox>(client, "SpinYear", {8, 0, 57, 21});
    SpinYear->setRange(kMinYear, kMaxYear);
    MonthEdit = Place<QLineEdit>(client, "MonthEdit", {72, 0, 33, 20});
    MonthEdit->setReadOnly(true);
    PrevMonth = Place<QPushButton>(client, "PrevMonth", {112, 0, 75, 25}, "Prev Month");
    NextMonth = Place<QPushButton>(client, "NextMonth", {192, 0, 75, 25}, "Next Month");
    TodayButton = Place<QPushButton>(client, "TodayButton", {272, 0, 49, 25}, "Today");
    Calendar1 = Place<FCalendar>(client, "Calendar1", {0, 32, 320, 120}, currentDate_);
    Calendar1->SetStartOfWeek(7);
    CreateEntryFields(client);
}

void TForm1::CreateEntryFields(QWidget* client) {
    Label1 = PlaceLabel(client, "Label1", {8, 168}, "記入日");
    EntryDate = OffTabChain(Place<QLineEdit>(client, "EntryDate", {56, 168, 113, 20}));
    Label2 = PlaceLabel(client, "Label2", {8, 192}, "期限日");
    LimitDate = OffTabChain(Place<QLineEdit>(client, "LimitDate", {56, 192, 113, 20}));
    PrevBtn = Place<QPushButton>(client, "PrevBtn", {176, 176, 57, 25}, "Prev");
    NextBtn = Place<QPushButton>(client, "NextBtn", {256, 176, 57, 25}, "Next");
    PrevBtn->setEnabled(false);
    NextBtn->setEnabled(false);
    Content = OffTabChain(Place<QPlainTextEdit>(client, "Content", {0, 216, 313, 49}));
    Content->setTabChangesFocus(true);
    Label3 = PlaceLabel(client, "Label3", {0, 272}, "依頼元");
    Request = OffTabChain(Place<QLineEdit>(client, "Request", {56, 272, 105, 20}));
    Label4 = PlaceLabel(client, "Label4", {0, 296}, "依頼先");
    Client = OffTabChain(Place<QLineEdit>(client, "Client", {56, 296, 105, 20}));

    Rank = Place<QGroupBox>(client, "Rank", {168, 272, 113, 33}, QString::fromUtf8("ランク"));
    RankButtons = new QButtonGroup(Rank);
    RankButtons->setObjectName("RankButtons");
    const char* items[] = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) {
        auto* button = Place<QRadioButton>(Rank, items[i], {6 + 36 * i, 14, 34, 17}, items[i]);
        RankButtons->addButton(button, i);
    }
    RankButtons->button(0)->setChecked(true);
    Secret = OffTabChain(Place<QCheckBox>(client, "Secret", {168, 312, 65, 17}, "Secret"));
    Deleted = OffTabChain(Place<QCheckBox>(client, "Deleted", {240, 312, 73, 17}, QString::fromUtf8("処理済み")));
}

void TForm1::CreateMenu() {
    auto addAction = [this](QMenu* menu, const char* name, const char* text, QKeySequence shortcut = {}) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        return action;
    };
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("File1");
    Open1 = addAction(file, "Open1", "&Open", QKeySequence(Qt::CTRL | Qt::Key_O));
    Exit1 = addAction(file, "Exit1", "E&xit");
    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("View1");
    List1 = addAction(view, "List1", "&List...", QKeySequence(Qt::CTRL | Qt::Key_L));
    List1->setCheckable(true);
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    About2 = addAction(help, "About2", "&About");
}

// Qt's own dialog: the same everywhere, with a file-name edit field. The
// filters are the handheld desktop's, written in Qt's pattern syntax.
void TForm1::CreateOpenDialog() {
    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName("OpenDialog1");
    OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setNameFilters({"Todo Data files(*.idx *.dat)", "All Files(*)"});
}

void TForm1::ConnectHandlers() {
    // A slot that runs `method` as a guarded handler, whatever the signal carries.
    auto handle = [this](void (TForm1::*method)()) {
        return [this, method] { RunHandler(this, [&] { (this->*method)(); }); };
    };
    connect(Open1, &QAction::triggered, this, handle(&TForm1::Open1Click));
    connect(Exit1, &QAction::triggered, this, handle(&TForm1::Exit1Click));
    connect(List1, &QAction::triggered, this, handle(&TForm1::List1Click));
    connect(About2, &QAction::triggered, this, handle(&TForm1::About2Click));
    connect(TodayButton, &QPushButton::clicked, this, handle(&TForm1::TodayButtonClick));
    connect(PrevMonth, &QPushButton::clicked, this, handle(&TForm1::PrevMonthClick));
    connect(NextMonth, &QPushButton::clicked, this, handle(&TForm1::NextMonthClick));
    connect(NextBtn, &QPushButton::clicked, this, handle(&TForm1::NextBtnClick));
    connect(PrevBtn, &QPushButton::clicked, this, handle(&TForm1::PrevBtnClick));
    connect(SpinYear, &QSpinBox::valueChanged, this,
            [this](int year) { RunHandler(this, [&] { SpinYearChange(year); }); });
    // Called from inside the calendar's own guarded handlers and setters.
    Calendar1->OnChange = [this](TCalendar*) { Calendar1Change(); };
}

void TForm1::Open1Click() {
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) return;
    OpenTodoFile(OpenDialog1->selectedFiles().first());
}

void TForm1::OpenTodoFile(const QString& path) {
    if (!LoadTodoFiles(path.toStdString(), data_)) return;
    List1->setEnabled(true);
    currentEntry_ = 1;
    if (viewForm_) viewForm_->ShowAndRefill();
    Calendar1Change();
    RefreshMarks();
}

void TForm1::Exit1Click() { close(); }

void TForm1::List1Click() {
    if (!viewForm_) return;
    viewForm_->show();
    viewForm_->raise();
    viewForm_->activateWindow();
}

void TForm1::About2Click() {
    if (!aboutForm_) return;
    aboutForm_->show();
    aboutForm_->raise();
}

void TForm1::SpinYearChange(int year) { Calendar1->SetYear(year); }

void TForm1::Calendar1Change() {
    {
        const QSignalBlocker quiet(SpinYear);  // the calendar keeps a year outside the box's range
        SpinYear->setValue(Calendar1->Year());
    }
    dayList_ = EntriesDueOn(data_, ToTodoDate(Calendar1->CalendarDate()));
    dayListPos_ = 0;
    const int first = dayList_.empty() ? 0 : dayList_.front();
    NextBtn->setEnabled(false);
    PrevBtn->setEnabled(false);
    if (first != 0) {
        currentEntry_ = first;
        NextBtn->setEnabled(dayList_.size() > 1);
    }
    ShowEntry(first);
}

void TForm1::NextBtnClick() {
    if (dayListPos_ + 1 >= static_cast<int>(dayList_.size())) return;
    PrevBtn->setEnabled(true);
    currentEntry_ = dayList_[++dayListPos_];
    if (dayListPos_ + 1 >= static_cast<int>(dayList_.size())) NextBtn->setEnabled(false);
    ShowEntry(currentEntry_);
}

void TForm1::PrevBtnClick() {
    if (dayListPos_ < 1 || dayListPos_ >= static_cast<int>(dayList_.size())) return;
    NextBtn->setEnabled(true);
    currentEntry_ = dayList_[--dayListPos_];
    if (dayListPos_ < 1) PrevBtn->setEnabled(false);
    ShowEntry(currentEntry_);
}

void TForm1::ShowEntry(int n) {
    if (n < 1 || n >= data_.entryCount) {
        ClearFields();
    } else {
        const TodoEntry& entry = data_.entries[n];
        MoveCalendarTo(entry.limitDate);  // may show the new date's first entry on the way
        EntryDate->setText(DisplayDate(entry.entryDate));
        LimitDate->setText(DisplayDate(entry.limitDate));
        Request->setText(DisplayLine(entry.request));
        Client->setText(DisplayLine(entry.client));
        Content->setPlainText(DisplayText(entry.content));
        ShowRank(entry.rank);
        Deleted->setChecked(entry.deleted);
        Secret->setChecked(entry.secret);
    }
    RefreshMarks();
}

// One step to the whole date, so no intermediate date can fail (29 February
// into a year without it); a due date that is no day of the calendar leaves
// the calendar where it is. The change event runs Calendar1Change for the new date.
void TForm1::MoveCalendarTo(const TodoDate& date) {
    const QDate target = ToQDate(date);
    if (!target.isValid() || target.year() > TCalendar::kMaxYear || target == Calendar1->CalendarDate()) return;
    Calendar1->SetCalendarDate(target);
}

// 'A', 'B', 'C' select their button; a byte below 'A' selects none, one above 'C' selects "C".
void TForm1::ShowRank(unsigned char rank) {
    const int index = rank - 'A';
    if (index >= 0) {
        RankButtons->button(std::min(index, 2))->setChecked(true);
        return;
    }
    RankButtons->setExclusive(false);
    for (QAbstractButton* button : RankButtons->buttons()) button->setChecked(false);
    RankButtons->setExclusive(true);
}

void TForm1::ClearFields() {
    for (QLineEdit* edit : {EntryDate, LimitDate, Request, Client}) edit->clear();
    Content->clear();
    ShowRank('A');
    Secret->setChecked(false);
    Deleted->setChecked(false);
    NextBtn->setEnabled(false);
    PrevBtn->setEnabled(false);
}

void TForm1::RefreshMarks() {
    MonthEdit->setText(QString::number(Calendar1->Month()));
    Calendar1->ClearMarks();
    const std::bitset<32> days = DueDaysOfMonth(data_, Calendar1->Year(), Calendar1->Month());
    for (int day = 1; day <= 31; ++day)
        if (days.test(day)) Calendar1->SetMark(day);
    Calendar1->update();
}

void TForm1::TodayButtonClick() {
    MoveCalendarTo(ToTodoDate(currentDate_()));
    Calendar1Change();
    MonthEdit->setText(QString::number(Calendar1->Month()));
}

void TForm1::PrevMonthClick() {
    Calendar1->StepMonth(-1);
    RefreshMarks();
}

void TForm1::NextMonthClick() {
    Calendar1->StepMonth(+1);
    RefreshMarks();
}
