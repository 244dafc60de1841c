// The game on the ZTL screen: board with grid and coordinates, pieces, both
// hands, title, record and time panels, and the two on-screen buttons. Every
// size follows from the screen size through layout().
#pragma once

#include "ztl.h"

struct LayoutMetrics {
    int half_advance;  // width of one text byte in the board font
    int board_font;
    int hand_cell_width;
    int hand_cell_height;
    int drag_size;
    int label_font;
    int version_font;
    int time_font;
    int record_font;
    int message_height;
    int stand_columns;
    int stand_rows;
};

struct PanelRect {
    int x, y, w, h;
};

enum PanelIndex { PANEL_TITLE, PANEL_STAND_UPRIGHT, PANEL_STAND_TURNED, PANEL_RECORD, PANEL_EXTRA, PANEL_TIME, PANEL_COUNT };

constexpr int FRAME_COLOR = 1;
constexpr int CORNER_COLOR = 0;
constexpr int SQUARE_COLOR = 0;
constexpr int LAST_MOVE_COLOR = 0;

extern LayoutMetrics metrics;
extern int cell_size;
extern int board_size;  // width and height of the board, 9 cells
extern int board_left;
extern int board_top;
extern int board_rotation;  // 1: the board is turned, gote's side at the bottom
extern PanelRect panels[PANEL_COUNT];
extern int stands_shown;  // both stand panels; otherwise the compact hands
extern ztl_panel* record_panel;
extern ztl_panel* time_panel;
extern ztl_area* screen_area;  // the whole screen, reporting PEN_DOWN / PEN_DRAG / PEN_UP

extern const char* const BOARD_GLYPHS[14];
extern const char* const FILE_LABELS[9];
extern const char* const RANK_LABELS[9];

void layout(int w, int h);
void layout_panels(int w, int h);
void show_panels(int w, int h);
void set_up_screen(int w, int h);
void tear_down_screen(void);

void draw_board_frame(void);
// Every square and both hands into the screen, not yet shown in the window.
void draw_position(void);
// draw_position, shown. Starting the clocks is the caller's decision.
void redraw_board(void);
void draw_square(int square, int kind, int owner);
void draw_hand_cell(int column, int row, int piece, int owner);
void draw_loose_glyph(int x, int y, int kind, int side);
// The move in Japanese notation, e.g. "  1 ▲７六歩\n", into the record panel.
constexpr int KIFU_LINE_SIZE = 64;
void format_kifu_line(int kind, int from, int to, int side, char text[KIFU_LINE_SIZE]);
void show_kifu_line(int kind, int from, int to, int side);
void record_panel_clear(void);

// Whether a side's pieces are drawn upright (its stand is the bottom-right one).
int side_is_upright(int side);
// The screen position of a square's top-left corner.
void square_origin(int square, int* x, int* y);
// The one double-byte code of a kind's board glyph.
int board_glyph_code(int kind);
