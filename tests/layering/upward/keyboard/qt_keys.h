#pragma once
// A key map that knows Qt's key events.
#include <QKeyEvent>
