// Text: the game's own strings at its two sizes, advances, the four
// directions with slant and bold, clipping, dirty marks, the glyph cache and
// the missing-font path; sizes beyond the scratch and the screen draw exactly
// the pixels of an unclipped glyph and only the work that reaches the target.
#include <algorithm>
#include <climits>
#include <set>
#include <tuple>
#include <utility>

#include "backend.h"
#include "ztl_test_support.h"

namespace {

using pixel_set = std::set<std::pair<int, int>>;

// What the game draws: prompts, marks, piece names, labels, menu lines.
const char* const GAME_STRINGS[] = {
    "成りますか？", "▲", "△", "王金飛角銀桂香歩龍馬全圭杏と", "成銀成桂成香金打飛打角打",
    "１２３４５６７８９", "一二三四五六七八九", "新規対局     (n)", "継続対局     (c)",
    "１手戻す     (b)", "１手進める   (f)", "盤面回転     (r)", "終了         (q)",
    "先手の勝ち！", "後手の勝ち！", "対局開始！", "将棋ばんれい", "m(__)m 先手投了",
    "\n[Human]/[Computer]", "\n[Yes]/[No]", "  対局者(▲先手)  ", "  対局者(△後手)  ",
    "m(__)m 後手投了", "  1 ▲７六歩", " △ 12:34 / 56:07", "×", "棋譜", "時間", "駒台(先)", "      Menu      ",
};

std::vector<int> codes_of(const char* text) {
    std::vector<int> codes;
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        if (ztl_is_lead_byte(*p) && p[1] != 0) {
            codes.push_back(p[0] * 256 + p[1]);
            ++p;
        } else {
            codes.push_back(*p);
        }
    }
    return codes;
}

pixel_set inked(const ztl_image* image) {
    pixel_set s;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
            if (level_of(image, x, y) != 0) s.insert({x, y});
    return s;
}

class TextTest : public ZtlTest {
protected:
    void SetUp() override {
        ZtlTest::SetUp();
        ztl_glyph_cache_enable(1);
        canvas = ztl_image_new(96, 64, nullptr);
    }
    void TearDown() override {
        ztl_image_free(canvas);
        ztl_glyph_cache_enable(1);
        ZtlTest::TearDown();
    }
    void wipe() { std::memset(canvas->pixels, 0, static_cast<size_t>(canvas->bytes_per_line) * 64); }
    // The pixels one character operation draws on a white canvas.
    pixel_set draw_turned(int x, int y, int code, int direction, int attrs, int size = 16) {
        wipe();
        ztl_set_font(size, attrs);
        ztl_target_push(canvas);
        ztl_draw_char_turned(x, y, code, direction);
        ztl_target_pop();
        return inked(canvas);
    }
    ztl_image* canvas = nullptr;
};

const int KANJI_KIN = 0x8BE0;       // 金
const int BOX_HORIZONTAL = 0x849F;  // ─, ink from edge to edge of its cell
const int BOX_VERTICAL = 0x84A0;    // │, ink from top to bottom

TEST_F(TextTest, GameStringsHaveInkInsideTheirCellsAtBothSizes) {
    unsigned char scratch[ZTL_SCRATCH_SIZE * ZTL_SCRATCH_SIZE];
    // Besides the game's strings, glyphs that the 12-pixel hinting pushes below
    // the face's descent (＿ would lie wholly outside its cell).
    std::vector<const char*> texts(std::begin(GAME_STRINGS), std::end(GAME_STRINGS));
    texts.push_back("＿受食");
    for (int size : {12, 16})
        for (const char* text : texts)
            for (int code : codes_of(text)) {
                if (code == ' ' || code == '\n') continue;
                int cell = code > 255 ? size : size / 2;
                ASSERT_EQ(ztl_font_render(code, size, cell, scratch), 1);
                int ink = 0, outside = 0;
                for (int r = 0; r < ZTL_SCRATCH_SIZE; ++r)
                    for (int c = 0; c < ZTL_SCRATCH_SIZE; ++c)
                        if (scratch[r * ZTL_SCRATCH_SIZE + c] != 0) ++(r < size && c < cell ? ink : outside);
                EXPECT_GT(ink, 0) << std::hex << code << " at " << std::dec << size;
                EXPECT_EQ(outside, 0) << std::hex << code << " at " << std::dec << size;
            }
}

