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

std::vector<int> EntryColumn(const TViewForm& view) {
    std::vector<int> entries;
    for (int row = 1; row < view.RowCount(); ++row) entries.push_back(view.HiddenValue(row, TViewForm::kEntryNumberValue));
    return entries;
}

TodoRecordFields Entry(const std::string& limitDate, const std::string& request, const std::string& client,
                       char deleted) {
    TodoRecordFields fields = DueOn(limitDate, request + "/" + client);
    fields.request = request;
    fields.client = client;
    fields.deleted = deleted;
    return fields;
}

TEST(ViewForm, StartsHiddenWithOneBlankRow) {
    Viewer viewer(QDate(2000, 4, 1));
    const TViewForm& view = viewer.viewForm;
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(view.RowCount(), 2);
    EXPECT_EQ(view.CellText(TViewForm::kSecret, 0), "シークレット");
    EXPECT_EQ(view.HiddenValue(1, TViewForm::kEntryNumberValue), 0);
    EXPECT_EQ(view.SelectedTab(), ListTab::EntryOrder);
}

TEST(ViewForm, RowsCarryTheTextsAndThreeHiddenValues) {
    Viewer viewer(QDate(2000, 4, 1));
    TodoRecordFields fields{"20000412", "20000301", '1', 'B', '1', "\x8d\xb2\x93\xa1", "client", "two\r\nlines"};
    viewer.Open(PairOf({fields, DueOn("20000413", "plain")}));
    const TViewForm& view = viewer.viewForm;
    ASSERT_EQ(view.RowCount(), 3);
    const QStringList row1 = {"B", "2000年3月1日", "2000年4月12日", "佐藤", "client", "two lines", "○"};
    for (int column = 0; column < TViewForm::kColumnCount; ++column) EXPECT_EQ(view.CellText(column, 1), row1[column]);
    EXPECT_EQ(view.HiddenValue(1, TViewForm::kDeletedValue), 1);
    EXPECT_EQ(view.HiddenValue(1, TViewForm::kDateKeyValue), DateKey({2000, 4, 12}));
    EXPECT_EQ(view.HiddenValue(1, TViewForm::kEntryNumberValue), 1);
    EXPECT_EQ(view.CellText(TViewForm::kSecret, 2), "");
    EXPECT_EQ(view.HiddenValue(2, TViewForm::kDeletedValue), 0);
    EXPECT_EQ(view.HiddenValue(2, TViewForm::kEntryNumberValue), 2);
}

// Each tab's rows, ties included: entries 1..6 with due dates 4/2 4/1 4/2 4/1 4/3 4/1.
TEST(ViewForm, TabsOrderAndFilterTheRows) {
    Viewer viewer(QDate(2000, 4, 1));
    viewer.Open(PairOf({Entry("20000402", "b", "", '0'), Entry("20000401", "a", "y", '1'),
                        Entry("20000402", "b", "x", '0'), Entry("20000401", "a", "y", '1'),
                        Entry("20000403", "", "\x82\xa0", '0'), Entry("20000401", "c", "", '0')}));
    TViewForm& view = viewer.viewForm;
    const struct {
        ListTab tab;
        std::vector<int> rows;
    } cases[] = {
        {ListTab::EntryOrder, {1, 2, 3, 4, 5, 6}}, {ListTab::ByLimitDate, {2, 4, 6, 1, 3, 5}},
        {ListTab::ByClient, {1, 6, 3, 4, 2, 5}},   {ListTab::ByRequest, {5, 4, 2, 1, 3, 6}},
        {ListTab::Processed, {2, 4}},              {ListTab::Unprocessed, {1, 3, 5, 6}},
    };
    for (const auto& c : cases) {
        view.TabControl1->setCurrentIndex(static_cast<int>(c.tab));
        EXPECT_EQ(EntryColumn(view), c.rows) << static_cast<int>(c.tab);
        EXPECT_EQ(view.RowCount(), static_cast<int>(c.rows.size()) + 1);
        for (int row = 1; row < view.RowCount(); ++row)
            EXPECT_EQ(view.HiddenValue(row, TViewForm::kDeletedValue), c.tab == ListTab::Processed ? 1
                                                                       : c.tab == ListTab::Unprocessed ? 0
                                                                       : view.HiddenValue(row, TViewForm::kDeletedValue));
    }
}

TEST(ViewForm, FileWithoutEntriesShowsOneBlankRowInEveryTab) {
    Viewer viewer(QDate(2000, 4, 1));
    viewer.Open(PairOf({DueOn("20000401", "old")}), "old");
    viewer.Open(PairOf({}));
    TViewForm& view = viewer.viewForm;
    for (int tab : {1, 2, 3, 4, 5, 0}) {
        view.TabControl1->setCurrentIndex(tab);
        ASSERT_EQ(view.RowCount(), 2) << tab;
        for (int column = 0; column < TViewForm::kColumnCount; ++column) EXPECT_EQ(view.CellText(column, 1), "");
        EXPECT_EQ(view.HiddenValue(1, TViewForm::kEntryNumberValue), 0);
        EXPECT_EQ(view.HiddenValue(1, TViewForm::kDateKeyValue), 0);
    }
    view.StringGrid1->selectRow(0);
    view.StringGrid1DblClick();
    EXPECT_EQ(viewer.CalendarDate(), QDate(2000, 4, 1));
    EXPECT_TRUE(viewer.Content().isEmpty());
}

