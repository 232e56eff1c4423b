-- The tools a new tools table starts with (velmo.db without one gets them once). Shortcuts
-- are key numbers: the virtual key in the high 16 bits, the modifier flags in the low byte
-- (0x01 virtual key, 0x04 Shift, 0x08 Ctrl, 0x10 Alt): 7733257 is Ctrl+F7, 7602185 Ctrl+F5.
-- Flags: 0x02 needs the active file, 0x08 saves it without asking, 0x40 waits for the end.
INSERT INTO tools (Name, Command, Dir, Shortcut, Filters, Flags) VALUES
  ('Build', 'gcc -Wall -g -o "$(FILE_BASE)" "$(FILENAME)"', '$(FILE_PATH)', '7733257', '*.c', 74);
INSERT INTO tools (Name, Command, Dir, Shortcut, Filters, Flags) VALUES
  ('Run', '"$(FILE_PATH)/$(FILE_BASE)"', '$(FILE_PATH)', '7602185', '*.c;*.cpp;*.cc;*.cxx;*.c++', 2);
INSERT INTO tools (Name, Command, Dir, Shortcut, Filters, Flags) VALUES
  ('Build C++', 'g++ -Wall -g -o "$(FILE_BASE)" "$(FILENAME)"', '$(FILE_PATH)', '', '*.cpp;*.cc;*.cxx;*.c++', 74);
INSERT INTO tools (Name, Command, Dir, Shortcut, Filters, Flags) VALUES
  ('Make', 'make', '$(FILE_PATH)', '', '', 74);
