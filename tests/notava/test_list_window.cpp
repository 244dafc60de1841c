// The list view: the grid's rows and hidden values, the six tabs, the colours
// and strike-out of the painted cells, double-click to the main window,
// showing, hiding and refilling.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>

#include "painted_pixels.h"

#include "viewer_fixture.h"

namespace {

std::vector<int> entryColumn(const ListWindow& view) {
    std::vector<int> entries;
    for (int row = 1; row < view.rowCount(); ++row) entries.push_back(view.hiddenValue(row, ListWindow::ENTRY_NUMBER_VALUE));
    return entries;
}

TodoRecordFields entry(const std::string& limitDate, const std::string& request, const std::string& client,
                       char deleted) {
    TodoRecordFields fields = dueOn(limitDate, request + "/" + client);
    fields.request = request;
    fields.client = client;
    fields.deleted = deleted;
    return fields;
}

TEST(ListWindow, StartsHiddenWithOneBlankRow) {
    Viewer viewer(QDate(2000, 4, 1));
    const ListWindow& view = viewer.listWindow();
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(view.rowCount(), 2);
    EXPECT_EQ(view.cellText(ListWindow::SECRET, 0), "シークレット");
    EXPECT_EQ(view.hiddenValue(1, ListWindow::ENTRY_NUMBER_VALUE), 0);
    EXPECT_EQ(view.selectedTab(), ListTab::EntryOrder);
}

TEST(ListWindow, RowsCarryTheTextsAndThreeHiddenValues) {
    Viewer viewer(QDate(2000, 4, 1));
    TodoRecordFields fields{"20000412", "20000301", '1', 'B', '1', "\x8d\xb2\x93\xa1", "client", "two\r\nlines"};
    viewer.open(pairOf({fields, dueOn("20000413", "plain")}));
    const ListWindow& view = viewer.listWindow();
    ASSERT_EQ(view.rowCount(), 3);
    const QStringList row1 = {"B", "2000年3月1日", "2000年4月12日", "佐藤", "client", "two lines", "○"};
    for (int column = 0; column < ListWindow::COLUMN_COUNT; ++column) EXPECT_EQ(view.cellText(column, 1), row1[column]);
    EXPECT_EQ(view.hiddenValue(1, ListWindow::DELETED_VALUE), 1);
    EXPECT_EQ(view.hiddenValue(1, ListWindow::DATE_KEY_VALUE), dateKey({2000, 4, 12}));
    EXPECT_EQ(view.hiddenValue(1, ListWindow::ENTRY_NUMBER_VALUE), 1);
    EXPECT_EQ(view.cellText(ListWindow::SECRET, 2), "");
    EXPECT_EQ(view.hiddenValue(2, ListWindow::DELETED_VALUE), 0);
    EXPECT_EQ(view.hiddenValue(2, ListWindow::ENTRY_NUMBER_VALUE), 2);
}

// Each tab's rows, ties included: entries 1..6 with due dates 4/2 4/1 4/2 4/1 4/3 4/1.
TEST(ListWindow, TabsOrderAndFilterTheRows) {
    Viewer viewer(QDate(2000, 4, 1));
    viewer.open(pairOf({entry("20000402", "b", "", '0'), entry("20000401", "a", "y", '1'),
                        entry("20000402", "b", "x", '0'), entry("20000401", "a", "y", '1'),
                        entry("20000403", "", "\x82\xa0", '0'), entry("20000401", "c", "", '0')}));
    ListWindow& view = viewer.listWindow();
    const struct {
        ListTab tab;
        std::vector<int> rows;
    } cases[] = {
        {ListTab::EntryOrder, {1, 2, 3, 4, 5, 6}}, {ListTab::ByLimitDate, {2, 4, 6, 1, 3, 5}},
        {ListTab::ByClient, {1, 6, 3, 4, 2, 5}},   {ListTab::ByRequest, {5, 4, 2, 1, 3, 6}},
        {ListTab::Processed, {2, 4}},              {ListTab::Unprocessed, {1, 3, 5, 6}},
    };
    for (const auto& c : cases) {
        view.tabBar()->setCurrentIndex(static_cast<int>(c.tab));
        EXPECT_EQ(entryColumn(view), c.rows) << static_cast<int>(c.tab);
        EXPECT_EQ(view.rowCount(), static_cast<int>(c.rows.size()) + 1);
        for (int row = 1; row < view.rowCount(); ++row)
            EXPECT_EQ(view.hiddenValue(row, ListWindow::DELETED_VALUE), c.tab == ListTab::Processed ? 1
                                                                       : c.tab == ListTab::Unprocessed ? 0
                                                                       : view.hiddenValue(row, ListWindow::DELETED_VALUE));
    }
}

TEST(ListWindow, FileWithoutEntriesShowsOneBlankRowInEveryTab) {
    Viewer viewer(QDate(2000, 4, 1));
    viewer.open(pairOf({dueOn("20000401", "old")}), "old");
    viewer.open(pairOf({}));
    ListWindow& view = viewer.listWindow();
    for (int tab : {1, 2, 3, 4, 5, 0}) {
        view.tabBar()->setCurrentIndex(tab);
        ASSERT_EQ(view.rowCount(), 2) << tab;
        for (int column = 0; column < ListWindow::COLUMN_COUNT; ++column) EXPECT_EQ(view.cellText(column, 1), "");
        EXPECT_EQ(view.hiddenValue(1, ListWindow::ENTRY_NUMBER_VALUE), 0);
        EXPECT_EQ(view.hiddenValue(1, ListWindow::DATE_KEY_VALUE), 0);
    }
    view.grid()->selectRow(0);
    view.onRowDoubleClicked();
    EXPECT_EQ(viewer.calendarDate(), QDate(2000, 4, 1));
    EXPECT_TRUE(viewer.content().isEmpty());
}

TEST(ListWindow, LoadingRefillsTheVisibleList) {
    Viewer viewer(QDate(2000, 4, 1));
    TodoPairBuilder ten;
    ten.addIndex(0, 0);
    for (int i = 1; i <= 10; ++i) ten.addRecord(dueOn("20000401", "old " + std::to_string(i)));
    viewer.open(ten, "ten");
    ListWindow& view = viewer.listWindow();
    ASSERT_TRUE(view.isVisible());
    view.tabBar()->setCurrentIndex(static_cast<int>(ListTab::Unprocessed));
    viewer.open(pairOf({dueOn("20000403", "new 1"), dueOn("20000402", "new 2"), dueOn("20000401", "new 3")}), "three");
    EXPECT_EQ(view.rowCount(), 4);
    EXPECT_EQ(entryColumn(view), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(view.cellText(ListWindow::CONTENT, 3), "new 3");
    EXPECT_EQ(view.selectedTab(), ListTab::EntryOrder);  // tab and rows agree after a refill
}

TEST(ListWindow, DoubleClickShowsTheEntryInTheMainWindow) {
    Viewer viewer(QDate(2000, 2, 10));
    viewer.open(pairOf({dueOn("20000101", "january"), dueOn("20000430", "end of april")}));
    ListWindow& view = viewer.listWindow();
    view.tabBar()->setCurrentIndex(static_cast<int>(ListTab::ByLimitDate));
    view.show();
    QWidget* viewport = view.grid()->viewport();
    const QRect row2 = view.grid()->visualRect(view.grid()->model()->index(1, 2));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, row2.center());
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, row2.center());
    EXPECT_EQ(viewer.calendarDate(), QDate(2000, 4, 30));
    EXPECT_EQ(viewer.content(), "end of april");
    EXPECT_EQ(viewer.mainWindow.controls().monthBox->text(), "4");
}