TEST(ViewForm, LoadingRefillsTheVisibleList) {
    Viewer viewer(QDate(2000, 4, 1));
    TodoPairBuilder ten;
    ten.AddIndex(0, 0);
    for (int i = 1; i <= 10; ++i) ten.AddRecord(DueOn("20000401", "old " + std::to_string(i)));
    viewer.Open(ten, "ten");
    TViewForm& view = viewer.viewForm;
    ASSERT_TRUE(view.isVisible());
    view.TabControl1->setCurrentIndex(static_cast<int>(ListTab::Unprocessed));
    viewer.Open(PairOf({DueOn("20000403", "new 1"), DueOn("20000402", "new 2"), DueOn("20000401", "new 3")}), "three");
    EXPECT_EQ(view.RowCount(), 4);
    EXPECT_EQ(EntryColumn(view), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(view.CellText(TViewForm::kContent, 3), "new 3");
    EXPECT_EQ(view.SelectedTab(), ListTab::EntryOrder);  // tab and rows agree after a refill
}

TEST(ViewForm, DoubleClickShowsTheEntryInTheMainWindow) {
    Viewer viewer(QDate(2000, 2, 10));
    viewer.Open(PairOf({DueOn("20000101", "january"), DueOn("20000430", "end of april")}));
    TViewForm& view = viewer.viewForm;
    view.TabControl1->setCurrentIndex(static_cast<int>(ListTab::ByLimitDate));
    view.show();
    QWidget* viewport = view.StringGrid1->viewport();
    const QRect row2 = view.StringGrid1->visualRect(view.StringGrid1->model()->index(1, 2));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, row2.center());
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, row2.center());
    EXPECT_EQ(viewer.CalendarDate(), QDate(2000, 4, 30));
    EXPECT_EQ(viewer.Content(), "end of april");
    EXPECT_EQ(viewer.form1.MonthEdit->text(), "4");
}

TEST(ViewForm, ClosingHidesAndShowingRefillsInEntryOrder) {
    Viewer viewer(QDate(2000, 4, 1));
    viewer.Open(PairOf({DueOn("20000405", "a"), DueOn("20000401", "b")}));
    TViewForm& view = viewer.viewForm;
    view.TabControl1->setCurrentIndex(static_cast<int>(ListTab::ByLimitDate));
    EXPECT_EQ(EntryColumn(view), (std::vector<int>{2, 1}));
    view.close();
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(viewer.form1.List1->isChecked());
    viewer.form1.List1Click();
    EXPECT_TRUE(view.isVisible());
    EXPECT_TRUE(viewer.form1.List1->isChecked());
    EXPECT_EQ(EntryColumn(view), (std::vector<int>{1, 2}));
    EXPECT_EQ(view.SelectedTab(), ListTab::EntryOrder);
}


// Today is 1 April 2000: rows due before it are red, due on it blue, after it
// in the grid's colour; the selected row in the highlight-text colour;
// processed rows struck through.
TEST(ViewForm, PaintedRowsShowDueStateSelectionAndStrikeOut) {
    Viewer viewer(QDate(2000, 4, 1));
    TodoRecordFields processed = DueOn("20000402", "same text");
    processed.deleted = '1';
    viewer.Open(PairOf({DueOn("20000331", "due before"), DueOn("20000401", "due today"), DueOn("20000402", "same text"),
                        processed, DueOn("19991220", "last year")}));
    TViewForm& view = viewer.viewForm;
    QTableWidget* grid = view.StringGrid1;
    grid->clearSelection();
    grid->setCurrentCell(-1, -1);
    auto rowRect = [&](int row) {
        return grid->visualRect(grid->model()->index(row - 1, TViewForm::kContent)).adjusted(0, 1, 0, -1);
    };
    const QColor base = grid->palette().color(QPalette::Base);
    auto inked = [&](QColor c) { return c != base; };

    const QImage image = grid->viewport()->grab().toImage();
    EXPECT_GT(PixelsIn(image, rowRect(1), Reddish), 10);
    EXPECT_EQ(PixelsIn(image, rowRect(1), Bluish), 0);
    EXPECT_GT(PixelsIn(image, rowRect(2), Bluish), 10);
    EXPECT_EQ(PixelsIn(image, rowRect(2), Reddish), 0);
    EXPECT_EQ(PixelsIn(image, rowRect(3), Reddish) + PixelsIn(image, rowRect(3), Bluish), 0);
    EXPECT_GT(PixelsIn(image, rowRect(5), Reddish), 10);
    EXPECT_GT(PixelsIn(image, rowRect(4), inked), PixelsIn(image, rowRect(3), inked));  // the strike-out line

    grid->selectRow(0);  // the overdue row
    const QImage selected = grid->viewport()->grab().toImage();
    const QColor highlightText = grid->palette().color(
        grid->isActiveWindow() ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText);
    EXPECT_EQ(PixelsIn(selected, rowRect(1), Reddish), 0);
    auto nearHighlightText = [&](QColor c) {  // anti-aliased glyphs go only part of the way
        return std::abs(c.lightness() - highlightText.lightness()) < 40;
    };
    EXPECT_GT(PixelsIn(selected, rowRect(1), nearHighlightText), 10);
}

}  // namespace
