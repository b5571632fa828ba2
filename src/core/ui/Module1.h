#pragma once
#include <QString>
#include <cstdint>

class QWidget;

// The small shared procedures several windows use.
namespace Module1 {

// Selects the whole text of the active window's focused text control.
void SelectAllText();

// Returns keyChar when it is backspace or occurs in allowed (letter case
// ignored); otherwise beeps and returns 0, which cancels the key.
int16_t FilterKey(int16_t keyChar, const QString &allowed);

// Paints 256 horizontal bands from the flagged channels at 255 down to black.
void PaintGradient(QWidget *window, int16_t red, int16_t green, int16_t blue);

// Closes every top-level window of the program, one after the other.
void UnloadAllForms();

// True when the volume named by the drive-list entry is an optical drive.
// The entry is given as the drive list shows it (mount root, optionally
// followed by " [name]").
bool IsCDDrive(QString &drive);

// Keeps the window above others (onTop == -1) or lets it go back (other values).
// Returns 1 when placed on top, 0 otherwise (always 0 on Wayland, where a
// program cannot keep its window above others).
int32_t SetTopmost(QWidget *window, int16_t onTop);

} // namespace Module1
