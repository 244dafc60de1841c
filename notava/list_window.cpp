#include "list_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "entry_filter.h"
#include "handler_guard.h"
#include "todo_display.h"
#include "window_frame.h"

namespace {

constexpr int COLUMN_WIDTHS[ListWindow::COLUMN_COUNT] = {44, 89, 90, 64, 64, 88, 64};
constexpr QRect OUTER_GEOMETRY(455, 108, 541, 315);
constexpr int ROW_HEIGHT = 20;
constexpr const char* HEADERS[ListWindow::COLUMN_COUNT] = {"ランク", "記入日", "期限日", "依頼元",
                                                           "依頼先", "内容", "シークレット"};
constexpr const char* TABS[LIST_TAB_COUNT] = {"記入順", "期限順", "依頼先", "依頼元", "処理済み", "未処理"};
constexpr const char* SECRET_MARK = "○";

// Draws each cell's text flush left and centred in height: red when the
// entry is overdue, blue when it is due today, the highlight-text colour
// when selected, struck through when processed.
class DueDateDelegate : public QStyledItemDelegate {
public:
    DueDateDelegate(TodoDate today, QObject* parent) : QStyledItemDelegate(parent), todayKey_(dateKey(today)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        const QWidget* view = option.widget;
        view->style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, view);

        const QModelIndex first = index.siblingAtColumn(0);
        QFont font = option.font;
        font.setStrikeOut(first.data(ListWindow::DELETED_VALUE).toInt() != 0);
        painter->save();
        painter->setFont(font);
        painter->setPen(textColour(option, first.data(ListWindow::DATE_KEY_VALUE).toInt()));
        const QFontMetrics metrics(font);
        const QRect& rect = option.rect;
        const int top = rect.top() + (rect.height() - metrics.height()) / 2;
        painter->setClipRect(rect);
        painter->drawText(rect.left(), top + metrics.ascent(), index.data().toString());
        painter->restore();
    }

private:
    QColor textColour(const QStyleOptionViewItem& option, int rowDateKey) const {
        if (option.state & QStyle::State_Selected) return option.palette.color(QPalette::HighlightedText);
        switch (dueStateOf(rowDateKey, todayKey_)) {
        case DueState::Overdue: return QColor(255, 0, 0);
        case DueState::Today: return QColor(0, 0, 255);
        case DueState::Later: break;
        }
        return option.palette.color(QPalette::Text);
    }

    int todayKey_;
};

}  // namespace

ListWindow::ListWindow(const TodoData& data, TodoDate today) : data_(data), today_(today) {
    setObjectName("ViewForm");
    setWindowTitle(QString::fromUtf8("ZT Todo list Viewer 一覧表示"));
    setAttribute(Qt::WA_QuitOnClose, false);  // the main window alone ends the program
    setFont(gothicFont(12, true));
    setGeometry(OUTER_GEOMETRY);
    // The outer size and position are the whole window's, frame included
    // (Qt moves a top-level window by its frame's corner).
    whenFramed(this, [this](const QMargins& frame) {
        resize(OUTER_GEOMETRY.size().shrunkBy(frame));
        move(OUTER_GEOMETRY.topLeft());
    });

    tabBar_ = new QTabBar(this);
    tabBar_->setObjectName("TabControl1");
    tabBar_->setExpanding(false);
    for (const char* tab : TABS) tabBar_->addTab(QString::fromUtf8(tab));
    createFilter();
    createGrid();

    // The filter box stands hidden between the strip and the grid, where a
    // hidden widget takes no room: until it is asked for, the window is the
    // one it always was.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    layout->addWidget(tabBar_);
    layout->addWidget(filterEdit_);
    layout->addWidget(grid_);

    connect(tabBar_, &QTabBar::currentChanged, this, [this] { runHandler(this, [&] { onTabChanged(); }); });
    connect(grid_, &QTableWidget::doubleClicked, this, [this] { runHandler(this, [&] { onRowDoubleClicked(); }); });
    writeHeaders();
}

void ListWindow::createFilter() {
    filterEdit_ = new QLineEdit(this);
    filterEdit_->setObjectName("FilterEdit");
    filterEdit_->setPlaceholderText(QString::fromUtf8("絞り込み (Esc: 解除)"));
    filterEdit_->setClearButtonEnabled(true);
    filterEdit_->hide();
    connect(filterEdit_, &QLineEdit::textChanged, this, [this] { runHandler(this, [&] { fillRows(selectedTab()); }); });
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, &ListWindow::showFilter);
    addAction(find);
    auto* dismiss = new QAction(filterEdit_);
    dismiss->setShortcut(Qt::Key_Escape);
    dismiss->setShortcutContext(Qt::WidgetShortcut);
    connect(dismiss, &QAction::triggered, this, &ListWindow::hideFilter);
    filterEdit_->addAction(dismiss);
}

