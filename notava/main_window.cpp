#include "main_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "about_box.h"
#include "handler_guard.h"
#include "list_window.h"
#include "recent_pairs.h"
#include "todo_display.h"
#include "todo_export.h"
#include "todo_lists.h"

namespace {

// The first dropped local file when it is a .idx or .dat file (any case).
QString droppedTodoFile(const QMimeData* mime) {
    if (!mime->hasUrls() || mime->urls().isEmpty() || !mime->urls().first().isLocalFile()) return {};
    const QString path = mime->urls().first().toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == "idx" || suffix == "dat" ? path : QString();
}

constexpr int CLIENT_WIDTH = 323;
constexpr int CLIENT_HEIGHT = 337;
constexpr int LABEL_PIXELS = 15;

template <class Widget, class... Args>
Widget* place(QWidget* parent, const char* name, QRect geometry, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QLabel* placeLabel(QWidget* parent, const char* name, QPoint position, const char* caption) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(name);
    label->setFont(gothicFont(LABEL_PIXELS, false));
    label->move(position);
    label->adjustSize();
    return label;
}

// The entry fields only display, so Tab passes them by; a click still focuses them.
template <class Widget>
Widget* offTabChain(Widget* widget) {
    widget->setFocusPolicy(Qt::ClickFocus);
    return widget;
}

}  // namespace

MainWindow::MainWindow(MonthCalendar::DateSource currentDate) : currentDate_(std::move(currentDate)) {
    setObjectName("Form1");
    setWindowTitle("ZT Todo list Viewer");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(gothicFont(12, false));
    setAcceptDrops(true);  // a .idx or .dat file dropped on the window opens

    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setFixedSize(CLIENT_WIDTH, CLIENT_HEIGHT);
    setCentralWidget(client);
    createControls(client);
    createMenu();
    createOpenDialog();
    layout()->setSizeConstraint(QLayout::SetFixedSize);  // not resizable
    connectHandlers();

    today_ = {controls_.calendar->year(), controls_.calendar->month(), controls_.calendar->day()};
    controls_.yearBox->setValue(controls_.calendar->year());
    controls_.monthBox->setText(QString::number(controls_.calendar->month()));
    controls_.listAction->setEnabled(false);
    refreshMarks();
    listWindow_ = std::make_unique<ListWindow>(data_, today_);
    aboutBox_ = std::make_unique<AboutBox>();
    connectListWindow();
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls(QWidget* client) {
    controls_.yearBox = place<QSpinBox>(client, "SpinYear", {8, 0, 57, 21});
    controls_.yearBox->setRange(MIN_YEAR, MAX_YEAR);
    controls_.monthBox = place<QLineEdit>(client, "MonthEdit", {72, 0, 33, 20});
    controls_.monthBox->setReadOnly(true);
    controls_.prevMonthButton = place<QPushButton>(client, "PrevMonth", {112, 0, 75, 25}, "Prev Month");
    controls_.nextMonthButton = place<QPushButton>(client, "NextMonth", {192, 0, 75, 25}, "Next Month");
    controls_.todayButton = place<QPushButton>(client, "TodayButton", {272, 0, 49, 25}, "Today");
    controls_.calendar = place<MarkedCalendar>(client, "Calendar1", {0, 32, 320, 120}, currentDate_);
    controls_.calendar->setStartOfWeek(7);
    createEntryFields(client);
}

void MainWindow::createEntryFields(QWidget* client) {
    controls_.entryDateLabel = placeLabel(client, "Label1", {8, 168}, "記入日");
    controls_.entryDateEdit = offTabChain(place<QLineEdit>(client, "EntryDate", {56, 168, 113, 20}));
    controls_.limitDateLabel = placeLabel(client, "Label2", {8, 192}, "期限日");
    controls_.limitDateEdit = offTabChain(place<QLineEdit>(client, "LimitDate", {56, 192, 113, 20}));
    controls_.prevEntryButton = place<QPushButton>(client, "PrevBtn", {176, 176, 57, 25}, "Prev");
    controls_.nextEntryButton = place<QPushButton>(client, "NextBtn", {256, 176, 57, 25}, "Next");
    controls_.prevEntryButton->setEnabled(false);
    controls_.nextEntryButton->setEnabled(false);
    controls_.contentEdit = offTabChain(place<QPlainTextEdit>(client, "Content", {0, 216, 313, 49}));
    controls_.contentEdit->setTabChangesFocus(true);
    controls_.requestLabel = placeLabel(client, "Label3", {0, 272}, "依頼元");
    controls_.requestEdit = offTabChain(place<QLineEdit>(client, "Request", {56, 272, 105, 20}));
    controls_.clientLabel = placeLabel(client, "Label4", {0, 296}, "依頼先");
    controls_.clientEdit = offTabChain(place<QLineEdit>(client, "Client", {56, 296, 105, 20}));

    controls_.rankBox = place<QGroupBox>(client, "Rank", {168, 272, 113, 33}, QString::fromUtf8("ランク"));
    controls_.rankButtons = new QButtonGroup(controls_.rankBox);
    controls_.rankButtons->setObjectName("RankButtons");
    const char* items[] = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) {
        auto* button = place<QRadioButton>(controls_.rankBox, items[i], {6 + 36 * i, 14, 34, 17}, items[i]);
        controls_.rankButtons->addButton(button, i);
    }
    controls_.rankButtons->button(0)->setChecked(true);
    controls_.secretBox = offTabChain(place<QCheckBox>(client, "Secret", {168, 312, 65, 17}, "Secret"));
    controls_.deletedBox = offTabChain(place<QCheckBox>(client, "Deleted", {240, 312, 73, 17}, QString::fromUtf8("処理済み")));
}