TEST_F(TextTest, DrawnGlyphsStayOneRightOfTheirCellCorner) {
    for (int size : {12, 16})
        for (const char* text : GAME_STRINGS)
            for (int code : codes_of(text)) {
                if (code == ' ' || code == '\n') continue;
                pixel_set s = draw_turned(20, 10, code, 0, 0, size);
                ASSERT_FALSE(s.empty());
                int cell = code > 255 ? size : size / 2;
                for (auto [x, y] : s) {
                    ASSERT_GE(x, 21);
                    ASSERT_LE(x, 20 + cell);
                    ASSERT_GE(y, 10);
                    ASSERT_LE(y, 9 + size);
                }
            }
}

TEST_F(TextTest, CachedAndUncachedGlyphsAreIdentical) {
    for (int size : {12, 16})
        for (int attrs : {0, ZTL_FONT_SLANT | ZTL_FONT_BOLD}) {
            std::string pictures[2];
            for (int cached = 1; cached >= 0; --cached) {
                ztl_glyph_cache_enable(cached);
                ztl_set_color(0);
                ztl_clear();
                ztl_set_color(3);
                ztl_set_font(size, attrs);
                int y = 0;
                // Each string twice, so the second pass reads the cache.
                for (int pass = 0; pass < 2; ++pass)
                    for (const char* text : GAME_STRINGS) {
                        ztl_draw_text(pass * 320, y % 224, text);
                        y += size;
                    }
                pictures[cached] = picture(&physical_screen, 0, 0, 640, 240);
            }
            EXPECT_EQ(pictures[0], pictures[1]) << size << " " << attrs;
        }
}

TEST_F(TextTest, TextAdvancesByHalfThenFullCells) {
    ztl_set_font(16, 0);
    ztl_target_push(canvas);
    ztl_draw_text(4, 2, "Aあ\xB1\x81");  // ｱ is single-byte; a trailing lead byte ends the string
    ztl_target_pop();
    pixel_set text = inked(canvas);
    wipe();
    ztl_target_push(canvas);
    ztl_draw_char(4, 2, 'A');
    ztl_draw_char(12, 2, 0x82A0);
    ztl_draw_char(28, 2, 0xB1);
    ztl_target_pop();
    EXPECT_EQ(text, inked(canvas));
    EXPECT_FALSE(text.empty());
}

TEST_F(TextTest, TurnedCharactersAreTheUprightOneRotated) {
    const int x = 30, y = 20, S = 16;
    pixel_set upright = draw_turned(x, y, KANJI_KIN, 0, 0);
    // Upright ink sits at (x + 1 + c, y + r).
    pixel_set turned[4];
    for (auto [px, py] : upright) {
        int c = px - (x + 1), r = py - y;
        turned[1].insert({x + 1 + r, y + S - c});
        turned[2].insert({x + S - c, y + S - r});
        turned[3].insert({x + 1 + S - r, y + c});
    }
    for (int d = 1; d <= 3; ++d) EXPECT_EQ(draw_turned(x, y, KANJI_KIN, d, 0), turned[d]) << d;
    // Any other direction is upright.
    EXPECT_EQ(draw_turned(x, y, KANJI_KIN, 7, 0), upright);
}

TEST_F(TextTest, BoldAddsTheNextPixelInTheReadingDirection) {
    const int x = 30, y = 20;
    pixel_set plain[4], bold[4];
    for (int d = 0; d < 4; ++d) {
        plain[d] = draw_turned(x, y, KANJI_KIN, d, 0);
        bold[d] = draw_turned(x, y, KANJI_KIN, d, ZTL_FONT_BOLD);
    }
    const int step[4][2] = {{1, 0}, {0, -1}, {-1, 0}, {0, 1}};
    for (int d = 0; d < 4; ++d) {
        pixel_set expected = plain[d];
        for (auto [px, py] : plain[d]) expected.insert({px + step[d][0], py + step[d][1]});
        EXPECT_EQ(bold[d], expected) << d;
    }
}

TEST_F(TextTest, HalfTurnSitsOneRowLowerThanUpright) {
    pixel_set upright = draw_turned(10, 10, 0x81A1, 0, 0);  // ■
    pixel_set half = draw_turned(10, 10, 0x81A1, 2, 0);
    auto rows = [](const pixel_set& s) {
        int low = 1000, high = -1000;
        for (auto [px, py] : s) low = std::min(low, py), high = std::max(high, py);
        return std::make_pair(low, high);
    };
    auto [up_low, up_high] = rows(upright);
    auto [half_low, half_high] = rows(half);
    EXPECT_GE(up_low, 10);
    EXPECT_LE(up_high, 25);
    // Upright row y + r becomes row y + S - r.
    EXPECT_EQ(half_low, 10 + 16 - (up_high - 10));
    EXPECT_EQ(half_high, 10 + 16 - (up_low - 10));
    EXPECT_GE(half_low, 11);
    EXPECT_LE(half_high, 26);
}

