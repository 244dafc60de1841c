#include "view_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "handler_guard.h"
#include "main_form.h"
#include "todo_display.h"

namespace {

constexpr int kColumnWidths[TViewForm::kColumnCount] = {44, 89, 90, 64, 64, 88, 64};
constexpr int kRowHeight = 20;
constexpr const char* kHeaders[TViewForm::kColumnCount] = {"ランク", "記入日", "期限日", "依頼元",
                                                            "依頼先", "内容", "シークレット"};
constexpr const char* kTabs[kListTabCount] = {"記入順", "期限順", "依頼先", "依頼元", "処理済み", "未処理"};
constexpr const char* kSecretMark = "○";

// Draws each cell's text flush left and centred in height: red when the
// entry is overdue, blue when it is due today, the highlight-text colour
// when selected, struck through when processed.
class DrawCellDelegate : public QStyledItemDelegate {
public:
    DrawCellDelegate(const TForm1& form1, QObject* parent) : QStyledItemDelegate(parent), form1_(form1) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        const QWidget* view = option.widget;
        view->style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, view);

        const QModelIndex first = index.siblingAtColumn(0);
        QFont font = option.font;
        font.setStrikeOut(first.data(TViewForm::kDeletedValue).toInt() != 0);
        painter->save();
        painter->setFont(font);
        painter->setPen(TextColour(option, first.data(TViewForm::kDateKeyValue).toInt()));
        const QFontMetrics metrics(font);
        const QRect& rect = option.rect;
        const int top = rect.top() + (rect.height() - metrics.height()) / 2;
        painter->setClipRect(rect);
        painter->drawText(rect.left(), top + metrics.ascent(), index.data().toString());
        painter->restore();
    }

private:
    QColor TextColour(const QStyleOptionViewItem& option, int dateKey) const {
        if (option.state & QStyle::State_Selected) return option.palette.color(QPalette::HighlightedText);
        switch (DueStateOf(dateKey, DateKey(form1_.Today()))) {
        case DueState::Overdue: return QColor(255, 0, 0);
        case DueState::Today: return QColor(0, 0, 255);
        case DueState::Later: break;
        }
        return option.palette.color(QPalette::Text);
    }

    const TForm1& form1_;
};

}  // namespace

TViewForm::TViewForm(TForm1& form1) : form1_(form1) {
    setObjectName("ViewForm");
    setWindowTitle(QString::fromUtf8("ZT Todo list Viewer 一覧表示"));
    setAttribute(Qt::WA_QuitOnClose, false);  // the main window alone ends the program
    setFont(GothicFont(12, true));
    setGeometry(455, 108, 541, 315);

    TabControl1 = new QTabBar(this);
    TabControl1->setObjectName("TabControl1");
    TabControl1->setExpanding(false);
    for (const char* tab : kTabs) TabControl1->addTab(QString::fromUtf8(tab));
    StringGrid1 = new QTableWidget(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setFont(GothicFont(12, true));
    StringGrid1->setColumnCount(kColumnCount);
    for (int column = 0; column < kColumnCount; ++column) StringGrid1->setColumnWidth(column, kColumnWidths[column]);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StringGrid1->horizontalHeader()->setFixedHeight(kRowHeight);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setWordWrap(false);
    StringGrid1->setItemDelegate(new DrawCellDelegate(form1_, StringGrid1));
    SetRowCount(2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    layout->addWidget(TabControl1);
    layout->addWidget(StringGrid1);

    connect(TabControl1, &QTabBar::currentChanged, this, [this] { RunHandler(this, [&] { TabControl1Change(); }); });
    connect(StringGrid1, &QTableWidget::doubleClicked, this, [this] { RunHandler(this, [&] { StringGrid1DblClick(); }); });
    FormCreate();
}

void TViewForm::FormCreate() {
    QStringList headers;
    for (const char* header : kHeaders) headers << QString::fromUtf8(header);
    StringGrid1->setHorizontalHeaderLabels(headers);
}

void TViewForm::ShowAndRefill() {
    if (isVisible()) {
        ListShow();
        raise();
    } else {
        show();  // the show event fills it
    }
}

// Every showing fills the rows in entry order, so the strip goes back to
// "記入順" with it: tab and rows always agree.
void TViewForm::ListShow() {
    form1_.List1->setChecked(true);
    {
        const QSignalBlocker quiet(TabControl1);
        TabControl1->setCurrentIndex(static_cast<int>(ListTab::EntryOrder));
    }
    const TodoData& data = form1_.Data();
    SetRowCount(std::max(data.entryCount, 2));
    ClearFirstRow();
    for (int i = 1; i < data.entryCount; ++i) FillRow(i, i);
}

void TViewForm::ListClose() { form1_.List1->setChecked(false); }

void TViewForm::TabControl1Change() {
    const std::vector<int> rows = ListRowsFor(form1_.Data(), SelectedTab());
    SetRowCount(std::max(static_cast<int>(rows.size()) + 1, 2));
    ClearFirstRow();
    for (std::size_t i = 0; i < rows.size(); ++i) FillRow(static_cast<int>(i) + 1, rows[i]);
}

void TViewForm::StringGrid1DblClick() {
    const int row = StringGrid1->currentRow() + 1;
    if (row < 1) return;
    const int entry = HiddenValue(row, kEntryNumberValue);
    if (entry != 0) form1_.ShowEntry(entry);
}

void TViewForm::FillRow(int row, int n) {
    const TodoEntry& entry = form1_.Data().entries[n];
    WriteRow(row,
             {DisplayRank(entry.rank), DisplayDate(entry.entryDate), DisplayDate(entry.limitDate),
              DisplayLine(entry.request), DisplayLine(entry.client), DisplayLine(entry.content),
              entry.secret ? QString::fromUtf8(kSecretMark) : QString()},
             entry.deleted ? 1 : 0, DateKey(entry.limitDate), n);
}

void TViewForm::ClearFirstRow() { WriteRow(1, QStringList(kColumnCount, QString()), 0, 0, 0); }

void TViewForm::WriteRow(int row, const QStringList& texts, int deleted, int dateKey, int entry) {
    for (int column = 0; column < kColumnCount; ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        if (column == 0) {
            item->setData(kDeletedValue, deleted);
            item->setData(kDateKeyValue, dateKey);
            item->setData(kEntryNumberValue, entry);
        }
        StringGrid1->setItem(row - 1, column, item);
    }
}

int TViewForm::RowCount() const { return StringGrid1->rowCount() + 1; }

void TViewForm::SetRowCount(int rows) { StringGrid1->setRowCount(rows - 1); }

int TViewForm::HiddenValue(int row, HiddenRole role) const {
    const QTableWidgetItem* item = StringGrid1->item(row - 1, 0);
    return item ? item->data(role).toInt() : 0;  // never written counts as 0
}

QString TViewForm::CellText(int column, int row) const {
    if (row == 0) return StringGrid1->horizontalHeaderItem(column)->text();
    const QTableWidgetItem* item = StringGrid1->item(row - 1, column);
    return item ? item->text() : QString();
}

ListTab TViewForm::SelectedTab() const { return static_cast<ListTab>(TabControl1->currentIndex()); }

void TViewForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) RunHandler(this, [&] { ListShow(); });
}

void TViewForm::closeEvent(QCloseEvent* event) {
    RunHandler(this, [&] { ListClose(); });
    event->accept();  // hidden, not destroyed
}
