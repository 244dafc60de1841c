#include "display.h"

#include <cstdio>
#include <cstring>

#include "clock.h"
#include "game.h"
#include "position.h"

LayoutMetrics metrics;
int cell_size;
int board_size;
int board_left;
int board_top;
int board_rotation;
PanelRect panels[PANEL_COUNT];
int stands_shown;
ztl_panel* record_panel;
ztl_panel* time_panel;
ztl_area* screen_area;

const char* const BOARD_GLYPHS[14] = {"王", "金", "飛", "角", "銀", "桂", "香",
                                      "歩", "龍", "馬", "全", "圭", "杏", "と"};
const char* const FILE_LABELS[9] = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
const char* const RANK_LABELS[9] = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};

namespace {

const char* const RECORD_NAMES[14] = {"王", "金", "飛", "角", "銀", "桂", "香",
                                      "歩", "龍", "馬", "成銀", "成桂", "成香", "と"};
const char* const DROP_NAMES[14] = {"", "金打", "飛打", "角打", "銀打", "桂打", "香打", "歩打", "", "", "", "", "", ""};

constexpr LayoutMetrics WIDE_METRICS = {8, 16, 16, 24, 20, 12, 12, 16, 16, 12, 10, 4};
constexpr LayoutMetrics NARROW_METRICS = {8, 16, 16, 20, 20, 12, 12, 12, 12, 12, 7, 6};
constexpr int WIDE_SCREEN_MIN = 561;

constexpr int COMPACT_KINDS = 7;  // gold .. pawn, one row each
constexpr int TITLE_FONT = 16;

const char TITLE_TEXT[] = "将棋ばんれい";
const char CREDIT_LONG[] = "Banrei - a shogi game";
const char CREDIT_SHORT[] = "Banrei";

ztl_area* quit_button;
ztl_area* menu_button;

constexpr PanelRect NOT_PLACED = {-1, -1, -1, -1};

int placeable(const PanelRect& r) { return r.x >= 0 && r.y >= 0 && r.w >= 0 && r.h >= 0; }

void print_not_displayed(const char* label, const PanelRect& r) {
    std::printf("%s-not display- x:%d, y:%d, w:%d, h:%d\n", label, r.x, r.y, r.w, r.h);
}

void rounded_box(int x, int y, int w, int h, int color) {
    ztl_set_color(color);
    ztl_fill_rect(x, y, w, h);
    ztl_pset_color(x, y, CORNER_COLOR);
    ztl_pset_color(x + w - 1, y, CORNER_COLOR);
    ztl_pset_color(x, y + h - 1, CORNER_COLOR);
    ztl_pset_color(x + w - 1, y + h - 1, CORNER_COLOR);
}

void draw_glyph(int x, int y, int kind, int upright) { ztl_draw_char_turned(x, y, board_glyph_code(kind), upright ? 0 : 2); }

// Centres a line of text_width pixels in a panel; a line wider than the panel
// would land off it, so it is left out.
void draw_centred(int x, int panel_width, int text_width, int y, const char* text) {
    if (text_width > panel_width) return;
    ztl_draw_text(x + (panel_width - text_width) / 2, y, text);
}

void draw_title_panel(const PanelRect& r) {
    rounded_box(r.x, r.y, r.w, r.h, 2);
    rounded_box(r.x + 1, r.y + 1, r.w - 2, r.h - 2, 0);
    ztl_set_color(3);
    ztl_set_font(TITLE_FONT, 0);
    int title_width = static_cast<int>(std::strlen(TITLE_TEXT)) * 8;
    if (TITLE_FONT + 5 < r.h) draw_centred(r.x, r.w, title_width, r.y + 5, TITLE_TEXT);

    int small = metrics.version_font;
    ztl_set_font(small, 0);
    char version[64];
    std::snprintf(version, sizeof version, "version %s", front_end_version);
    int version_width = static_cast<int>(std::strlen(version)) * small / 2;
    if (small + 23 < r.h) draw_centred(r.x, r.w, version_width, r.y + 23, version);

    const char* credit = CREDIT_LONG;
    int credit_width = static_cast<int>(std::strlen(credit)) * small / 2;
    if (credit_width > r.w) {
        credit = CREDIT_SHORT;
        credit_width = static_cast<int>(std::strlen(credit)) * small / 2;
    }
    if (small + 40 < r.h) draw_centred(r.x, r.w, credit_width, r.y + 40, credit);
    ztl_set_font(TITLE_FONT, 0);
}

ztl_panel* open_text_panel(const PanelRect& r) {
    ztl_panel* panel = ztl_panel_open(nullptr, r.x, r.y, r.w, r.h, ZTL_PANEL_SAVE | ZTL_PANEL_INSET | ZTL_PANEL_FRAME);
    ztl_panel_clear(panel);
    return panel;
}

// A rounded button beside the board that reports a key code when tapped.
ztl_area* make_button(int x, int y, int size, int attributes, const char* text, int code) {
    rounded_box(x, y, size, size, FRAME_COLOR);
    ztl_set_color(3);
    ztl_set_font(size, attributes);
    ztl_draw_text(x, y, text);
    ztl_area* button = ztl_area_new(x, y, size, size, code);
    ztl_area_attach(screen_area, button);
    return button;
}

void use_compact_hands() {
    stands_shown = 0;
    metrics.stand_columns = 1;
    metrics.stand_rows = COMPACT_KINDS;
    metrics.hand_cell_width = metrics.hand_cell_height = metrics.label_font;
}

void count_hand(int side, int counts[PIECE_KINDS]) {
    for (int kind = 0; kind < PIECE_KINDS; ++kind) counts[kind] = 0;
    int base = hand_base(side);
    for (int cell = base; cell < base + HAND_SLOTS; ++cell)
        if (Board[cell] != NO_PIECE) ++counts[PieceTable[Board[cell]].kind];
}

void draw_count(int x, int y, int count) {
    char text[16];
    std::snprintf(text, sizeof text, "%2d", count);
    ztl_draw_text(x, y, text);
}

// One column per side beside the board: a glyph and its count per kind, gold
// at the top for the upright side; the other side's column is its mirror.
void draw_compact_hands() {
    int cell = metrics.hand_cell_height;
    int board_bottom = board_top + board_size;
    int right_x = board_left + board_size + metrics.label_font;
    int left_x = board_left - metrics.label_font - cell;
    int upright_counts[PIECE_KINDS];
    int turned_counts[PIECE_KINDS];
    count_hand(board_rotation == 0 ? SENTE : GOTE, upright_counts);
    count_hand(board_rotation == 0 ? GOTE : SENTE, turned_counts);

    ztl_set_color(0);
    ztl_fill_rect(right_x, board_bottom - 2 * COMPACT_KINDS * cell, cell, 2 * COMPACT_KINDS * cell);
    ztl_fill_rect(left_x, board_top, cell, 2 * COMPACT_KINDS * cell);
    ztl_set_color(3);
    ztl_set_font(cell, 0);
    for (int kind = PAWN; kind >= GOLD; --kind) {
        int y = board_bottom - 2 * (PAWN + 1 - kind) * cell;
        draw_glyph(right_x, y, kind, 1);
        draw_count(right_x, y + cell, upright_counts[kind]);
    }
    for (int kind = PAWN; kind >= GOLD; --kind) {
        int y = board_top + 2 * (PAWN + 1 - kind) * cell - cell;
        draw_glyph(left_x, y, kind, 0);
        draw_count(left_x, y - cell, turned_counts[kind]);
    }
}

void draw_stands() {
    const PanelRect& upright = panels[PANEL_STAND_UPRIGHT];
    const PanelRect& turned = panels[PANEL_STAND_TURNED];
    rounded_box(upright.x, upright.y, upright.w, upright.h, FRAME_COLOR);
    rounded_box(turned.x, turned.y, turned.w, turned.h, FRAME_COLOR);
    ztl_set_color(3);
    ztl_set_font(metrics.hand_cell_width, 0);
    int columns = metrics.stand_columns;
    int rows = metrics.stand_rows;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j) {
            int sente_piece = Board[SENTE_HAND_BASE + i * columns + j];
            int gote_piece = Board[GOTE_HAND_BASE + i * columns + j];
            if (board_rotation == 0) {
                draw_hand_cell(j, i, sente_piece, SENTE);
                draw_hand_cell(columns - 1 - j, rows - 1 - i, gote_piece, GOTE);
            } else {
                draw_hand_cell(columns - 1 - j, rows - 1 - i, sente_piece, SENTE);
                draw_hand_cell(j, i, gote_piece, GOTE);
            }
        }
}

}  // namespace

