// A focus mark for controls that the style draws without one: labels that
// take the keyboard focus (links, the ticker's text). While such a control
// has the focus, a dotted frame in the palette's highlight colour runs along
// its edge, so a keyboard user sees where Tab has arrived.
#pragma once

class QWidget;

void ShowFocusFrame(QWidget &widget);
