#pragma once

#include <windows.h>

#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#include "framework/ChildWindows.h"

// Places a panel's controls in rows down its whole width, each text as tall
// as its wrapped lines need, so that nothing is cut or lies on something else
// at any width; a hidden or empty text takes no room. A template's fixed
// places cannot do this: the panel runs 240 pixels wide and full screens wide.
// Rows are given in order from the top; the rectangles placed are remembered,
// so laying out again with nothing changed moves no window.
class PanelLayout {
  public:
    explicit PanelLayout(HWND panel);

    // Starts a pass at the width given, its first row at top (above 0 when scrolled).
    void Begin(int width, int top);
    // A text across the width; one with an ellipsis style keeps to one line.
    void Text(int id);
    void Bar(int id);
    // A label and its value beside it; the labels of a pass share one column.
    void Pair(int labelId, int valueId);
    // Label and value pairs side by side when each fits its share of the row, else one per row.
    void Pairs(std::initializer_list<std::pair<int, int>> pairs);
    // The text fills what is left above the buttons (at least minLines of it);
    // the buttons, one above the other at the same place, go to the foot of
    // the panel, or below the text when the panel is shorter than all this.
    void FillAndButtons(int fillId, int minLines, int panelHeight,
                        std::initializer_list<int> buttons);
    // Where the last row ended, as if the pass had started at 0.
    int ContentHeight() const { return y - top; }
    int LineHeight() const { return lineHeight; }
    HWND Panel() const { return panel; }

    // Whether the control is shown, by its own style: the panel itself may be hidden yet.
    bool Shown(int id) const;
    // Whether the place the last pass gave the control still has the room the
    // text needs, so that showing it there moves no row: a rate or a count
    // that changes its length many times a second then costs no new pass.
    bool Holds(int id, const std::wstring& text) const;
    // Whether a window moved since the last ForgetMoves; only then may old
    // pixels be left behind.
    bool Moved() const { return moves > 0; }
    void ForgetMoves() { moves = 0; }

  private:
    static const int kMargin = 4;
    static const int kGap = 3;
    // What a control's place depends on, for Holds.
    enum class Room { kFixed, kText, kValue, kSideBySide, kStacked };
    struct Placed {
        RECT rect;
        Room room;
    };

    int TextHeight(HWND control, const std::wstring& text, int width) const;
    int LabelWidth(int labelId);
    void Place(int id, int x, int top, int width, int height, Room room = Room::kFixed);
    HWND Item(int id) const { return items.Get(panel, id); }

    HWND panel;
    int width;
    int top;
    int y;
    int lineHeight;
    int labelColumn;
    int moves;
    std::map<int, Placed> placed;
    mutable ChildWindows items;
};
