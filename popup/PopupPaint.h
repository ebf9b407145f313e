// The group pop-up's paint procedures: the panel at rest (MenuNormal), with a row or button
// highlighted (MenuAction), while an entry is dragged out of it, and the delete animation
// (MenuDelEffect). They draw through the same ICanvas as the ring, read the panel's layout and
// PopupHoverRow, and change nothing but the canvas.
#pragma once

#include "dock/Canvas.h"
#include "dock/Paint.h"
#include "popup/PopupLayout.h"

namespace qor {

struct AppState;

// The panel without a highlight; does not present.
void MenuNormal(const AppState& app, const PopupPanel& panel, ICanvas& canvas);
// The panel with row PopupHoverRow highlighted (the pressed look when isMouseDown; a button is
// lit only while it is active), then presented.
void MenuAction(const AppState& app, const PopupPanel& panel, ICanvas& canvas, bool isMouseDown);
// While an entry is dragged: the panel at rest and the dragged item's 32-pixel image centred on
// the pointer, presented.
void MenuDragPaint(const AppState& app, const PopupPanel& panel, ICanvas& canvas, int item, double x,
                   double y);
// Drops the copies of the panel the canvas keeps for fast highlights: once the pop-up closes,
// its members' pictures may change before it opens again.
void ForgetPanelPictures(ICanvas& canvas);
// Five frames of the "DELICON" strip centred on (x, y) over the panel at rest, 25 ms apart, then
// lets pending messages run once.
void MenuDelEffect(AppState& app, const PopupPanel& panel, ICanvas& canvas, int x, int y,
                   const PumpMessages& pump);

} // namespace qor