int board_glyph_code(int kind) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(BOARD_GLYPHS[kind]);
    return bytes[0] * 256 + bytes[1];
}

int side_is_upright(int side) { return (side == SENTE) == (board_rotation == 0); }

void square_origin(int square, int* x, int* y) {
    int column = square % 9;
    int row = square / 9;
    if (board_rotation) {
        column = 8 - column;
        row = 8 - row;
    }
    *x = board_left + column * cell_size;
    *y = board_top + row * cell_size;
}

void layout(int w, int h) {
    metrics = w >= WIDE_SCREEN_MIN ? WIDE_METRICS : NARROW_METRICS;
    double label = metrics.label_font;
    cell_size = w > h ? static_cast<int>((h - 2.5 * label) / 9) : static_cast<int>((w - 4.25 * label) / 9);
    board_size = 9 * cell_size;
    board_left = (w - board_size) / 2;
    board_top = (h - board_size) / 2;
}

void layout_panels(int w, int h) {
    const LayoutMetrics& m = metrics;
    int label = m.label_font;
    int side = board_left - label;
    int stand_w = m.hand_cell_width * m.stand_columns;
    int stand_h = m.hand_cell_height * m.stand_rows;
    int record_w = (m.record_font / 2) * 16;
    int time_w = (m.time_font / 2) * 19;
    int time_h = 2 * m.time_font + 8;
    PanelRect* p = panels;

    if (w >= 2 * label + board_size + 2 * stand_w) {
        int right_x = board_left + board_size + label;
        int title_h = static_cast<int>(m.board_font * 3.5);
        p[PANEL_TITLE] = {(side - stand_w) / 2 + right_x, label, stand_w, title_h};
        p[PANEL_STAND_UPRIGHT] = {p[PANEL_TITLE].x, h - label - stand_h, stand_w, stand_h};
        p[PANEL_STAND_TURNED] = {(side - stand_w) / 2, label, stand_w, stand_h};
        p[PANEL_EXTRA] = {1, h - label - m.message_height, side - 2, m.message_height};
        int record_h = h - (m.message_height + stand_h) - 2 * label - m.record_font;
        p[PANEL_RECORD] = {(side - record_w) / 2,
                           (p[PANEL_EXTRA].y - (label + stand_h) - record_h) / 2 + label + stand_h, record_w,
                           record_h};
        p[PANEL_TIME] = {(side - time_w) / 2 + right_x,
                         (p[PANEL_STAND_UPRIGHT].y - (label + title_h) - time_h) / 2 + label + title_h, time_w,
                         time_h};
        if (h < time_h + title_h + stand_h) p[PANEL_TIME] = NOT_PLACED;
        return;
    }

    for (PanelRect& r : panels) r = NOT_PLACED;
    int above = board_top - label;
    if (above <= m.board_font) return;
    int title_w = static_cast<int>(board_size * 0.6);
    int title_h = static_cast<int>(above * 0.9);
    p[PANEL_TITLE] = {(w - title_w) / 2, static_cast<int>(above * 0.05), title_w, title_h};
    p[PANEL_EXTRA] = {1, board_top - label - 2 * m.message_height, p[PANEL_TITLE].x - 2, 2 * m.message_height};
    int record_x = (w - (time_w + record_w)) / 3;
    int record_y = static_cast<int>(board_top + board_size + label + above * 0.05);
    p[PANEL_RECORD] = {record_x, record_y, record_w, title_h};
    p[PANEL_TIME] = {record_w + 2 * record_x, record_y, time_w, time_h};
}

