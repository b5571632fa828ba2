#pragma once

class QWidget;

// Opens the CD player beside parent, or brings the open one to the front.
// The window is destroyed when closed and closes the device then.
void showCdPlayer(QWidget *parent, bool onTop);