void ListWindow::showFilter() {
    filterEdit_->show();
    filterEdit_->setFocus();
    filterEdit_->selectAll();
}

void ListWindow::hideFilter() {
    filterEdit_->clear();
    filterEdit_->hide();
    grid_->setFocus();
}

void ListWindow::createGrid() {
    grid_ = new QTableWidget(this);
    grid_->setObjectName("StringGrid1");
    grid_->setFont(gothicFont(12, true));
    grid_->setColumnCount(COLUMN_COUNT);
    for (int column = 0; column < COLUMN_COUNT; ++column) grid_->setColumnWidth(column, COLUMN_WIDTHS[column]);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid_->horizontalHeader()->setFixedHeight(ROW_HEIGHT);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setMinimumSectionSize(1);
    grid_->verticalHeader()->setDefaultSectionSize(ROW_HEIGHT);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setWordWrap(false);
    grid_->setItemDelegate(new DueDateDelegate(today_, grid_));
    setRowCount(2);
}

void ListWindow::writeHeaders() {
    QStringList headers;
    for (const char* header : HEADERS) headers << QString::fromUtf8(header);
    grid_->setHorizontalHeaderLabels(headers);
}

void ListWindow::showAndRefill() {
    if (isVisible()) {
        refill();
        raise();
    } else {
        show();  // the show event fills it
    }
}

// Every showing fills the rows in entry order, so the strip goes back to
// "記入順" with it: tab and rows always agree.
void ListWindow::refill() {
    {
        const QSignalBlocker quiet(tabBar_);
        tabBar_->setCurrentIndex(static_cast<int>(ListTab::EntryOrder));
    }
    fillRows(ListTab::EntryOrder);
}

void ListWindow::onTabChanged() { fillRows(selectedTab()); }

// The rows of `tab`, narrowed to those that the filter box's text matches.
void ListWindow::fillRows(ListTab tab) {
    std::vector<int> rows = listRowsFor(data_, tab);
    const QString typed = filterEdit_->text();
    if (!typed.isEmpty())
        std::erase_if(rows, [&](int n) { return !matchesFilter(rowTexts(n), typed); });
    setRowCount(std::max(static_cast<int>(rows.size()) + 1, 2));
    clearFirstRow();
    for (std::size_t i = 0; i < rows.size(); ++i) fillRow(static_cast<int>(i) + 1, rows[i]);
}

void ListWindow::onRowDoubleClicked() {
    const int row = grid_->currentRow() + 1;
    if (row < 1) return;
    const int entry = hiddenValue(row, ENTRY_NUMBER_VALUE);
    if (entry != 0) emit entryChosen(entry);
}

QStringList ListWindow::rowTexts(int n) const {
    const TodoEntry& entry = data_.entries[n];
    return {displayRank(entry.rank), displayDate(entry.entryDate), displayDate(entry.limitDate),
            displayLine(entry.request), displayLine(entry.client), displayLine(entry.content),
            entry.secret ? QString::fromUtf8(SECRET_MARK) : QString()};
}

void ListWindow::fillRow(int row, int n) {
    const TodoEntry& entry = data_.entries[n];
    writeRow(row, rowTexts(n), entry.deleted ? 1 : 0, dateKey(entry.limitDate), n);
}

void ListWindow::clearFirstRow() { writeRow(1, QStringList(COLUMN_COUNT, QString()), 0, 0, 0); }

void ListWindow::writeRow(int row, const QStringList& texts, int deleted, int dateKey, int entry) {
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        if (column == 0) {
            item->setData(DELETED_VALUE, deleted);
            item->setData(DATE_KEY_VALUE, dateKey);
            item->setData(ENTRY_NUMBER_VALUE, entry);
        }
        grid_->setItem(row - 1, column, item);
    }
}

int ListWindow::rowCount() const { return grid_->rowCount() + 1; }

void ListWindow::setRowCount(int rows) { grid_->setRowCount(rows - 1); }

int ListWindow::hiddenValue(int row, HiddenRole role) const {
    const QTableWidgetItem* item = grid_->item(row - 1, 0);
    return item ? item->data(role).toInt() : 0;  // never written counts as 0
}

QString ListWindow::cellText(int column, int row) const {
    if (row == 0) return grid_->horizontalHeaderItem(column)->text();
    const QTableWidgetItem* item = grid_->item(row - 1, column);
    return item ? item->text() : QString();
}

ListTab ListWindow::selectedTab() const { return static_cast<ListTab>(tabBar_->currentIndex()); }

void ListWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    emit visibilityChanged(true);
    runHandler(this, [&] { refill(); });
}

void ListWindow::closeEvent(QCloseEvent* event) {
    emit visibilityChanged(false);
    event->accept();  // hidden, not destroyed
}
