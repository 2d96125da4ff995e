#pragma once

#include <string>

namespace veltrop::engine {

// The storage library's rollback journal is kept out of the table's folder: a folder
// that a sync service keeps in step would carry a journal to another machine, where
// the library would play it into a newer copy of the table and silently bring back
// old passwords. A file-system layer over the system's own one, made the default,
// puts the journal of every table under $XDG_STATE_HOME/veltrop/journals (by default
// ~/.local/state/veltrop/journals), named by the identity of the table file it belongs
// to (device, inode and birth time). A journal found beside a table is never read,
// and a journal of a file that was replaced by another is never played into the new
// one; the program's own crash recovery finds its journal by the same identity.
// Registers once; later calls do nothing.
void useJournalFolder();

// Where the journals go. Created, readable by its owner only, on first use.
std::string journalFolder();

}  // namespace veltrop::engine
