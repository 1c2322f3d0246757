#pragma once
// Joins the toolbar manager to the program's start-up and shutdown: made once
// the main frame and the command manager exist, its toolbars built once the
// options are loaded, freed before the frame.
void CreateToolbarManager();
void BuildToolbars();
void FreeToolbarManager();