TEST_F(TextTest, SlantMovesUpperRowsRightByAQuarterPixelPerRow) {
    const int S = 16;
    pixel_set upright = draw_turned(12, 8, KANJI_KIN, 0, 0);
    pixel_set slanted = draw_turned(12, 8, KANJI_KIN, 0, ZTL_FONT_SLANT);
    pixel_set expected;
    for (auto [px, py] : upright) expected.insert({px + (S - 1 - (py - 8)) / 4, py});
    EXPECT_EQ(slanted, expected);
}

TEST_F(TextTest, ClippedCharacterKeepsOnlyPixelsInsideTheRectangle) {
    ztl_set_color(3);
    for (int attrs : {0, ZTL_FONT_BOLD}) {
        pixel_set full = draw_turned(10, 10, KANJI_KIN, 0, attrs);
        wipe();
        ztl_target_push(canvas);
        ztl_draw_char_clipped(10, 10, KANJI_KIN, 15, 12, 20, 22);
        ztl_target_pop();
        pixel_set expected;
        for (auto [px, py] : full)
            if (px >= 15 && px < 20 && py >= 12 && py < 22) expected.insert({px, py});
        EXPECT_EQ(inked(canvas), expected);
        EXPECT_FALSE(expected.empty());
    }
}

TEST_F(TextTest, CharacterDirtyMarks) {
    ztl_set_font(16, 0);
    ztl_draw_char(100, 50, KANJI_KIN);
    expect_dirty(101, 50, 116, 65);
    clear_dirty();
    ztl_draw_char_turned(100, 50, KANJI_KIN, 2);
    expect_dirty(100, 50, 115, 65);
    clear_dirty();
    ztl_draw_char_turned(100, 50, 'A', 3);
    expect_dirty(101, 50, 116, 65);
    clear_dirty();
    ztl_draw_char_clipped(100, 50, KANJI_KIN, 104, 52, 110, 60);
    expect_dirty(104, 52, 109, 59);
}

TEST_F(TextTest, TextIsTransparentAndInvertsInInvertMode) {
    ztl_set_font(16, 0);
    ztl_target_push(canvas);
    ztl_set_color(1);
    ztl_clear();
    ztl_set_color(3);
    ztl_draw_char(0, 0, KANJI_KIN);
    ztl_target_pop();
    int black = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
            int level = level_of(canvas, x, y);
            ASSERT_TRUE(level == 1 || level == 3);
            black += level == 3;
        }
    EXPECT_GT(black, 0);
    // Inverting ink twice gives the background back; once, its opposite.
    ztl_target_push(canvas);
    ztl_set_color(1);
    ztl_clear();
    ztl_set_color(ZTL_INVERT);
    ztl_draw_char(0, 0, KANJI_KIN);
    int dark = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) dark += level_of(canvas, x, y) == 2;
    ztl_draw_char(0, 0, KANJI_KIN);
    ztl_target_pop();
    EXPECT_EQ(dark, black);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(level_of(canvas, x, y), 1);
}

TEST_F(TextTest, SizesOutsideTheScratchAreSafe) {
    EXPECT_TRUE(draw_turned(0, 0, KANJI_KIN, 0, 0, 0).empty());
    EXPECT_FALSE(draw_turned(0, 0, KANJI_KIN, 0, 0, 32).empty());
    pixel_set big = draw_turned(0, 0, KANJI_KIN, 1, ZTL_FONT_BOLD | ZTL_FONT_SLANT, 40);
    for (auto [px, py] : big) ASSERT_LE(py, 41);
    // Each size above the scratch is its own glyph, cached or not.
    for (int code : {int{'A'}, KANJI_KIN}) {
        pixel_set uncached[2];
        ztl_glyph_cache_enable(0);
        for (int i = 0; i < 2; ++i) uncached[i] = draw_turned(0, 0, code, 0, 0, 33 + 7 * i);
        ztl_glyph_cache_enable(1);
        for (int i = 0; i < 2; ++i) EXPECT_EQ(draw_turned(0, 0, code, 0, 0, 33 + 7 * i), uncached[i]) << code;
        EXPECT_NE(uncached[0], uncached[1]) << code;
    }
}

