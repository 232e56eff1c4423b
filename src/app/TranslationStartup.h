#pragma once
// Start-up step after the settings are read: the user interface's translation.
class AppSettings;

// Reads [EDITOR] "MUI" (choosing by the system language when it is empty, and writing the
// choice back) and makes that translation the one behind the text lookup. Also loads the
// toolkit's own translation of its standard texts for the same language when one exists.
void LoadTranslation(AppSettings& settings);
