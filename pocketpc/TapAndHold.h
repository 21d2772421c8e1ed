#pragma once

// Turns a right click or a long press on any list view of the calling thread
// into the handheld's tap-and-hold notification (WM_NOTIFY, GN_CONTEXTMENU) to
// the list's parent. Installs once per thread; later calls do nothing.
bool InstallTapAndHold();