void MainWindow::createMenu() {
    auto addAction = [this](QMenu* menu, const char* name, const char* text, QKeySequence shortcut = {}) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        return action;
    };
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("File1");
    controls_.openAction = addAction(file, "Open1", "&Open", QKeySequence(Qt::CTRL | Qt::Key_O));
    controls_.recentMenu = file->addMenu("Open &Recent");
    controls_.recentMenu->setObjectName("Recent1");
    controls_.exportAction = addAction(file, "Export1", "&Export...", QKeySequence(Qt::CTRL | Qt::Key_E));
    controls_.exportAction->setEnabled(false);
    controls_.exitAction = addAction(file, "Exit1", "E&xit");
    showRecentPairs();
    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("View1");
    controls_.listAction = addAction(view, "List1", "&List...", QKeySequence(Qt::CTRL | Qt::Key_L));
    controls_.listAction->setCheckable(true);
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    controls_.aboutAction = addAction(help, "About2", "&About");
}

// Qt's own dialog: the same everywhere, with a file-name edit field. The
// filters are the handheld desktop's, written in Qt's pattern syntax.
void MainWindow::createOpenDialog() {
    controls_.openDialog = new QFileDialog(this);
    controls_.openDialog->setObjectName("OpenDialog1");
    controls_.openDialog->setOption(QFileDialog::DontUseNativeDialog);
    controls_.openDialog->setFileMode(QFileDialog::ExistingFile);
    controls_.openDialog->setAcceptMode(QFileDialog::AcceptOpen);
    controls_.openDialog->setNameFilters({"Todo Data files(*.idx *.dat)", "All Files(*)"});
}

void MainWindow::showRecentPairs() {
    QMenu* menu = controls_.recentMenu;
    menu->clear();
    const QStringList paths = RecentPairs().paths();
    for (int i = 0; i < paths.size(); ++i) {
        QAction* action = menu->addAction(QString("&%1 %2").arg(i + 1).arg(paths[i]));
        action->setObjectName(QString("Recent1_%1").arg(i + 1));
        const QString path = paths[i];
        connect(action, &QAction::triggered, this, [this, path] { runHandler(this, [&] { openTodoFile(path); }); });
    }
    menu->setEnabled(!paths.isEmpty());
}