TEST(ListWindow, ClosingHidesAndShowingRefillsInEntryOrder) {
    Viewer viewer(QDate(2000, 4, 1));
    viewer.open(pairOf({dueOn("20000405", "a"), dueOn("20000401", "b")}));
    ListWindow& view = viewer.listWindow();
    view.tabBar()->setCurrentIndex(static_cast<int>(ListTab::ByLimitDate));
    EXPECT_EQ(entryColumn(view), (std::vector<int>{2, 1}));
    view.close();
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(viewer.mainWindow.controls().listAction->isChecked());
    viewer.mainWindow.onListChosen();
    EXPECT_TRUE(view.isVisible());
    EXPECT_TRUE(viewer.mainWindow.controls().listAction->isChecked());
    EXPECT_EQ(entryColumn(view), (std::vector<int>{1, 2}));
    EXPECT_EQ(view.selectedTab(), ListTab::EntryOrder);
}


// Today is 1 April 2000: rows due before it are red, due on it blue, after it
// in the grid's colour; the selected row in the highlight-text colour;
// processed rows struck through.
TEST(ListWindow, PaintedRowsShowDueStateSelectionAndStrikeOut) {
    Viewer viewer(QDate(2000, 4, 1));
    TodoRecordFields processed = dueOn("20000402", "same text");
    processed.deleted = '1';
    viewer.open(pairOf({dueOn("20000331", "due before"), dueOn("20000401", "due today"), dueOn("20000402", "same text"),
                        processed, dueOn("19991220", "last year")}));
    ListWindow& view = viewer.listWindow();
    QTableWidget* grid = view.grid();
    grid->clearSelection();
    grid->setCurrentCell(-1, -1);
    auto rowRect = [&](int row) {
        return grid->visualRect(grid->model()->index(row - 1, ListWindow::CONTENT)).adjusted(0, 1, 0, -1);
    };
    const QColor base = grid->palette().color(QPalette::Base);
    auto inked = [&](QColor c) { return c != base; };

    const QImage image = grid->viewport()->grab().toImage();
    EXPECT_GT(pixelsIn(image, rowRect(1), reddish), 10);
    EXPECT_EQ(pixelsIn(image, rowRect(1), bluish), 0);
    EXPECT_GT(pixelsIn(image, rowRect(2), bluish), 10);
    EXPECT_EQ(pixelsIn(image, rowRect(2), reddish), 0);
    EXPECT_EQ(pixelsIn(image, rowRect(3), reddish) + pixelsIn(image, rowRect(3), bluish), 0);
    EXPECT_GT(pixelsIn(image, rowRect(5), reddish), 10);
    EXPECT_GT(pixelsIn(image, rowRect(4), inked), pixelsIn(image, rowRect(3), inked));  // the strike-out line

    grid->selectRow(0);  // the overdue row
    const QImage selected = grid->viewport()->grab().toImage();
    const QColor highlightText = grid->palette().color(
        grid->isActiveWindow() ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText);
    EXPECT_EQ(pixelsIn(selected, rowRect(1), reddish), 0);
    auto nearHighlightText = [&](QColor c) {  // anti-aliased glyphs go only part of the way
        return std::abs(c.lightness() - highlightText.lightness()) < 40;
    };
    EXPECT_GT(pixelsIn(selected, rowRect(1), nearHighlightText), 10);
}

}  // namespace
