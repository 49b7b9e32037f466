// Mouse moves over a widget run a handler and go no further, so the window
// behind does not react to them as well.
#pragma once

#include <functional>

class QWidget;

// Turns on the widget's mouse tracking (moves without a pressed button count).
void OnMouseMove(QWidget &widget, std::function<void()> handler);