void MainWindow::connectHandlers() {
    // A slot that runs `method` as a guarded handler, whatever the signal carries.
    auto handle = [this](void (MainWindow::*method)()) {
        return [this, method] { runHandler(this, [&] { (this->*method)(); }); };
    };
    connect(controls_.openAction, &QAction::triggered, this, handle(&MainWindow::onOpenChosen));
    connect(controls_.exportAction, &QAction::triggered, this, handle(&MainWindow::onExportChosen));
    connect(controls_.exitAction, &QAction::triggered, this, handle(&MainWindow::onExitChosen));
    connect(controls_.listAction, &QAction::triggered, this, handle(&MainWindow::onListChosen));
    connect(controls_.aboutAction, &QAction::triggered, this, handle(&MainWindow::onAboutChosen));
    connect(controls_.todayButton, &QPushButton::clicked, this, handle(&MainWindow::onTodayClicked));
    connect(controls_.prevMonthButton, &QPushButton::clicked, this, handle(&MainWindow::onPrevMonthClicked));
    connect(controls_.nextMonthButton, &QPushButton::clicked, this, handle(&MainWindow::onNextMonthClicked));
    connect(controls_.nextEntryButton, &QPushButton::clicked, this, handle(&MainWindow::onNextEntryClicked));
    connect(controls_.prevEntryButton, &QPushButton::clicked, this, handle(&MainWindow::onPrevEntryClicked));
    connect(controls_.yearBox, &QSpinBox::valueChanged, this,
            [this](int year) { runHandler(this, [&] { onYearBoxChanged(year); }); });
    // Called from inside the calendar's own guarded handlers and setters.
    controls_.calendar->setChangeHandler([this](MonthCalendar*) { onCalendarChanged(); });
}

// The list window tells what happened; the menu item's check mark follows it.
void MainWindow::connectListWindow() {
    connect(listWindow_.get(), &ListWindow::entryChosen, this, &MainWindow::showEntry);
    connect(listWindow_.get(), &ListWindow::visibilityChanged, controls_.listAction, &QAction::setChecked);
}

void MainWindow::onOpenChosen() {
    if (controls_.openDialog->exec() != QDialog::Accepted || controls_.openDialog->selectedFiles().isEmpty()) return;
    openTodoFile(controls_.openDialog->selectedFiles().first());
}

bool MainWindow::openTodoFile(const QString& path) {
    std::string whyNot;
    if (!loadTodoFiles(path.toStdString(), data_, whyNot)) {
        showHandlerError(this, QString::fromStdString(whyNot));  // a silent failure would look like success
        return false;
    }
    pairPath_ = path;
    RecentPairs().add(QFileInfo(path).absoluteFilePath());  // a later start may stand elsewhere
    showRecentPairs();
    controls_.listAction->setEnabled(true);
    controls_.exportAction->setEnabled(true);
    currentEntry_ = 1;
    listWindow_->showAndRefill();
    onCalendarChanged();
    refreshMarks();
    return true;
}

// The format follows the name's extension; a name without one takes the
// chosen filter's.
void MainWindow::onExportChosen() {
    QFileDialog dialog(this, "Export");
    dialog.setObjectName("ExportDialog1");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({"iCalendar files(*.ics)", "CSV files(*.csv)"});
    dialog.setDefaultSuffix("ics");
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter.startsWith("CSV") ? "csv" : "ics");
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    exportTo(dialog.selectedFiles().first());
}

bool MainWindow::exportTo(const QString& outPath) {
    std::string whyNot;
    if (exportTodoFile(data_, pairPath_.toStdString(), outPath.toStdString(), whyNot)) return true;
    showHandlerError(this, QString::fromStdString(whyNot));
    return false;
}

void MainWindow::onExitChosen() { close(); }

// A checkable action toggles itself on every trigger; the mark must follow
// the window, which stays open when it is chosen again.
void MainWindow::onListChosen() {
    listWindow_->show();
    listWindow_->raise();
    listWindow_->activateWindow();
    controls_.listAction->setChecked(listWindow_->isVisible());
}

void MainWindow::onAboutChosen() {
    aboutBox_->show();
    aboutBox_->raise();
}

