// The control library's registration: dialogs built from templates get a CQXGrid
// for every grid and a CQXDateTime for every date field once this has run. It runs
// when the library loads and again, harmlessly, whenever one of its controls is made.
#pragma once

void RegisterQXControls();