void show_panels(int w, int h) {
    int label = metrics.label_font;
    if (placeable(panels[PANEL_TITLE]))
        draw_title_panel(panels[PANEL_TITLE]);
    else
        print_not_displayed("Copyright ", panels[PANEL_TITLE]);

    stands_shown = 1;
    if (!placeable(panels[PANEL_STAND_UPRIGHT])) {
        print_not_displayed("駒台(先)  ", panels[PANEL_STAND_UPRIGHT]);
        use_compact_hands();
    } else if (!placeable(panels[PANEL_STAND_TURNED])) {
        print_not_displayed("駒台(後)  ", panels[PANEL_STAND_TURNED]);
        use_compact_hands();
    }

    record_panel = nullptr;
    if (placeable(panels[PANEL_RECORD]))
        record_panel = open_text_panel(panels[PANEL_RECORD]);
    else
        print_not_displayed("棋譜      ", panels[PANEL_RECORD]);
    time_panel = nullptr;
    if (placeable(panels[PANEL_TIME]))
        time_panel = open_text_panel(panels[PANEL_TIME]);
    else
        print_not_displayed("時間      ", panels[PANEL_TIME]);

    screen_area = ztl_area_new_codes(0, 0, w, h, PEN_DOWN, PEN_DRAG, PEN_UP);
    ztl_area_attach(nullptr, screen_area);
    quit_button = make_button(w - label, label, label, ZTL_FONT_BOLD, "×", 'q');
    menu_button = make_button(w - label, 2 * label, label, 0, "！", KEY_ESCAPE);
}

void set_up_screen(int w, int h) {
    layout(w, h);
    layout_panels(w, h);
    ztl_set_color(0);
    ztl_fill_rect(0, 0, w, h);
    draw_board_frame();
    show_panels(w, h);
    draw_position();
    clock_start_both();
    ztl_refresh();
}

void tear_down_screen(void) {
    ztl_panel_close(record_panel);
    ztl_panel_close(time_panel);
    record_panel = time_panel = nullptr;
    ztl_area_remove(quit_button, 1);
    ztl_area_remove(menu_button, 1);
    ztl_area_remove(screen_area, 1);
    quit_button = menu_button = screen_area = nullptr;
}