// Ink of one character drawn where nothing of it is cut off, relative to the
// point it was drawn at. The canvas is long enough along the reading direction
// for any slant, and the character sits so that its cell's inked corner lies
// inside (turned cells reach back from x + S or y + S); a border left white
// shows that nothing was cut.
pixel_set unclipped_ink(int code, int direction) {
    int S = ztl_text_size;
    int reach = 40 + ((ztl_text_attributes & ZTL_FONT_SLANT) ? S / 4 : 0);
    bool along_x = direction == 0 || direction == 2;
    int w = along_x ? reach : 40, h = along_x ? 40 : reach;
    int x = 2, y = 2;
    if (direction == 1) y = h - 3 - S;
    if (direction == 2) x = w - 3 - S, y = h - 3 - S;
    if (direction == 3) x = w - 4 - S;
    ztl_image* canvas = ztl_image_new(w, h, nullptr);
    ztl_target_push(canvas);
    ztl_draw_char_turned(x, y, code, direction);
    ztl_target_pop();
    pixel_set ink;
    for (auto [px, py] : inked(canvas)) {
        EXPECT_TRUE(px > 0 && py > 0 && px < w - 1 && py < h - 1) << "reference cut at " << px << "," << py;
        ink.insert({px - x, py - y});
    }
    ztl_image_free(canvas);
    return ink;
}

// Starts that put the span [low, high] of a character's ink wholly before a
// target of the given length, one pixel short of it, with just its last pixel
// on it, across its first edge, inside, across its far edge, with just its
// first pixel on it, one pixel beyond and wholly beyond.
std::vector<int> starts_around(int low, int high, int length) {
    int extent = high - low + 1;
    std::vector<int> starts;
    for (int place : {-extent - 3, -extent, 1 - extent, -extent / 2, 1, length - extent / 2, length - 1, length,
                      length + 3})
        starts.push_back(place - low);
    return starts;
}

// The unclipped ink moved to (x, y) and cut to left <= x < right, top <= y < bottom.
pixel_set cut_to(const pixel_set& ink, int x, int y, int left, int top, int right, int bottom) {
    pixel_set cut;
    for (auto [dx, dy] : ink)
        if (x + dx >= left && x + dx < right && y + dy >= top && y + dy < bottom) cut.insert({x + dx, y + dy});
    return cut;
}

TEST_F(TextTest, CharactersCutByTheTargetOrAClipKeepExactlyTheirUnclippedPixels) {
    ztl_image* target = ztl_image_new(30, 26, nullptr);
    const size_t target_bytes = static_cast<size_t>(target->bytes_per_line) * target->height;
    for (int size : {31, 32, 33, 40, 48, 64, 100, 256, 257, 1000, 100000})
        for (int attrs = 0; attrs < 4; ++attrs)
            for (int direction = 0; direction < 4; ++direction)
                for (int code : {KANJI_KIN, int{'g'}, BOX_HORIZONTAL, BOX_VERTICAL}) {
                    ztl_set_font(size, attrs);
                    pixel_set ink = unclipped_ink(code, direction);
                    int left = 0, right = 0, top = 0, bottom = 0;
                    if (!ink.empty()) std::tie(left, top) = std::tie(right, bottom) = *ink.begin();
                    for (auto [dx, dy] : ink) {
                        left = std::min(left, dx), right = std::max(right, dx);
                        top = std::min(top, dy), bottom = std::max(bottom, dy);
                    }
                    for (int x : starts_around(left, right, target->width))
                        for (int y : starts_around(top, bottom, target->height)) {
                            std::memset(target->pixels, 0, target_bytes);
                            ztl_target_push(target);
                            ztl_draw_char_turned(x, y, code, direction);
                            ztl_target_pop();
                            ASSERT_EQ(inked(target), cut_to(ink, x, y, 0, 0, target->width, target->height))
                                << "size " << size << " attrs " << attrs << " direction " << direction << " code "
                                << code << " at " << x << "," << y;
                            if (direction != 0) continue;
                            std::memset(target->pixels, 0, target_bytes);
                            ztl_target_push(target);
                            ztl_draw_char_clipped(x, y, code, 3, 2, 25, 21);
                            ztl_target_pop();
                            ASSERT_EQ(inked(target), cut_to(ink, x, y, 3, 2, 25, 21))
                                << "clipped, size " << size << " attrs " << attrs << " code " << code << " at " << x
                                << "," << y;
                        }
                }
    ztl_image_free(target);
}