// After the invalid-date error the boxes show the calendar's date again, not
// the year that was refused.
void MainWindow::onYearBoxChanged(int year) {
    try {
        controls_.calendar->setYear(year);
    } catch (const InvalidDateError&) {
        const QSignalBlocker quiet(controls_.yearBox);
        controls_.yearBox->setValue(controls_.calendar->year());
        controls_.monthBox->setText(QString::number(controls_.calendar->month()));
        throw;
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedTodoFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedTodoFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    runHandler(this, [&] { openTodoFile(path); });
}

void MainWindow::onCalendarChanged() {
    {
        const QSignalBlocker quiet(controls_.yearBox);  // the calendar keeps a year outside the box's range
        controls_.yearBox->setValue(controls_.calendar->year());
    }
    dayList_ = entriesDueOn(data_, toTodoDate(controls_.calendar->date()));
    dayListPos_ = 0;
    const int first = dayList_.empty() ? 0 : dayList_.front();
    controls_.nextEntryButton->setEnabled(false);
    controls_.prevEntryButton->setEnabled(false);
    if (first != 0) {
        currentEntry_ = first;
        controls_.nextEntryButton->setEnabled(dayList_.size() > 1);
    }
    showEntry(first);
}

void MainWindow::onNextEntryClicked() {
    if (dayListPos_ + 1 >= static_cast<int>(dayList_.size())) return;
    controls_.prevEntryButton->setEnabled(true);
    currentEntry_ = dayList_[++dayListPos_];
    if (dayListPos_ + 1 >= static_cast<int>(dayList_.size())) controls_.nextEntryButton->setEnabled(false);
    showEntry(currentEntry_);
}

void MainWindow::onPrevEntryClicked() {
    if (dayListPos_ < 1 || dayListPos_ >= static_cast<int>(dayList_.size())) return;
    controls_.nextEntryButton->setEnabled(true);
    currentEntry_ = dayList_[--dayListPos_];
    if (dayListPos_ < 1) controls_.prevEntryButton->setEnabled(false);
    showEntry(currentEntry_);
}

void MainWindow::showEntry(int n) {
    if (n < 1 || n >= data_.entryCount) {
        clearFields();
    } else {
        const TodoEntry& entry = data_.entries[n];
        moveCalendarTo(entry.limitDate);  // may show the new date's first entry on the way
        controls_.entryDateEdit->setText(displayDate(entry.entryDate));
        controls_.limitDateEdit->setText(displayDate(entry.limitDate));
        controls_.requestEdit->setText(displayLine(entry.request));
        controls_.clientEdit->setText(displayLine(entry.client));
        controls_.contentEdit->setPlainText(displayText(entry.content));
        showRank(entry.rank);
        controls_.deletedBox->setChecked(entry.deleted);
        controls_.secretBox->setChecked(entry.secret);
    }
    refreshMarks();
}

// One step to the whole date, so no intermediate date can fail (29 February
// into a year without it); a due date that is no day of the calendar leaves
// the calendar where it is. The change event runs onCalendarChanged for the new date.
void MainWindow::moveCalendarTo(const TodoDate& date) {
    const QDate target = ToQDate(date);
    if (!target.isValid() || target.year() > MonthCalendar::MAX_YEAR || target == controls_.calendar->date()) return;
    controls_.calendar->setDate(target);
}

// 'A', 'B', 'C' select their button; a byte below 'A' selects none, one above 'C' selects "C".
void MainWindow::showRank(unsigned char rank) {
    const int index = rank - 'A';
    if (index >= 0) {
        controls_.rankButtons->button(std::min(index, 2))->setChecked(true);
        return;
    }
    controls_.rankButtons->setExclusive(false);
    for (QAbstractButton* button : controls_.rankButtons->buttons()) button->setChecked(false);
    controls_.rankButtons->setExclusive(true);
}

void MainWindow::clearFields() {
    for (QLineEdit* edit : {controls_.entryDateEdit, controls_.limitDateEdit, controls_.requestEdit, controls_.clientEdit}) edit->clear();
    controls_.contentEdit->clear();
    showRank('A');
    controls_.secretBox->setChecked(false);
    controls_.deletedBox->setChecked(false);
    controls_.nextEntryButton->setEnabled(false);
    controls_.prevEntryButton->setEnabled(false);
}

void MainWindow::refreshMarks() {
    controls_.monthBox->setText(QString::number(controls_.calendar->month()));
    controls_.calendar->clearMarks();
    const std::bitset<32> days = dueDaysOfMonth(data_, controls_.calendar->year(), controls_.calendar->month());
    for (int day = 1; day <= 31; ++day)
        if (days.test(day)) controls_.calendar->setMark(day);
    controls_.calendar->update();
}

void MainWindow::onTodayClicked() {
    moveCalendarTo(toTodoDate(currentDate_()));
    onCalendarChanged();
    controls_.monthBox->setText(QString::number(controls_.calendar->month()));
}

void MainWindow::onPrevMonthClicked() {
    controls_.calendar->stepMonth(-1);
    refreshMarks();
}

void MainWindow::onNextMonthClicked() {
    controls_.calendar->stepMonth(+1);
    refreshMarks();
}
