// The action pictures, the program's icon, its own cursor and the cursor table.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QList>
#include <QMap>

// Picture number `index` of the main window's image list (0, 2, ... 20).
QIcon ImageListIcon(int index);

// Starts decoding these pictures, as drawn `side` pixels wide, on a worker
// thread, so that the first paint finds them ready.
void DecodeActionPicturesAhead(const QList<int>& indexes, int side);

// The program's own icon, as its desktop entry shows it (packaging/vrx310.svg).
QIcon ProgramIcon();

// The cursor "CURKALDORIAN".
QCursor KaldorianCursor();
inline constexpr int CursorKaldorian = -5;

// The program's cursor table by index; negative indexes are the program's own.
QMap<int, QCursor>& ScreenCursors();
