#pragma once
// A pseudo-terminal pair: the master side stays with the program that shows the output,
// the slave side is the console its children get as their standard handles.
namespace pty {

struct Pair {
    int master = -1;
    int slave = -1;
    int error = 0; // errno when opening failed
    bool ok() const { return master >= 0 && slave >= 0; }
};

// Opens a new pair, both ends close-on-exec (the process launcher names the descriptors a
// child gets). The slave is not made anyone's controlling terminal. The line discipline
// is set up as a plain terminal: line editing and echo for the children that read it,
// output with CR LF line ends, and no signals from typed characters (Ctrl+C is handed to
// the interpreter by its owner instead).
Pair open();

// Tells the children the size of the console, in character cells.
void setSize(int master, int columns, int rows);

// Closes both ends that are open.
void close(Pair& pair);

} // namespace pty
