#include "human_input.h"

#include "clock.h"
#include "display.h"
#include "flow.h"
#include "game.h"
#include "rules.h"
#include "ztl.h"

namespace {

enum InputState { NOTHING_PICKED = 0, PIECE_PICKED = 1, IN_HAND = 2 };
constexpr int NO_CODE = -1;
constexpr int COMPACT_ROWS = 7;
constexpr int TOP_ROWS_WITHOUT_DRAG = 10;

struct HumanInput {
    int side;
    int hand_base;
    int state;
    int picked;  // Board cell of the picked piece
    int hand_x, hand_y;
    int dragging;
    int old_pen_x, old_pen_y;
    ztl_image* drag_buffer;  // the screen under the dragged glyph
};
HumanInput input;

// --- geometry ----------------------------------------------------------------------

int upright(void) { return side_is_upright(input.side); }
const PanelRect& own_stand(void) { return panels[upright() ? PANEL_STAND_UPRIGHT : PANEL_STAND_TURNED]; }
int board_bottom(void) { return board_top + board_size; }
int compact_column_x(void) {
    return upright() ? board_left + board_size + metrics.label_font
                     : board_left - metrics.label_font - metrics.hand_cell_width;
}
int compact_column_top(void) {
    return upright() ? board_bottom() - COMPACT_ROWS * 2 * metrics.hand_cell_height : board_top;
}
// The kind shown in a row of the compact column: gold at the top for the
// upright side, pawn at the top for the other.
int compact_row_kind(int row) { return upright() ? GOLD + row : PAWN - row; }

int drag_offset(void) { return metrics.drag_size / 2; }

int strictly_inside(int x, int y, int left, int top, int w, int h) {
    return left < x && x < left + w && top < y && y < top + h;
}

// --- the hand ----------------------------------------------------------------------

// The highest cell of the side's hand holding a piece of this kind, or -1.
int highest_hand_cell_of_kind(int kind) {
    for (int cell = input.hand_base + HAND_SLOTS - 1; cell >= input.hand_base; --cell)
        if (Board[cell] != NO_PIECE && PieceTable[Board[cell]].kind == kind) return cell;
    return -1;
}

int hand_cell_of_slot(int hx, int hy) {
    if (!stands_shown) return highest_hand_cell_of_kind(compact_row_kind(hy));
    int columns = metrics.stand_columns;
    int rows = metrics.stand_rows;
    if (upright()) return input.hand_base + hy * columns + hx;
    return input.hand_base + (rows - 1 - hy) * columns + (columns - 1 - hx);
}

int hand_slot_has_piece(int hx, int hy) {
    int cell = hand_cell_of_slot(hx, hy);
    return cell >= 0 && Board[cell] != NO_PIECE;
}

// The slot of the side's stand under the pen; 0 when the pen is not on it.
int slot_under_pen(int x, int y, int* hx, int* hy) {
    if (stands_shown) {
        const PanelRect& r = own_stand();
        if (!strictly_inside(x, y, r.x, r.y, r.w, r.h)) return 0;
        *hx = (x - r.x) / metrics.hand_cell_width;
        *hy = (y - r.y) / metrics.hand_cell_height;
        return 1;
    }
    int row_height = 2 * metrics.hand_cell_height;
    int top = compact_column_top();
    if (!strictly_inside(x, y, compact_column_x(), top, metrics.hand_cell_width, COMPACT_ROWS * row_height)) return 0;
    *hx = 0;
    *hy = (y - top) / row_height;
    return 1;
}

// --- cursors -----------------------------------------------------------------------

void toggle_board_cursor(int column, int row) {
    ztl_set_color(ZTL_INVERT);
    ztl_box(board_left + column * cell_size + 1, board_top + row * cell_size + 1, cell_size - 1, cell_size - 1);
}

void toggle_board_cursor_here(void) { toggle_board_cursor(board_cursor_column, board_cursor_row); }

void toggle_hand_cursor(int hx, int hy) {
    ztl_set_color(ZTL_INVERT);
    int w = metrics.hand_cell_width;
    int h = metrics.hand_cell_height;
    if (stands_shown) {
        const PanelRect& r = own_stand();
        ztl_fill_rect(r.x + hx * w, r.y + hy * h, w, h);
    } else {
        ztl_fill_rect(compact_column_x(), compact_column_top() + hy * 2 * h, w, 2 * h);
    }
}

void put_board_cursor(int column, int row) {
    toggle_board_cursor(column, row);
    toggle_board_cursor_here();
    board_cursor_column = column;
    board_cursor_row = row;
}

void put_hand_cursor(int hx, int hy) {
    toggle_hand_cursor(hx, hy);
    toggle_hand_cursor(input.hand_x, input.hand_y);
    input.hand_x = hx;
    input.hand_y = hy;
}

void move_cursor(int dx, int dy) {
    int hx = input.hand_x + dx;
    int hy = input.hand_y + dy;
    if (input.state == IN_HAND && stands_shown) {
        if (hx >= 0 && hx < metrics.stand_columns && hy >= 0 && hy < metrics.stand_rows && hand_slot_has_piece(hx, hy))
            put_hand_cursor(hx, hy);
    } else if (input.state == IN_HAND) {
        if (hy >= 0 && hy < COMPACT_ROWS) put_hand_cursor(input.hand_x, hy);
    } else {
        int column = board_cursor_column + dx;
        int row = board_cursor_row + dy;
        if (column >= 0 && column <= 8 && row >= 0 && row <= 8) put_board_cursor(column, row);
    }
}

int square_at_cursor(void) {
    int column = board_cursor_column;
    int row = board_cursor_row;
    if (board_rotation) {
        column = 8 - column;
        row = 8 - row;
    }
    return row * 9 + column;
}

// --- the dragged glyph -------------------------------------------------------------

// Without memory for the buffer the glyph is not dragged; moves still work.
void save_under_pen(void) {
    if (input.drag_buffer == nullptr) return;
    int d = drag_offset();
    ztl_copy(input.drag_buffer, 0, 0, nullptr, ztl_pen_x - d, ztl_pen_y - d, metrics.drag_size, metrics.drag_size, 0);
}

void restore_under_old_pen(void) {
    if (input.drag_buffer == nullptr) return;
    int d = drag_offset();
    ztl_copy(nullptr, input.old_pen_x - d, input.old_pen_y - d, input.drag_buffer, 0, 0, metrics.drag_size,
             metrics.drag_size, 0);
}

void remember_pen(void) {
    input.old_pen_x = ztl_pen_x;
    input.old_pen_y = ztl_pen_y;
}

void drag_follow(void) {
    if (ztl_pen_y < TOP_ROWS_WITHOUT_DRAG || input.state == NOTHING_PICKED || input.drag_buffer == nullptr) return;
    restore_under_old_pen();
    save_under_pen();
    int d = drag_offset();
    draw_loose_glyph(ztl_pen_x - d, ztl_pen_y - d, PieceTable[Board[input.picked]].kind, input.side);
    remember_pen();
}

// --- steps of the input ------------------------------------------------------------

// Turns a pen touch (or the release after a drag) into the key it stands for.
int pen_to_key(void) {
    remember_pen();
    int x = ztl_pen_x;
    int y = ztl_pen_y;
    if (strictly_inside(x, y, board_left, board_top, board_size, board_size)) {
        if (input.state == IN_HAND) {
            input.state = PIECE_PICKED;
            return KEY_TAB;
        }
        put_board_cursor((x - board_left) / cell_size, (y - board_top) / cell_size);
        return KEY_ENTER;
    }
    int hx, hy;
    if (slot_under_pen(x, y, &hx, &hy) && input.state == NOTHING_PICKED && hand_slot_has_piece(hx, hy)) {
        input.hand_x = hx;
        input.hand_y = hy;
        toggle_hand_cursor(hx, hy);
        input.state = IN_HAND;
        return KEY_ENTER;
    }
    input.state = PIECE_PICKED;
    return KEY_TAB;
}

void cancel(void) {
    if (input.state == PIECE_PICKED)
        redraw_board();
    else if (input.state == IN_HAND)
        toggle_hand_cursor(input.hand_x, input.hand_y);
    toggle_board_cursor_here();
    input.state = NOTHING_PICKED;
}

void open_hand(void) {
    if (Board[input.hand_base] == NO_PIECE) return;
    input.hand_x = upright() ? 0 : metrics.stand_columns - 1;
    input.hand_y = upright() ? 0 : metrics.stand_rows - 1;
    toggle_board_cursor_here();
    toggle_hand_cursor(input.hand_x, input.hand_y);
    input.state = IN_HAND;
}

void pick_from_board(void) {
    int square = square_at_cursor();
    int piece = Board[square];
    if (piece == NO_PIECE || PieceTable[piece].owner != input.side) return;
    input.picked = square;
    ztl_set_color(ZTL_INVERT);
    ztl_fill_rect(board_left + board_cursor_column * cell_size + 1, board_top + board_cursor_row * cell_size + 1,
                  cell_size - 1, cell_size - 1);
    save_under_pen();
    input.state = PIECE_PICKED;
}

void pick_from_hand(void) {
    if (!hand_slot_has_piece(input.hand_x, input.hand_y)) return;
    input.picked = hand_cell_of_slot(input.hand_x, input.hand_y);
    toggle_board_cursor_here();
    save_under_pen();
    input.state = PIECE_PICKED;
}

// Enter or space. 1 when the picked piece may go to the cursor's square.
int select_here(int* pending) {
    switch (input.state) {
        case PIECE_PICKED: {
            int to = square_at_cursor();
            if (can_move(input.picked, to, Board, PieceTable)) {
                last_move = LastMove{input.picked, to, 0};
                return 1;
            }
            *pending = KEY_TAB;
            return 0;
        }
        case NOTHING_PICKED:
            pick_from_board();
            return 0;
        default:
            pick_from_hand();
            return 0;
    }
}

constexpr int QUIT = 0;
constexpr int MOVE_ENTERED = 1;
constexpr int MENU_WANTED = 2;
constexpr int GO_ON = -1;

// Handles one input code; GO_ON, or what human_move returns.
int handle(int code, int* pending) {
    switch (code) {
        case PEN_UP:
            if (!input.dragging) break;
            if (input.state == PIECE_PICKED) restore_under_old_pen();
            input.dragging = 0;
            *pending = pen_to_key();
            break;
        case PEN_DOWN:
            input.dragging = 0;
            *pending = pen_to_key();
            break;
        case PEN_DRAG:
            drag_follow();
            input.dragging = 1;
            break;
        case ZTL_KEY_LEFT:
            move_cursor(-1, 0);
            break;
        case ZTL_KEY_RIGHT:
            move_cursor(1, 0);
            break;
        case ZTL_KEY_UP:
            move_cursor(0, -1);
            break;
        case ZTL_KEY_DOWN:
            move_cursor(0, 1);
            break;
        case 'q':
            return QUIT;
        case KEY_ESCAPE:
            if (input.state != NOTHING_PICKED) {
                cancel();
                break;
            }
            toggle_board_cursor_here();
            return MENU_WANTED;
        case KEY_TAB:
        case KEY_HAND:
            if (input.state == NOTHING_PICKED)
                open_hand();
            else
                cancel();
            break;
        case KEY_ENTER:
        case KEY_SPACE:
            if (select_here(pending)) return MOVE_ENTERED;
            break;
        default:
            break;
    }
    return GO_ON;
}

}  // namespace

int human_move(void) {
    input = HumanInput{};
    input.side = side_to_move;
    input.hand_base = hand_base(side_to_move);
    input.drag_buffer = ztl_image_new(metrics.drag_size, metrics.drag_size, nullptr);
    toggle_board_cursor_here();
    int pending = NO_CODE;
    int result = GO_ON;
    while (result == GO_ON) {
        clock_tick(input.side);
        int code = pending;
        pending = NO_CODE;
        if (code == NO_CODE) code = poll_input();
        if (code != NO_CODE) result = handle(code, &pending);
    }
    ztl_image_free(input.drag_buffer);
    input.drag_buffer = nullptr;
    return result;
}
