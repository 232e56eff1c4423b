-- The tools a new tools table starts with (velmo.db without one gets them once). Shortcuts
-- are key numbers: the virtual key in the high 16 bits, the modifier flags in the low byte
-- (0x01 virtual key, 0x04 Shift, 0x08 Ctrl, 0x10 Alt): 7733257 is Ctrl+F7, 7602185 Ctrl+F5.
-- Flags: 0x01 runs in the command window, 0x02 needs the active file, 0x04 shows the
-- command window, 0x08 saves the file without asking, 0x20 goes through a batch file: the
-- compiler's messages and the program's output stay in view in the command window.
INSERT INTO tools (Name, Command, Dir, Shortcut, Filters, Flags) VALUES
  ('Build', 'cd /d "$(FILE_PATH)"
gcc -Wall -g -o "$(FILE_BASE)" "$(FILENAME)"', '$(FILE_PATH)', '7733257', '*.c', 47);
INSERT INTO tools (Name, Command, Dir, Shortcut, Filters, Flags) VALUES
  ('Run', 'cd /d "$(FILE_PATH)"
"$(FILE_PATH)/$(FILE_BASE)"', '$(FILE_PATH)', '7602185', '*.c;*.cpp;*.cc;*.cxx;*.c++', 39);
INSERT INTO tools (Name, Command, Dir, Shortcut, Filters, Flags) VALUES
  ('Build C++', 'cd /d "$(FILE_PATH)"
g++ -Wall -g -o "$(FILE_BASE)" "$(FILENAME)"', '$(FILE_PATH)', '', '*.cpp;*.cc;*.cxx;*.c++', 47);
INSERT INTO tools (Name, Command, Dir, Shortcut, Filters, Flags) VALUES
  ('Make', 'cd /d "$(FILE_PATH)"
make', '$(FILE_PATH)', '', '', 47);
