// What each control of the main dialog does, as its tooltip says it, with
// the shortcut that reaches it.
#pragma once

// The tooltip of a control identifier, or null for a control without one.
const char* ControlTip(int id);