void draw_board_frame(void) {
    int label = metrics.label_font;
    ztl_set_color(FRAME_COLOR);
    ztl_fill_rect(board_left - label, board_top - label, board_size + 2 * label, board_size + 2 * label);
    ztl_set_color(3);
    for (int i = 0; i <= 9; ++i) {
        ztl_line(board_left, board_top + i * cell_size, board_left + board_size, board_top + i * cell_size);
        ztl_line(board_left + i * cell_size, board_top, board_left + i * cell_size, board_top + board_size);
    }
    ztl_set_font(label, 0);
    int centring = (cell_size - label) / 2;
    for (int i = 0; i < 9; ++i) {
        if (board_rotation == 0) {
            ztl_draw_text(board_left + (8 - i) * cell_size + centring, board_top - label, FILE_LABELS[i]);
            ztl_draw_text(board_left + board_size, board_top + i * cell_size + centring, RANK_LABELS[i]);
        } else {
            ztl_draw_text(board_left + i * cell_size + centring, board_top + board_size, FILE_LABELS[i]);
            ztl_draw_text(board_left - label, board_top + (8 - i) * cell_size + centring, RANK_LABELS[i]);
        }
    }
    ztl_set_font(metrics.board_font, 0);
}

void draw_position(void) {
    ztl_set_font(metrics.board_font, 0);
    for (int square = 0; square < SQUARES; ++square) {
        int piece = Board[square];
        if (piece == NO_PIECE)
            draw_square(square, -1, 0);
        else
            draw_square(square, PieceTable[piece].kind, PieceTable[piece].owner);
    }
    if (stands_shown)
        draw_stands();
    else
        draw_compact_hands();
}

void redraw_board(void) {
    draw_position();
    ztl_refresh();
}

void draw_square(int square, int kind, int owner) {
    int x, y;
    square_origin(square, &x, &y);
    int last = square == last_move.to;
    ztl_set_color(last ? LAST_MOVE_COLOR : SQUARE_COLOR);
    ztl_fill_rect(x + 1, y + 1, cell_size - 1, cell_size - 1);
    ztl_set_color(3);
    if (kind < 0) return;
    int glyph_x = x + (cell_size - 2 * metrics.half_advance) / 2;
    int glyph_y = y + (cell_size - metrics.board_font) / 2;
    if (last) ztl_set_font(metrics.board_font, ZTL_FONT_BOLD);
    draw_glyph(glyph_x, glyph_y, kind, side_is_upright(owner));
    if (last) ztl_set_font(metrics.board_font, 0);
}

void draw_hand_cell(int column, int row, int piece, int owner) {
    if (piece == NO_PIECE) return;
    int kind = PieceTable[piece].kind;
    int w = metrics.hand_cell_width;
    int h = metrics.hand_cell_height;
    if (side_is_upright(owner)) {
        const PanelRect& r = panels[PANEL_STAND_UPRIGHT];
        draw_glyph(r.x + column * w, r.y + row * h + (h - w) / 2, kind, 1);
    } else {
        const PanelRect& r = panels[PANEL_STAND_TURNED];
        draw_glyph(r.x + column * w - 1, r.y + row * h + 3, kind, 0);
    }
}

// A turned glyph covers the same cell as an upright one at the same point, so
// both are drawn at (x, y): the dragged piece stays inside the block saved under it.
void draw_loose_glyph(int x, int y, int kind, int side) {
    ztl_set_font(metrics.board_font, 0);
    ztl_set_color(3);
    draw_glyph(x, y, kind, side_is_upright(side));
}

void format_kifu_line(int kind, int from, int to, int side, char text[KIFU_LINE_SIZE]) {
    const char* name = is_drop(from) ? DROP_NAMES[kind] : RECORD_NAMES[kind];
    std::snprintf(text, KIFU_LINE_SIZE, side == 0 ? "%3d ▲%s%s%s\n" : "%3d △%s%s%s\n", move_number,
                  FILE_LABELS[8 - to % 9], RANK_LABELS[to / 9], name);
}

void show_kifu_line(int kind, int from, int to, int side) {
    if (record_panel == nullptr) return;
    char text[KIFU_LINE_SIZE];
    format_kifu_line(kind, from, to, side, text);
    ztl_set_color(3);
    ztl_set_font(metrics.record_font, 0);
    ztl_panel_print(record_panel, text, 0);
    ztl_refresh();
}

void record_panel_clear(void) {
    if (record_panel == nullptr) return;
    // Homed as well, as the menu panel is, so the lines start again at the top.
    ztl_panel_clear(record_panel);
    ztl_panel_locate(record_panel, 0, 0);
}
