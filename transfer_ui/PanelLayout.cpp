#include "transfer_ui/PanelLayout.h"

#include <algorithm>
#include <vector>

#include "framework/TextMeasure.h"

namespace {

std::wstring TextOf(HWND control) {
    int length = GetWindowTextLengthW(control);
    std::vector<wchar_t> text(length + 1);
    GetWindowTextW(control, text.data(), length + 1);
    return std::wstring(text.data());
}

LONG StyleOf(HWND control) { return GetWindowLongW(control, GWL_STYLE); }

}  // namespace

PanelLayout::PanelLayout(HWND panel)
    : panel(panel), width(0), top(0), y(0), lineHeight(0), labelColumn(0), moves(0) {}

void PanelLayout::Begin(int panelWidth, int firstTop) {
    width = panelWidth - 2 * kMargin;
    top = firstTop;
    y = firstTop + kMargin;
    labelColumn = 0;
    if (!lineHeight) lineHeight = MeasureText(panel, L"Xg", DT_SINGLELINE, 0).cy;
}

bool PanelLayout::Shown(int id) const {
    HWND control = Item(id);
    return control && (StyleOf(control) & WS_VISIBLE);
}

bool PanelLayout::Holds(int id, const std::wstring& text) const {
    auto known = placed.find(id);
    if (known == placed.end()) return false;
    HWND control = Item(id);
    const RECT& rect = known->second.rect;
    int height = rect.bottom - rect.top, room = rect.right - rect.left;
    switch (known->second.room) {
        case Room::kFixed:
            return true;
        case Room::kText:
            return height == (text.empty() ? 0 : TextHeight(control, text, room));
        case Room::kValue:
            return height == TextHeight(control, text, room);
        case Room::kSideBySide:
            return MeasureText(control, text, DT_SINGLELINE, 0).cx + kGap * 2 <= room;
        case Room::kStacked:
            break;
    }
    return false;
}

// Ellipsis texts stay on one line; the others break at the width and as many
// lines as their text holds.
int PanelLayout::TextHeight(HWND control, const std::wstring& text, int room) const {
    if (StyleOf(control) & (SS_ENDELLIPSIS | SS_PATHELLIPSIS)) return lineHeight;
    int height = MeasureText(control, text, DT_WORDBREAK, room).cy;
    return std::max(height, lineHeight);
}

// An empty text takes no room; it is folded to no height where the rows are
// now, since a shown static paints its background over whatever lies below it.
void PanelLayout::Text(int id) {
    if (!Shown(id)) return;
    HWND control = Item(id);
    std::wstring text = TextOf(control);
    if (text.empty()) {
        Place(id, kMargin, y, width, 0, Room::kText);
        return;
    }
    int height = TextHeight(control, text, width);
    Place(id, kMargin, y, width, height, Room::kText);
    y += height + kGap;
}

void PanelLayout::Bar(int id) {
    if (!Shown(id)) return;
    int height = lineHeight - 2;
    Place(id, kMargin, y, width, height);
    y += height + kGap;
}

int PanelLayout::LabelWidth(int labelId) {
    HWND label = Item(labelId);
    return MeasureText(label, TextOf(label), DT_SINGLELINE, 0).cx + kGap * 2;
}

void PanelLayout::Pair(int labelId, int valueId) {
    if (!Shown(valueId)) return;
    labelColumn = std::max(labelColumn, LabelWidth(labelId));
    int valueWidth = std::max(width - labelColumn, 1);
    HWND value = Item(valueId);
    int height = TextHeight(value, TextOf(value), valueWidth);
    Place(labelId, kMargin, y, labelColumn, lineHeight);
    Place(valueId, kMargin + labelColumn, y, valueWidth, height, Room::kValue);
    y += height + kGap;
}

void PanelLayout::Pairs(std::initializer_list<std::pair<int, int>> pairs) {
    int share = width / static_cast<int>(pairs.size());
    bool fit = true;
    for (const auto& pair : pairs) {
        HWND value = Item(pair.second);
        int needed = LabelWidth(pair.first) +
                     MeasureText(value, TextOf(value), DT_SINGLELINE, 0).cx + kGap * 2;
        fit = fit && needed <= share;
    }
    if (!fit) {
        // Shorter texts may fit side by side again, which only a new pass finds.
        for (const auto& pair : pairs) {
            Pair(pair.first, pair.second);
            placed[pair.second].room = Room::kStacked;
        }
        return;
    }
    int x = kMargin;
    for (const auto& pair : pairs) {
        int labelWidth = LabelWidth(pair.first);
        Place(pair.first, x, y, labelWidth, lineHeight);
        Place(pair.second, x + labelWidth, y, share - labelWidth, lineHeight, Room::kSideBySide);
        x += share;
    }
    y += lineHeight + kGap;
}

void PanelLayout::FillAndButtons(int fillId, int minLines, int panelHeight,
                                 std::initializer_list<int> buttons) {
    int buttonHeight = lineHeight * 7 / 4 + 2;
    int buttonWidth = std::min(width, lineHeight * 6);
    bool fill = Shown(fillId);
    int lowest = y + (fill ? minLines * lineHeight + kGap : 0);
    int buttonTop = std::max(top + panelHeight - kMargin - buttonHeight, lowest);
    if (fill) Place(fillId, kMargin, y, width, buttonTop - kGap - y);
    for (int id : buttons)
        Place(id, kMargin + (width - buttonWidth) / 2, buttonTop, buttonWidth, buttonHeight);
    y = buttonTop + buttonHeight + kMargin;
}

void PanelLayout::Place(int id, int x, int rowTop, int placeWidth, int height, Room room) {
    RECT wanted = {x, rowTop, x + placeWidth, rowTop + height};
    auto known = placed.find(id);
    bool same = known != placed.end() && EqualRect(&known->second.rect, &wanted);
    placed[id] = Placed{wanted, room};
    if (same) return;
    ++moves;
    SetWindowPos(Item(id), nullptr, x, rowTop, placeWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