// A line of text is its characters one by one: same pixels, same dirty
// rectangle, also when most of it lies far beyond the screen.
TEST_F(TextTest, TextAtHugeSizesEqualsItsCharactersDrawnOneByOne) {
    std::string line;
    for (int i = 0; i < 50; ++i) line += "金A";
    for (int size : {33, 48, 256, 100000, 10000000})
        for (int y : {-size - 5, -size / 2, 100}) {
            ztl_set_font(size, ZTL_FONT_SLANT);
            std::string pictures[2];
            ztl_dirty_rect marks[2];
            for (int whole_line = 0; whole_line < 2; ++whole_line) {
                ztl_set_color(0);
                ztl_clear();
                ztl_set_color(3);
                clear_dirty();
                if (whole_line) {
                    ztl_draw_text(-size / 3, y, line.c_str());
                } else {
                    int x = -size / 3;
                    for (int code : codes_of(line.c_str())) {
                        ztl_draw_char(x, y, code);
                        x += code > 255 ? size : size / 2;
                    }
                }
                pictures[whole_line] = picture(&physical_screen, 0, 0, 640, 240);
                marks[whole_line] = ztl_dirty;
            }
            EXPECT_EQ(pictures[0], pictures[1]) << size << " at y " << y;
            EXPECT_EQ(std::memcmp(&marks[0], &marks[1], sizeof marks[0]), 0) << size << " at y " << y;
        }
}

// Characters whose cells lie wholly off the target are not rasterised, and a
// line stops at the first cell past the right edge, whatever follows it.
TEST_F(TextTest, OnlyCellsOnTheTargetAreRasterised) {
    struct line_case {
        int size, x, y;
        const char* character;  // the line is 200 of them
        int on_target;          // cells that meet the 96 x 64 canvas
    };
    const line_case cases[] = {
        {40, 0, 10, "A", 5},          // cells at 1, 21, .. 81, the next at 101
        {40, -1001, 10, "A", 5},      // the first cells lie left of the canvas
        {40, -1010, 10, "A", 6},      // a cell straddles the left edge
        {40, 0, -40, "A", 0},         // the rows end above the canvas
        {40, 0, 64, "A", 0},          // and start below it
        {40, 0, 10, "金", 3},         // cells at 1, 41, 81
        {100000, 0, 0, "A", 1},       // one huge cell, the rest far beyond
        {100000, -60000, 0, "A", 0},  // one cell ends left of the canvas, the next starts right of it
        {100000000, 0, 30, "A", 1},
        {INT_MAX, 50, 30, "金", 1},   // the next cell would start beyond the int range
    };
    ztl_glyph_cache_enable(0);
    for (const line_case& c : cases) {
        std::string line;
        for (int i = 0; i < 200; ++i) line += c.character;
        ztl_set_font(c.size, 0);
        ztl_target_push(canvas);
        long before = ztl_glyph_rasteriser_calls();
        ztl_draw_text(c.x, c.y, line.c_str());
        EXPECT_EQ(ztl_glyph_rasteriser_calls() - before, c.on_target) << c.size << " at " << c.x << "," << c.y;
        ztl_target_pop();
    }
}

TEST_F(TextTest, MissingFontIsReportedOnceAndDrawsNothing) {
    ztl_font_use_file("/nonexistent/no-such-font.ttf");
    ztl_glyph_cache_enable(1);
    testing::internal::CaptureStderr();
    ztl_headless_reset();
    ztl_init();
    ztl_init();
    auto boxes = ztl_headless_messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Ztl Debug Message");
    EXPECT_NE(boxes[0].text.find("No usable Japanese font"), std::string::npos);
    pixel_set first = draw_turned(0, 0, KANJI_KIN, 0, 0);
    pixel_set second = draw_turned(0, 0, 'A', 0, 0);
    std::string said = testing::internal::GetCapturedStderr();
    ztl_font_use_file(nullptr);
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(second.empty());
    EXPECT_NE(said.find("no usable Japanese font"), std::string::npos) << said;
    EXPECT_EQ(said.find("ZTL:", 1), std::string::npos) << "said twice: " << said;
    EXPECT_FALSE(draw_turned(0, 0, KANJI_KIN, 0, 0).empty());
}

}  // namespace
